// What the install wizard decides before the install starts: its default folder, the folder
// the chooser gives, and the checks of the machine and the chosen folder in their order.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "core/settings/config_blocks.h"
#include "installer/install/environment.h"
#include "installer/install/install_sequence.h"

// The GUID texts of every product under env's family key (64-bit view, then the 32-bit one)
// whose value valueName equals wanted, case ignored.
std::vector<std::wstring> FindInstalledInputMethods(InstallEnvironment& env,
                                                    const wchar_t* valueName,
                                                    const std::wstring& wanted);

// The wizard's first folder: Program Files + the product's folder name + '\', or the parent
// of the installed version folder when the product is installed.
std::wstring DefaultInstallFolder(InstallEnvironment& env, const wchar_t* guidText,
                                  const SoftConfigData& soft);

// A folder from the chooser with the product's folder name appended.
std::wstring ChosenFolderWithProduct(const std::wstring& chosen, const SoftConfigData& soft);

// The marker of a removal that waits for the restart: application data +
// "ZantorIME3\{guid}.lock".
std::wstring PendingRestartMarker(InstallEnvironment& env, const wchar_t* guidText);

// Installed version of the product against the package: its soft block's major and minor
// (0.0 without a readable block); false when it is not installed (no installer.exe or no
// IME name).
bool ReadInstalledVersion(const wchar_t* guidText, uint32_t* major, uint32_t* minor);

// The upgrade kind of an installed version against the package's (215, minor).
UpgradeKind CompareVersions(uint32_t installedMajor, uint32_t installedMinor,
                            uint32_t packageMinor);

enum class InstallCheck {
    kProceed,
    kRestartPending,     // a removal waits for the restart
    kSameNameInstalled,  // another product has this DisplayName
    kNoFolder,           // the folder is empty
    kFolderOfAnother,    // the version folder belongs to another product
    kNewerInstalled,     // no downgrade
    kUpgradeDeclined,    // the user said no to replacing the installed version
};

struct InstallCheckResult {
    InstallCheck verdict = InstallCheck::kProceed;
    UpgradeKind upgrade = UpgradeKind::kNone;
};

// The checks of the Install button in their order; each refusal is shown through env with
// caption "输入法安装", the upgrade questions are asked through env.
InstallCheckResult CheckInstall(InstallEnvironment& env, HWND owner, const wchar_t* guidText,
                                const SoftConfigData& soft, const std::wstring& folder);
