#include "installer/register/default_input.h"

#include <cwchar>

#include "core/base/handles.h"
#include "textservice/com_ptr.h"

namespace {

bool IsOurs(const InputProfileEntry& e, HKL ourLayout, REFCLSID ourClsid) {
    return e.textService ? IsEqualCLSID(e.clsid, ourClsid) : e.layout == ourLayout;
}

void AddGrouped(std::vector<InputProfileEntry>& list, const InputProfileEntry& e) {
    size_t at = list.size();
    for (size_t i = list.size(); i-- > 0;) {
        if (list[i].language == e.language) {
            at = i + 1;
            break;
        }
    }
    list.insert(list.begin() + static_cast<ptrdiff_t>(at), e);
}

// The current user's default text service of a language, from the framework's assembly
// key of keyboards.
bool DefaultTextService(LANGID language, CLSID* clsid) {
    wchar_t path[160], category[40], text[40];
    StringFromGUID2(GUID_TFCAT_TIP_KEYBOARD, category, 40);
    _snwprintf(path, 160, L"Software\\Microsoft\\CTF\\Assemblies\\0x%08x\\%ls", language, category);
    zan::UniqueKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        return false;
    }
    DWORD bytes = sizeof text;
    if (RegGetValueW(key.get(), nullptr, L"Default", RRF_RT_REG_SZ, nullptr, text, &bytes) !=
        ERROR_SUCCESS) {
        return false;
    }
    return SUCCEEDED(CLSIDFromString(text, clsid)) && !IsEqualCLSID(*clsid, GUID_NULL);
}

}  // namespace

int ChooseOtherDefault(const std::vector<InputProfileEntry>& entries, int currentDefault,
                       HKL ourLayout, REFCLSID ourClsid) {
    if (currentDefault < 0 || currentDefault >= static_cast<int>(entries.size())) return -1;
    const InputProfileEntry& current = entries[currentDefault];
    if (!IsOurs(current, ourLayout, ourClsid)) return -1;
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < entries.size(); ++i) {
            const InputProfileEntry& e = entries[i];
            if (e.language != current.language || e.textService != (pass == 1)) continue;
            if (!IsOurs(e, ourLayout, ourClsid)) return static_cast<int>(i);
        }
    }
    return -1;
}

std::vector<InputProfileEntry> ListInputProfiles(InstallEnvironment& env) {
    std::vector<InputProfileEntry> list;
    ComPtr<ITfInputProcessorProfiles> profiles;
    if (SUCCEEDED(env.CreateProfiles(profiles.put())) && profiles) {
        LANGID* languages = nullptr;
        ULONG count = 0;
        if (SUCCEEDED(profiles->GetLanguageList(&languages, &count)) && languages) {
            for (ULONG i = 0; i < count; ++i) {
                ComPtr<IEnumTfLanguageProfiles> e;
                if (FAILED(profiles->EnumLanguageProfiles(languages[i], e.put())) || !e) continue;
                TF_LANGUAGEPROFILE p;
                ULONG got = 0;
                while (e->Next(1, &p, &got) == S_OK && got == 1) {
                    if (!IsEqualGUID(p.catid, GUID_TFCAT_TIP_KEYBOARD)) continue;
                    BOOL enabled = FALSE;
                    profiles->IsEnabledLanguageProfile(p.clsid, p.langid, p.guidProfile, &enabled);
                    if (!enabled) continue;
                    InputProfileEntry entry;
                    entry.language = p.langid;
                    entry.textService = true;
                    entry.clsid = p.clsid;
                    entry.profile = p.guidProfile;
                    AddGrouped(list, entry);
                }
            }
            CoTaskMemFree(languages);
        }
    }
    int n = GetKeyboardLayoutList(0, nullptr);
    std::vector<HKL> layouts(n > 0 ? n : 0);
    if (n > 0) n = GetKeyboardLayoutList(n, layouts.data());
    for (int i = 0; i < n; ++i) {
        InputProfileEntry entry;
        entry.language = LOWORD(reinterpret_cast<uintptr_t>(layouts[i]));
        entry.layout = layouts[i];
        AddGrouped(list, entry);
    }
    return list;
}

void SetDefaultInputProfile(const InputProfileEntry& entry) {
    HKL layout = entry.layout;
    if (entry.textService) {
        wchar_t id[9];
        _snwprintf(id, 9, L"%08x", entry.language);
        layout = LoadKeyboardLayoutW(id, KLF_SUBSTITUTE_OK | KLF_NOTELLSHELL);
        wchar_t path[160], category[40], clsid[40], profile[40];
        StringFromGUID2(GUID_TFCAT_TIP_KEYBOARD, category, 40);
        StringFromGUID2(entry.clsid, clsid, 40);
        StringFromGUID2(entry.profile, profile, 40);
        _snwprintf(path, 160, L"Software\\Microsoft\\CTF\\Assemblies\\0x%08x\\%ls", entry.language,
                   category);
        zan::UniqueKey key;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            key.put(), nullptr) == ERROR_SUCCESS) {
            RegSetValueExW(key.get(), L"Default", 0, REG_SZ, reinterpret_cast<const BYTE*>(clsid),
                           static_cast<DWORD>((wcslen(clsid) + 1) * sizeof(wchar_t)));
            RegSetValueExW(key.get(), L"Profile", 0, REG_SZ, reinterpret_cast<const BYTE*>(profile),
                           static_cast<DWORD>((wcslen(profile) + 1) * sizeof(wchar_t)));
            auto handle = static_cast<DWORD>(reinterpret_cast<uintptr_t>(layout));
            RegSetValueExW(key.get(), L"KeyboardLayout", 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&handle), sizeof handle);
        }
    }
    if (layout) SystemParametersInfoW(SPI_SETDEFAULTINPUTLANG, 0, &layout, 0);
}

void EnsureOtherDefault(InstallEnvironment& env, HKL ourLayout, REFCLSID ourClsid) {
    std::vector<InputProfileEntry> list = ListInputProfiles(env);
    HKL current = nullptr;
    if (!SystemParametersInfoW(SPI_GETDEFAULTINPUTLANG, 0, &current, 0)) return;
    LANGID language = LOWORD(reinterpret_cast<uintptr_t>(current));
    int index = -1;
    CLSID tip{};
    // A text service of the default layout's language that is the user's default stands for
    // it; otherwise the layout itself.
    if (DefaultTextService(language, &tip)) {
        for (size_t i = 0; i < list.size() && index < 0; ++i) {
            if (list[i].textService && IsEqualCLSID(list[i].clsid, tip))
                index = static_cast<int>(i);
        }
    }
    for (size_t i = 0; i < list.size() && index < 0; ++i) {
        if (!list[i].textService && list[i].layout == current) index = static_cast<int>(i);
    }
    int other = ChooseOtherDefault(list, index, ourLayout, ourClsid);
    if (other >= 0) SetDefaultInputProfile(list[other]);
}
