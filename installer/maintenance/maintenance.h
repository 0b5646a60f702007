// Repairing an installed product from its kept payload and removing it, with their progress
// and log through the environment, and what the repair and uninstall dialogs decide.
#pragma once
#include <windows.h>

#include <string>

#include "core/settings/config_blocks.h"
#include "installer/backup/user_word_backup.h"
#include "installer/install/environment.h"
#include "installer/remove/folder_removal.h"

// The payload a repair reinstalls from: the install folder + "_backup_.dat".
std::wstring RepairPayloadPath(const std::wstring& installFolder);
// True when the kept payload of installFolder can be opened for reading.
bool RepairPayloadReadable(const std::wstring& installFolder);

// Whether a removal may go on after the backup of the user words: yes unless the table held
// user words that no file saved; then ask asks the user (true for "go on").
enum class BackupVerdict { kProceed, kAsk };
BackupVerdict AfterBackup(BackupStatus status);

struct RepairRequest {
    std::wstring guidText;
    const SoftConfigData* soft = nullptr;  // of the kept payload
    ImeConfigData* ime = nullptr;          // of the kept payload; the profile mode may be set
    std::wstring unpackDir;                // the unpacked kept payload (no trailing '\')
    std::wstring runningProgram;           // the program running now, copied as installer.exe
    std::wstring wordFile;                 // the user words saved before, put back after
    HWND window = nullptr;                 // owner of questions
};

struct MaintenanceOutcome {
    bool rebootNeeded = false;
    std::wstring installFolder, dataFolder;  // the registered ones
    bool wasLastProduct = false;             // uninstall: the family's shared data went too
    RemovalOutcome removal;
};

// Reinstalls the registered product from the unpacked kept payload into its registered
// folders: registration removed, files, product keys, registration and links again. After
// a failure everything is removed (false).
bool RunRepair(InstallEnvironment& env, const RepairRequest& request, MaintenanceOutcome& outcome);

// Removes the product of guidText: its user words saved once more, registration, files
// (busy ones at the next restart), links, the family's shared data and keys when it is the
// last product, and its own keys.
bool RunUninstall(InstallEnvironment& env, const wchar_t* guidText, MaintenanceOutcome& outcome);
