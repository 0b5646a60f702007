#include "installer/install/product_registry.h"

#include <cstring>
#include <cwchar>

#include "core/base/handles.h"
#include "core/base/registry.h"
#include "installer/install/field_text.h"
#include "installer/register/clsid_keys.h"

namespace {

bool SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
    // The terminating zero is stored with the text.
    auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          bytes) == ERROR_SUCCESS;
}

std::wstring ReadString(HKEY key, const wchar_t* name) {
    wchar_t text[1024];
    DWORD bytes = sizeof text;
    if (RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, text, &bytes) != ERROR_SUCCESS)
        return {};
    text[1023] = 0;
    return text;
}

bool WriteProductKey(REGSAM view, const std::wstring& path, const wchar_t* dataFolder,
                     const wchar_t* installFolder, const SoftConfigData& soft) {
    zan::UniqueKey key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view,
                        nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    HKEY k = key.get();
    uint32_t language;
    std::memcpy(&language, &soft.languageId, 4);
    DWORD dword = language;
    bool ok = SetString(k, L"DataLocation", dataFolder);
    ok = SetString(k, L"InstallLocation", installFolder) && ok;
    ok = SetString(k, L"IMEName", Field(soft.imeName)) && ok;
    ok = SetString(k, L"DisplayName", Field(soft.productName)) && ok;
    ok = SetString(k, L"DisplayVersion", Field(soft.versionText)) && ok;
    ok = SetString(k, L"URLUpdateInfo", Field(soft.updateUrl)) && ok;
    ok = SetString(k, L"LanguageName", Field(soft.languageName)) && ok;
    ok = SetString(k, L"UnstallCommand", Field(soft.uninstallCommand)) && ok;
    ok = RegSetValueExW(k, L"LANGID", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dword),
                        sizeof dword) == ERROR_SUCCESS &&
         ok;
    return ok;
}

}  // namespace

bool ReadProductValues(const wchar_t* guidText, ProductValues& out) {
    out = ProductValues{};
    if (!IsGuidText(guidText)) return false;
    std::wstring path = std::wstring(kFamilyKey) + L"\\" + guidText;
    zan::UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, key.put()) !=
        ERROR_SUCCESS) {
        return false;
    }
    HKEY k = key.get();
    out.installLocation = ReadString(k, L"InstallLocation");
    if (!out.installLocation.empty() && out.installLocation.back() != L'\\')
        out.installLocation.push_back(L'\\');
    out.dataLocation = ReadString(k, L"DataLocation");
    out.imeName = ReadString(k, L"IMEName");
    out.displayName = ReadString(k, L"DisplayName");
    out.displayVersion = ReadString(k, L"DisplayVersion");
    out.updateUrl = ReadString(k, L"URLUpdateInfo");
    out.languageName = ReadString(k, L"LanguageName");
    out.uninstallCommand = ReadString(k, L"UnstallCommand");
    DWORD language = 0, bytes = sizeof language;
    if (RegGetValueW(k, nullptr, L"LANGID", RRF_RT_REG_DWORD, nullptr, &language, &bytes) ==
            ERROR_SUCCESS &&
        language != 0) {
        out.languageId = language;
    }
    return true;
}

void FillSoftFromProduct(const ProductValues& v, SoftConfigData& soft) {
    WriteFieldText(soft.imeName, v.imeName.c_str());
    WriteFieldText(soft.productName, v.displayName.c_str());
    WriteFieldText(soft.versionText, v.displayVersion.c_str());
    WriteFieldText(soft.updateUrl, v.updateUrl.c_str());
    WriteFieldText(soft.languageName, v.languageName.c_str());
    WriteFieldText(soft.uninstallCommand, v.uninstallCommand.c_str());
    uint32_t language = v.languageId;
    std::memcpy(&soft.languageId, &language, 4);
}

bool WriteProductRegistry(const wchar_t* guidText, const wchar_t* dataFolder,
                          const wchar_t* installFolder, const SoftConfigData& soft) {
    if (!IsGuidText(guidText) || !dataFolder || !installFolder) return false;
    std::wstring path = std::wstring(kFamilyKey) + L"\\" + guidText;
    bool a = WriteProductKey(KEY_WOW64_64KEY, path, dataFolder, installFolder, soft);
    return WriteProductKey(KEY_WOW64_32KEY, path, dataFolder, installFolder, soft) && a;
}

std::wstring UninstallCommandLine(const wchar_t* installFolder, const wchar_t* guidText) {
    return L"\"" + std::wstring(installFolder) + L"installer.exe\" /n " + guidText + L" /u";
}

std::wstring InstallSourceOf(const std::wstring& workProgram) {
    size_t at = workProgram.find(L"file=");
    if (at == std::wstring::npos) return workProgram;
    std::wstring rest = workProgram.substr(at + 5);
    size_t end = rest.find(L']');
    return end == std::wstring::npos ? rest : rest.substr(0, end);
}

bool WriteUninstallInfo(const wchar_t* guidText, const wchar_t* owner, const wchar_t* organisation,
                        const wchar_t* installFolder, const wchar_t* source,
                        const SoftConfigData& soft) {
    if (!IsGuidText(guidText) || !installFolder) return false;
    std::wstring path = std::wstring(kUninstallKey) + L"\\" + guidText;
    zan::UniqueKey key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    std::wstring folder = installFolder;
    std::wstring help = Field(soft.homePage);
    if (help.empty()) help = folder + L"main.chm";
    std::wstring command = UninstallCommandLine(installFolder, guidText);
    const struct {
        const wchar_t* name;
        std::wstring value;
    } values[] = {
        {L"RegOwner", owner ? owner : L""},
        {L"RegCompany", organisation ? organisation : L""},
        {L"DisplayName", Field(soft.productName)},
        {L"Comments", Field(soft.comments)},
        {L"DisplayVersion", Field(soft.versionText)},
        {L"DisplayIcon", folder + L"installer.exe"},
        {L"Contact", Field(soft.contact)},
        {L"Publisher", Field(soft.publisher)},
        {L"URLInfoAbout", Field(soft.aboutUrl)},
        {L"URLUpdateInfo", Field(soft.updateUrl)},
        {L"HelpLink", help},
        {L"HelpTelephone", Field(soft.helpTelephone)},
        {L"UninstallString", command},
        {L"InstallLocation", folder},
        {L"InstallSource", InstallSourceOf(source ? source : L"")},
        {L"ModifyPath", command},
    };
    bool ok = true;
    for (const auto& v : values) ok = SetString(key.get(), v.name, v.value) && ok;
    return ok;
}

void ReadRegisteredOwner(std::wstring& owner, std::wstring& organisation) {
    static const wchar_t kKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion";
    wchar_t text[128];
    owner = ReadRegistryString(kKey, L"RegisteredOwner", text, 128) ? text : L"";
    organisation = ReadRegistryString(kKey, L"RegisteredOrganization", text, 128) ? text : L"";
}
