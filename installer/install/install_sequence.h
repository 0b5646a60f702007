// The install itself: where the product goes, and the steps that copy the payload, write the
// registry, register the input method, write the uninstall entry and links and keep the
// payload for repairs, with a rollback when a step fails.
#pragma once
#include <windows.h>

#include <string>

#include "core/settings/config_blocks.h"
#include "installer/backup/user_word_backup.h"
#include "installer/install/environment.h"

// The fixed major version of every package.
constexpr int kPackageMajorVersion = 215;

// Upgrade kinds found by the wizard's checks.
enum class UpgradeKind {
    kNone = 0,
    kOlderInstalled = 1,
    kSameInstalled = 2,
    kNewerInstalled = 3,
};

// "215.<minor>" of the package.
std::wstring PackageVersionText(const SoftConfigData& soft);
// path + "ZantorIME3\" ('\' inserted when missing) + each non-empty part with a '\'.
std::wstring BuildProductPath(const std::wstring& path, const std::wstring& part1,
                              const std::wstring& part2);
// The install folder: the chosen folder + the version + '\' ('\' inserted when missing).
std::wstring InstallFolderFor(const std::wstring& chosen, const SoftConfigData& soft);
// The data folder: application data + ZantorIME3\GUID\version\.
std::wstring DataFolderFor(InstallEnvironment& env, const std::wstring& guidText,
                           const SoftConfigData& soft);

struct InstallRequest {
    std::wstring guidText;
    const SoftConfigData* soft = nullptr;  // of the payload
    ImeConfigData* ime = nullptr;          // of the payload; the profile mode may be set
    std::wstring unpackDir;                // the unpacked payload (no trailing '\')
    std::wstring workProgram;              // the plain program copy of the work folder
    std::wstring payloadPath;              // the payload archive of the work folder
    std::wstring chosenFolder;             // the wizard's folder
    UpgradeKind upgrade = UpgradeKind::kNone;
    std::wstring owner, organisation;
    HWND window = nullptr;  // owner of questions
};

struct InstallOutcome {
    bool rebootNeeded = false;
    std::wstring installFolder, dataFolder;
    BackupStatus backup = BackupStatus::kNothingInstalled;
    BackupFiles backupFiles;
};

// Copies the unpacked payload to its places (IME files, Windows and font files, data files,
// the rest into the install folder, the program itself). False at the first file that could
// not be installed.
bool InstallFileSystem(InstallEnvironment& env, const InstallRequest& request,
                       const std::wstring& installFolder, const std::wstring& dataFolder,
                       bool& rebootNeeded);

// The whole install with its progress and log through env. False after a failure, when
// everything the install wrote is removed again, or when the user stopped it.
bool RunInstall(InstallEnvironment& env, const InstallRequest& request, InstallOutcome& outcome);
