#include "installer/register/keyboard_layout.h"

#include <imm.h>

#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include "core/base/handles.h"
#include "installer/register/default_input.h"

namespace {

bool ReadValueText(HKEY key, const wchar_t* name, wchar_t* out, DWORD chars) {
    DWORD bytes = chars * sizeof(wchar_t);
    out[0] = 0;
    if (RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, out, &bytes) != ERROR_SUCCESS) {
        out[0] = 0;
        return false;
    }
    return true;
}

bool SetValueText(HKEY key, const wchar_t* name, const wchar_t* text) {
    DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes) ==
           ERROR_SUCCESS;
}

// Preload of one user's hive root (HKCU or a subkey of HKEY_USERS).
void RemoveFromPreload(HKEY root, const wchar_t* path, const wchar_t* layoutText) {
    zan::UniqueKey key;
    if (RegOpenKeyExW(root, path, 0, KEY_READ | KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) return;
    RemovePreloadValue(key.get(), layoutText);
}

// A layout's IME file names fileName; a stored path counts by its last part.
bool SameImeFile(const wchar_t* stored, const wchar_t* fileName) {
    const wchar_t* base = wcsrchr(stored, L'\\');
    return _wcsicmp(base ? base + 1 : stored, fileName) == 0;
}

HKL LayoutFromText(const wchar_t* text) {
    wchar_t* end = nullptr;
    unsigned long id = wcstoul(text, &end, 16);
    if (!end || *end || wcslen(text) != 8) return nullptr;
    // Handles of layouts are sign-extended 32-bit values.
    return reinterpret_cast<HKL>(static_cast<intptr_t>(static_cast<int32_t>(id)));
}

HKL FindInLayoutsKey(const wchar_t* fileName) {
    zan::UniqueKey layouts;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKeyboardLayoutsKey, 0, KEY_READ, layouts.put()) !=
        ERROR_SUCCESS) {
        return nullptr;
    }
    wchar_t name[64];
    for (DWORD i = 0;; ++i) {
        DWORD chars = 64;
        if (RegEnumKeyExW(layouts.get(), i, name, &chars, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            return nullptr;
        }
        zan::UniqueKey sub;
        if (RegOpenKeyExW(layouts.get(), name, 0, KEY_READ, sub.put()) != ERROR_SUCCESS) continue;
        wchar_t file[MAX_PATH];
        if (ReadValueText(sub.get(), L"Ime File", file, MAX_PATH) && SameImeFile(file, fileName))
            return LayoutFromText(name);
    }
}

}  // namespace

void LayoutText(HKL layout, wchar_t (&out)[9]) {
    auto low = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(layout));
    _snwprintf(out, 9, L"%08X", low);
    out[8] = 0;
}

HKL FindImeKeyboardLayout(const wchar_t* fileName) {
    if (!fileName || !*fileName) return nullptr;
    int n = GetKeyboardLayoutList(0, nullptr);
    std::vector<HKL> list(n > 0 ? n : 0);
    if (n > 0) n = GetKeyboardLayoutList(n, list.data());
    for (int i = 0; i < n; ++i) {
        wchar_t file[MAX_PATH]{};
        if (ImmGetIMEFileNameW(list[i], file, MAX_PATH) > 0 && SameImeFile(file, fileName))
            return list[i];
    }
    return FindInLayoutsKey(fileName);
}

bool RemovePreloadValue(HKEY preload, const wchar_t* layoutText) {
    wchar_t name[12], data[16];
    int found = 0, last = 0;
    for (int i = 1; i < 1000; ++i) {
        _snwprintf(name, 12, L"%d", i);
        if (!ReadValueText(preload, name, data, 16)) {
            // A gap ends the list unless a value of that number exists in another type.
            if (RegQueryValueExW(preload, name, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS) {
                break;
            }
            last = i;
            continue;
        }
        last = i;
        if (!found && _wcsicmp(data, layoutText) == 0) found = i;
    }
    if (!found) return false;
    for (int i = found; i < last; ++i) {
        wchar_t next[12];
        _snwprintf(name, 12, L"%d", i);
        _snwprintf(next, 12, L"%d", i + 1);
        if (ReadValueText(preload, next, data, 16)) SetValueText(preload, name, data);
    }
    _snwprintf(name, 12, L"%d", last);
    RegDeleteValueW(preload, name);
    return true;
}

bool UnregisterKeyboardLayout(InstallEnvironment& env, const wchar_t* imeName, bool broadcast,
                              const CLSID* clsid) {
    if (!imeName || !*imeName) return false;
    wchar_t file[46];
    int n = _snwprintf(file, 46, L"%ls.ime", imeName);
    if (n < 0 || n >= 46) return false;
    HKL layout = FindImeKeyboardLayout(file);
    if (!layout) return false;
    if (clsid) EnsureOtherDefault(env, layout, *clsid);

    wchar_t text[9];
    LayoutText(layout, text);
    RemoveFromPreload(HKEY_CURRENT_USER, L"Keyboard Layout\\Preload", text);
    for (const wchar_t* root : {kKeyboardLayoutsKey, kKeyboardLayoutsKey001}) {
        std::wstring path = std::wstring(root) + L"\\" + text;
        zan::UniqueKey key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, key.put()) ==
            ERROR_SUCCESS) {
            RegDeleteTreeW(key.get(), nullptr);
            key.reset();
            RegDeleteKeyW(HKEY_LOCAL_MACHINE, path.c_str());
        }
    }
    wchar_t user[256];
    for (DWORD i = 0;; ++i) {
        DWORD chars = 256;
        if (RegEnumKeyExW(HKEY_USERS, i, user, &chars, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        std::wstring path = std::wstring(user) + L"\\Keyboard Layout\\Preload";
        RemoveFromPreload(HKEY_USERS, path.c_str(), text);
    }

    UnloadKeyboardLayout(layout);
    if (broadcast) {
        UnloadKeyboardLayout(layout);
        env.BroadcastLayoutChange();
    }
    return true;
}
