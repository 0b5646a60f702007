// Making Windows know the installed input method: its text service with the framework
// (class keys, language profile, categories) and, before Windows 8, its IMM32 layout.
#pragma once
#include <windows.h>

#include "core/settings/config_blocks.h"
#include "installer/install/environment.h"

enum RegistrationResult : int {
    kRegistrationRefused = 0,
    kRegistered = 1,
};

// Framework bits of the input-option block.
constexpr uint32_t kImeProfileModeMask = 0x7000;  // ImeConfigData::options: profile enabled
constexpr uint32_t kImeProfileModeOn = 0x1000;
constexpr uint32_t kInstallCarriesTextService = kInstallRunMarkB;  // soft installFlags
constexpr uint32_t kInstallReregistered = kInstallRunMarkA;

// The product's paths of the IME file: system folder + imeName + ".ime", in the 64-bit and
// the 32-bit system folder. Empty when a folder or the name is missing or too long.
std::wstring ImeFilePath64(InstallEnvironment& env, const wchar_t* imeName);
std::wstring ImeFilePath32(InstallEnvironment& env, const wchar_t* imeName);

// Registers the installed input method after a clean start that removes whatever an earlier
// registration left. Before Windows 8 the IMM32 layout is installed first; from Windows 8
// on a package without the text service is refused, and the profile mode is switched on in
// the data folder's config.dsc (and in ime) when it is off.
RegistrationResult RegisterInputMethod(InstallEnvironment& env, const wchar_t* guidText,
                                       const wchar_t* dataFolder, const SoftConfigData& soft,
                                       ImeConfigData& ime);

// Unregisters the product of guidText: runs its uninstall command (with "{appPath}" the
// install folder) when given, removes the language profile, layout, registration,
// categories and class keys. True also when nothing was registered.
bool UnregisterInputMethod(InstallEnvironment& env, const wchar_t* guidText,
                           const wchar_t* uninstallCommand, const wchar_t* installFolder);

// The framework's language profile of the product, removed; false when refused.
bool RemoveLanguageProfile(InstallEnvironment& env, const wchar_t* guidText);

// "LANGID" of the product key; 2052 when it is missing or 0.
LANGID ReadProductLanguage(const wchar_t* guidText);

// The two re-registration modes: the text service again from the product key's values with
// the profile mode on, or the IMM32 layout alone.
void ReregisterInputMethod(InstallEnvironment& env, const wchar_t* guidText);
void ReinstallImeLayout(InstallEnvironment& env, const wchar_t* guidText);
