#include "installer/app/product_values.h"

#include <windows.h>

#include <cwchar>

#include "core/base/handles.h"
#include "core/base/registry.h"

namespace {

bool KeyPath(const wchar_t* guidText, wchar_t (&out)[kImeRegistryPathChars]) {
    int n = _snwprintf(out, kImeRegistryPathChars, kImeRegistryFormat, guidText);
    return n > 0 && n < kImeRegistryPathChars;
}

// A value of at most bytes bytes into a field of fieldUnits units.
void ReadInto(const wchar_t* guidText, const wchar_t* name, wchar_t* field, int fieldUnits,
              int bytes) {
    int units = bytes / 2;
    if (units > fieldUnits) units = fieldUnits;
    if (!ReadImeRegistryValue(guidText, name, field, static_cast<DWORD>(units))) field[0] = 0;
}

}  // namespace

uint32_t ReadProductLangId(const wchar_t* guidText) {
    wchar_t path[kImeRegistryPathChars];
    if (!guidText || !guidText[0] || !KeyPath(guidText, path)) return 0;
    zan::UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.put()) !=
        ERROR_SUCCESS)
        return 0;
    DWORD value = 0, size = sizeof value;
    if (RegGetValueW(key.get(), nullptr, L"LANGID", RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return 0;
    return value;
}

bool ReadInstalledProduct(InstallerState* state) {
    const wchar_t* g = state->guidText;
    SoftConfigData& soft = state->soft;
    if (!ReadInstallLocation(g, state->installLocation)) state->installLocation[0] = 0;
    ReadInto(g, L"DataLocation", state->dataLocation, kPathChars, 520);
    ReadInto(g, L"IMEName", soft.imeName, kSoftShortUnits, 128);
    ReadInto(g, L"DisplayName", soft.productName, kSoftShortUnits, 80);
    ReadInto(g, L"DisplayVersion", soft.versionText, kSoftVersionUnits, 80);
    ReadInto(g, L"URLUpdateInfo", soft.updateUrl, kSoftUrlUnits, 520);
    ReadInto(g, L"LanguageName", soft.languageName, kSoftShortUnits, 80);
    ReadInto(g, L"UnstallCommand", soft.uninstallCommand, kSoftCommandUnits, 520);
    uint32_t lang = ReadProductLangId(g);
    soft.languageId = lang ? lang : kDefaultLanguageId;
    return state->installLocation[0] && state->dataLocation[0] && soft.productName[0] &&
           soft.versionText[0] && soft.languageName[0];
}
