#include "installer/register/registration.h"

#include <imm.h>

#include <cstring>
#include <cwchar>
#include <memory>
#include <string>

#include "core/base/handles.h"
#include "core/base/mapped_file.h"
#include "core/base/registry.h"
#include "installer/backup/app_path.h"
#include "installer/install/field_text.h"
#include "installer/install/product_registry.h"
#include "installer/register/clsid_keys.h"
#include "installer/register/keyboard_layout.h"
#include "installer/register/tip_categories.h"
#include "textservice/com_ptr.h"

namespace {

std::wstring ImeFileIn(const std::wstring& folder, const wchar_t* imeName) {
    if (folder.empty() || !imeName || !*imeName) return {};
    std::wstring path = folder + imeName + L".ime";
    return path.size() < kPathChars ? path : std::wstring();
}

// The profile mode switched on in the ime block of dataFolder's config.dsc.
bool SwitchProfileModeOn(const wchar_t* dataFolder) {
    if (!dataFolder || !*dataFolder) return false;
    std::wstring path = std::wstring(dataFolder) + L"config.dsc";
    MappedFile* raw = nullptr;
    if (MappedFile::Open(&raw, path.c_str()) <= 0 || !raw) return false;
    MappedFilePtr file(raw);
    if (!file->IsMapped()) return false;
    ImeConfigData* ime = FindImeConfig(file.get());
    if (!ime) return false;
    uint32_t options;
    std::memcpy(&options, &ime->options, 4);
    options |= kImeProfileModeOn;
    std::memcpy(&ime->options, &options, 4);
    return MappedFile::Flush(file.get());
}

void CleanStart(InstallEnvironment& env, const wchar_t* guidText, const CLSID& clsid,
                const wchar_t* imeName) {
    RemoveLanguageProfile(env, guidText);
    ComPtr<ITfInputProcessorProfiles> profiles;
    if (SUCCEEDED(env.CreateProfiles(profiles.put())) && profiles) profiles->Unregister(clsid);
    UnregisterTipCategories(env, clsid, clsid);
    UnregisterKeyboardLayout(env, imeName, false, &clsid);
    RemoveClsidKeys(guidText);
}

}  // namespace

std::wstring ImeFilePath64(InstallEnvironment& env, const wchar_t* imeName) {
    return ImeFileIn(env.SystemFolder(), imeName);
}

std::wstring ImeFilePath32(InstallEnvironment& env, const wchar_t* imeName) {
    return ImeFileIn(env.SystemWow64Folder(), imeName);
}

LANGID ReadProductLanguage(const wchar_t* guidText) {
    wchar_t path[kImeRegistryPathChars];
    int n = _snwprintf(path, kImeRegistryPathChars, kImeRegistryFormat, guidText);
    DWORD value = 0, bytes = sizeof value;
    zan::UniqueKey key;
    if (n > 0 && n < kImeRegistryPathChars &&
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | KEY_WOW64_64KEY, key.put()) ==
            ERROR_SUCCESS &&
        RegGetValueW(key.get(), nullptr, L"LANGID", RRF_RT_REG_DWORD, nullptr, &value, &bytes) ==
            ERROR_SUCCESS &&
        value != 0 && value <= 0xFFFF) {
        return static_cast<LANGID>(value);
    }
    return static_cast<LANGID>(kDefaultLanguageId);
}

bool RemoveLanguageProfile(InstallEnvironment& env, const wchar_t* guidText) {
    CLSID clsid;
    if (!IsGuidText(guidText) || FAILED(CLSIDFromString(guidText, &clsid))) return false;
    ComPtr<ITfInputProcessorProfiles> profiles;
    if (FAILED(env.CreateProfiles(profiles.put())) || !profiles) return false;
    return SUCCEEDED(profiles->RemoveLanguageProfile(clsid, ReadProductLanguage(guidText), clsid));
}

RegistrationResult RegisterInputMethod(InstallEnvironment& env, const wchar_t* guidText,
                                       const wchar_t* dataFolder, const SoftConfigData& soft,
                                       ImeConfigData& ime) {
    CLSID clsid;
    if (!IsGuidText(guidText) || FAILED(CLSIDFromString(guidText, &clsid))) {
        return kRegistrationRefused;
    }
    std::wstring imeName = Field(soft.imeName);
    std::wstring languageName = Field(soft.languageName);
    uint32_t flags, options, languageId;
    std::memcpy(&flags, &soft.installFlags, 4);
    std::memcpy(&options, &ime.options, 4);
    std::memcpy(&languageId, &soft.languageId, 4);
    auto language = static_cast<LANGID>(languageId == 0 ? kDefaultLanguageId : languageId);

    CleanStart(env, guidText, clsid, imeName.c_str());

    std::wstring file64 = ImeFilePath64(env, imeName.c_str());
    if (file64.empty()) return kRegistrationRefused;
    std::wstring file32 = ImeFilePath32(env, imeName.c_str());
    if (file32.empty()) file32 = file64;

    HKL layout = nullptr;
    if (env.WindowsVersion() < kWindows8) {
        layout = ImmInstallIMEW(file64.c_str(), languageName.c_str());
        if (!layout) return kRegistrationRefused;
        if (!(flags & kInstallCarriesTextService) || !(options & kImeProfileModeMask)) {
            return kRegistered;
        }
    } else {
        if (!(flags & kInstallCarriesTextService)) return kRegistrationRefused;
        if (!(options & kImeProfileModeMask)) {
            SwitchProfileModeOn(dataFolder);
            options |= kImeProfileModeOn;
            std::memcpy(&ime.options, &options, 4);
        }
    }

    if (!RegisterTextServiceClsid(guidText, file64.c_str()) ||
        !RegisterTextServiceClsid32(guidText, file32.c_str(), kTextServiceDescription)) {
        return kRegistrationRefused;
    }

    // Without the profile object nothing makes the text service known: a refusal, unless
    // the IMM32 layout above already works on its own.
    ComPtr<ITfInputProcessorProfiles> profiles;
    if (FAILED(env.CreateProfiles(profiles.put())) || !profiles) {
        return layout ? kRegistered : kRegistrationRefused;
    }
    if (FAILED(profiles->Register(clsid))) return kRegistrationRefused;
    if (FAILED(profiles->AddLanguageProfile(clsid, language, clsid, languageName.c_str(),
                                            static_cast<ULONG>(languageName.size()), file32.c_str(),
                                            static_cast<ULONG>(file32.size()), 0))) {
        return kRegistrationRefused;
    }
    if (layout) {
        HRESULT hr = profiles->SubstituteKeyboardLayout(clsid, language, clsid, layout);
        // A framework that cannot substitute layouts keeps both, each working on its own.
        if (FAILED(hr) && hr != E_NOTIMPL) return kRegistrationRefused;
    }
    BOOL enable = (options & kImeProfileModeMask) ? TRUE : FALSE;
    profiles->EnableLanguageProfileByDefault(clsid, language, clsid, enable);
    profiles->EnableLanguageProfile(clsid, language, clsid, enable);
    return RegisterTipCategories(env, clsid, clsid) ? kRegistered : kRegistrationRefused;
}

bool UnregisterInputMethod(InstallEnvironment& env, const wchar_t* guidText,
                           const wchar_t* uninstallCommand, const wchar_t* installFolder) {
    CLSID clsid;
    if (!IsGuidText(guidText) || FAILED(CLSIDFromString(guidText, &clsid))) return false;
    wchar_t imeName[kImeNameChars];
    if (!ReadImeName(guidText, imeName) || !imeName[0]) return true;
    if (uninstallCommand && *uninstallCommand) {
        std::wstring command = ExpandAppPath(uninstallCommand, installFolder ? installFolder : L"");
        std::wstring file = command, parameters;
        size_t split = command.find(L" /");
        if (split != std::wstring::npos) {
            file = command.substr(0, split);
            parameters = command.substr(split + 1);
        }
        env.Launch(file.c_str(), parameters.c_str(), false);
    }
    RemoveLanguageProfile(env, guidText);
    UnregisterKeyboardLayout(env, imeName, true, &clsid);
    ComPtr<ITfInputProcessorProfiles> profiles;
    if (SUCCEEDED(env.CreateProfiles(profiles.put())) && profiles) profiles->Unregister(clsid);
    UnregisterTipCategories(env, clsid, clsid);
    RemoveClsidKeys(guidText);
    return true;
}

void ReregisterInputMethod(InstallEnvironment& env, const wchar_t* guidText) {
    ProductValues v;
    if (!ReadProductValues(guidText, v) || v.installLocation.empty() || v.dataLocation.empty() ||
        v.imeName.empty() || v.displayName.empty() || v.displayVersion.empty() ||
        v.languageName.empty()) {
        return;
    }
    auto soft = std::make_unique<SoftConfigData>();
    auto ime = std::make_unique<ImeConfigData>();
    std::memset(soft.get(), 0, sizeof *soft);
    std::memset(ime.get(), 0, sizeof *ime);
    FillSoftFromProduct(v, *soft);
    soft->installFlags = kInstallCarriesTextService | kInstallReregistered;
    ime->options = kImeProfileModeOn;
    WriteProductRegistry(guidText, v.dataLocation.c_str(), v.installLocation.c_str(), *soft);
    RegisterInputMethod(env, guidText, v.dataLocation.c_str(), *soft, *ime);
}

void ReinstallImeLayout(InstallEnvironment& env, const wchar_t* guidText) {
    CLSID clsid;
    if (!IsGuidText(guidText) || FAILED(CLSIDFromString(guidText, &clsid))) return;
    RemoveLanguageProfile(env, guidText);
    ComPtr<ITfInputProcessorProfiles> profiles;
    if (SUCCEEDED(env.CreateProfiles(profiles.put())) && profiles) profiles->Unregister(clsid);
    UnregisterTipCategories(env, clsid, clsid);
    RemoveClsidKeys(guidText);
    wchar_t imeName[kImeNameChars];
    if (!ReadImeName(guidText, imeName) || !imeName[0]) return;
    UnregisterKeyboardLayout(env, imeName, false, nullptr);
    wchar_t languageName[kPathChars];
    if (!ReadImeRegistryValue(guidText, L"LanguageName", languageName, kPathChars) ||
        !languageName[0]) {
        return;
    }
    std::wstring file64 = ImeFilePath64(env, imeName);
    if (!file64.empty()) ImmInstallIMEW(file64.c_str(), languageName);
}
