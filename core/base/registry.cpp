#include "core/base/registry.h"

#include <cwchar>

#include "core/base/handles.h"

namespace {

constexpr REGSAM kReadAccess = KEY_READ | KEY_WOW64_64KEY;

bool FormatImeKey(const wchar_t* guidText, wchar_t (&path)[kImeRegistryPathChars]) {
    if (!guidText) return false;
    int n = _snwprintf(path, kImeRegistryPathChars, kImeRegistryFormat, guidText);
    return n >= 0 && n < kImeRegistryPathChars;
}

bool AppendBackslash(wchar_t* text, size_t chars) {
    size_t len = wcsnlen(text, chars);
    if (len >= chars) return false;
    if (len == 0 || text[len - 1] == L'\\') return true;
    if (len + 2 > chars) return false;
    text[len] = L'\\';
    text[len + 1] = 0;
    return true;
}

}  // namespace

bool ReadRegistryStringFrom(HKEY root, const wchar_t* keyPath, const wchar_t* valueName,
                            wchar_t* out, DWORD chars) {
    if (!out || chars == 0 || chars > MAXDWORD / sizeof(wchar_t)) return false;
    out[0] = 0;
    zan::UniqueKey key;
    if (RegOpenKeyExW(root, keyPath, 0, kReadAccess, key.put()) != ERROR_SUCCESS) {
        return false;
    }
    DWORD bytes = chars * sizeof(wchar_t);
    LSTATUS rc = RegGetValueW(key.get(), nullptr, valueName, RRF_RT_REG_SZ, nullptr, out, &bytes);
    if (rc != ERROR_SUCCESS) {
        out[0] = 0;
        return false;
    }
    // RegGetValueW terminates the string; still never trust the data to end in a NUL.
    DWORD units = bytes / sizeof(wchar_t);
    if (units == 0 || out[units - 1] != 0) {
        if (units >= chars) {
            out[0] = 0;
            return false;
        }
        out[units] = 0;
    }
    return true;
}

bool ReadRegistryString(const wchar_t* keyPath, const wchar_t* valueName, wchar_t* out,
                        DWORD chars) {
    return ReadRegistryStringFrom(HKEY_LOCAL_MACHINE, keyPath, valueName, out, chars);
}

bool ReadImeRegistryValue(const wchar_t* guidText, const wchar_t* valueName, wchar_t* out,
                          DWORD chars) {
    if (out && chars) out[0] = 0;
    wchar_t path[kImeRegistryPathChars];
    if (!FormatImeKey(guidText, path)) return false;
    return ReadRegistryString(path, valueName, out, chars);
}

bool ReadDataLocation(const wchar_t* guidText, wchar_t (&out)[kPathChars]) {
    return ReadImeRegistryValue(guidText, L"DataLocation", out, kPathChars);
}

bool ReadInstallLocationFrom(HKEY root, const wchar_t* keyPath, wchar_t (&out)[kPathChars]) {
    if (!ReadRegistryStringFrom(root, keyPath, L"InstallLocation", out, kPathChars)) {
        return false;
    }
    if (!AppendBackslash(out, kPathChars)) {
        out[0] = 0;
        return false;
    }
    return true;
}

bool ReadInstallLocation(const wchar_t* guidText, wchar_t (&out)[kPathChars]) {
    out[0] = 0;
    wchar_t path[kImeRegistryPathChars];
    if (!FormatImeKey(guidText, path)) return false;
    return ReadInstallLocationFrom(HKEY_LOCAL_MACHINE, path, out);
}

bool ReadDisplayName(const wchar_t* guidText, wchar_t* out, DWORD chars) {
    return ReadImeRegistryValue(guidText, L"DisplayName", out, chars);
}

bool ReadImeName(const wchar_t* guidText, wchar_t (&out)[kImeNameChars]) {
    return ReadImeRegistryValue(guidText, L"IMEName", out, kImeNameChars);
}

bool WriteRegistryString(HKEY root, const wchar_t* keyPath, const wchar_t* valueName,
                         const wchar_t* value) {
    if (!value) return false;
    zan::UniqueKey key;
    if (RegCreateKeyExW(root, keyPath, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    size_t bytes = (wcslen(value) + 1) * sizeof(wchar_t);
    if (bytes > MAXDWORD) return false;
    return RegSetValueExW(key.get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                          static_cast<DWORD>(bytes)) == ERROR_SUCCESS;
}

bool DeleteRegistryTree(HKEY root, const wchar_t* keyPath) {
    return DeleteRegistryTree(root, keyPath, KEY_WOW64_64KEY);
}

bool DeleteRegistryTree(HKEY root, const wchar_t* keyPath, REGSAM view) {
    zan::UniqueKey key;
    LSTATUS rc = RegOpenKeyExW(root, keyPath, 0, KEY_ALL_ACCESS | view, key.put());
    if (rc == ERROR_FILE_NOT_FOUND) return true;
    if (rc != ERROR_SUCCESS) return false;
    if (RegDeleteTreeW(key.get(), nullptr) != ERROR_SUCCESS) return false;
    key.reset();
    rc = RegDeleteKeyExW(root, keyPath, view, 0);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}
