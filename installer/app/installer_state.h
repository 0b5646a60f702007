// The installer's one state record: what the command line chose, its folders and the product
// description copied from the payload or the registry.
#pragma once
#include <windows.h>

#include <cstdint>

#include "core/base/path_util.h"
#include "core/settings/config_blocks.h"

// InstallerState::mode
constexpr uint8_t kModeInstall = 'i';  // empty command line
constexpr uint8_t kModeUninstall = 'u';
constexpr uint8_t kModeRepair = 'r';
constexpr uint8_t kModeCleanUp = 'z';  // remove the work folder only
constexpr uint8_t kModeInstallG = 'g';
constexpr uint8_t kModeNone = 0;  // arguments without a mode switch: an install too

// InstallerState::fromTemp
constexpr uint8_t kFromTemp = 'y';

constexpr int kGuidTextUnits = 40;
constexpr int kGuidTextChars = 38;  // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"

// The work folder's name in the temporary folder and the files it holds.
inline constexpr wchar_t kWorkFolderName[] = L"$zanInstaller$";
inline constexpr wchar_t kProgramPartName[] = L"installer.exe";
inline constexpr wchar_t kPayloadName[] = L"makedata.zip";
inline constexpr wchar_t kUnpackFolderName[] = L"zipdatas";

// Upgrade kinds found by the wizard's install check.
constexpr uint8_t kUpgradeNone = 0;
constexpr uint8_t kUpgradeOlder = 1;
constexpr uint8_t kUpgradeSame = 2;
constexpr uint8_t kUpgradeNewer = 3;

struct InstallerState {
    uint8_t mode;
    uint8_t fromTemp;
    wchar_t guidText[kGuidTextUnits];  // registry form, empty when none was given
    GUID guid;
    wchar_t workDir[kPathChars];
    wchar_t modulePath[kPathChars];
    wchar_t payloadPath[kPathChars];  // the archive to unpack
    wchar_t unpackDir[kPathChars];
    wchar_t installLocation[kPathChars];  // ends in '\'
    wchar_t dataLocation[kPathChars];
    SoftConfigData soft;  // product description
    ImeConfigData ime;    // the payload's input-option block
    // Wizard: the chosen folder, the folder chooser's start and the upgrade kind found.
    wchar_t folder[kPathChars];
    wchar_t chooserStart[kPathChars];
    uint8_t upgradeKind;
};

// A state with every field zero.
void ClearInstallerState(InstallerState* state);

// True for "{8-4-4-4-12 hex}" of exactly 38 characters; guid (may be null) gets its value.
bool ParseGuidText(const wchar_t* text, GUID* guid);
