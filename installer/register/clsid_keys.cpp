#include "installer/register/clsid_keys.h"

#include <cwchar>
#include <string>

#include "core/base/handles.h"

namespace {

std::wstring ClassKey(const wchar_t* guidText) {
    return std::wstring(L"Software\\Classes\\CLSID\\") + guidText;
}

bool SetString(HKEY key, const wchar_t* name, const wchar_t* value) {
    DWORD bytes = static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), bytes) ==
           ERROR_SUCCESS;
}

bool WriteClassKeys(REGSAM view, const wchar_t* guidText, const wchar_t* module,
                    const wchar_t* description) {
    if (!IsGuidText(guidText) || !module || !*module) return false;
    zan::UniqueKey cls, server;
    std::wstring path = ClassKey(guidText);
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view,
                        nullptr, cls.put(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    bool ok = SetString(cls.get(), nullptr, description);
    if (RegCreateKeyExW(cls.get(), L"InProcServer32", 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                        server.put(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    ok = SetString(server.get(), nullptr, module) && ok;
    return SetString(server.get(), L"ThreadingModel", L"Apartment") && ok;
}

bool DeleteClassTree(REGSAM view, const wchar_t* guidText) {
    std::wstring path = ClassKey(guidText);
    zan::UniqueKey key;
    LSTATUS rc =
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS | view, key.put());
    if (rc == ERROR_FILE_NOT_FOUND) return true;
    if (rc != ERROR_SUCCESS) return false;
    RegDeleteTreeW(key.get(), nullptr);
    key.reset();
    rc = RegDeleteKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), view, 0);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

}  // namespace

bool IsGuidText(const wchar_t* text) {
    if (!text || wcsnlen(text, 39) != 38) return false;
    for (int i = 0; i < 38; ++i) {
        wchar_t c = text[i];
        bool ok;
        if (i == 0) {
            ok = c == L'{';
        } else if (i == 37) {
            ok = c == L'}';
        } else if (i == 9 || i == 14 || i == 19 || i == 24) {
            ok = c == L'-';
        } else {
            ok = iswxdigit(c) != 0;
        }
        if (!ok) return false;
    }
    return true;
}

bool RegisterTextServiceClsid(const wchar_t* guidText, const wchar_t* module64) {
    return WriteClassKeys(KEY_WOW64_64KEY, guidText, module64, kTextServiceDescription);
}

bool RegisterTextServiceClsid32(const wchar_t* guidText, const wchar_t* module32,
                                const wchar_t* description) {
    return WriteClassKeys(KEY_WOW64_32KEY, guidText, module32, description);
}

bool RemoveClsidKeys(const wchar_t* guidText) {
    if (!IsGuidText(guidText)) return false;
    bool a = DeleteClassTree(KEY_WOW64_64KEY, guidText);
    return DeleteClassTree(KEY_WOW64_32KEY, guidText) && a;
}
