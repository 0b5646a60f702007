// What the updater does on its worker: the check against the update server, and the program
// or data update that a check offered. Reports go through callbacks; nothing here touches a
// window, and the installer is started through the dialog layer's port.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "config/update_list.h"
#include "core/base/path_util.h"
#include "core/base/registry.h"
#include "core/record/engine_shared.h"

struct Engine;

struct UpdateReports {
    // A line of the log; null clears the log.
    void (*log)(void* context, const wchar_t* text);
    // The text of the progress line.
    void (*progress)(void* context, const wchar_t* text);
    void* context;
};

struct UpdateTask {
    wchar_t guidText[kGuidTextUnits];
    wchar_t imeName[kImeNameChars];
    wchar_t installLocation[kPathChars];
    wchar_t tempFolder[kPathChars];  // ends in "\"
    UpdateReports reports;
    UpdateInfo info;
};

// Limits of what is downloaded.
constexpr uint64_t kMaxUpdateListBytes = 1024 * 1024;
constexpr uint64_t kMaxUpdateArchiveBytes = 512ull * 1024 * 1024;

// False (with the log line) without a GUID text or a temporary folder.
bool StartUpdateTask(UpdateTask& task, const wchar_t* guidText, const UpdateReports& reports);
// The request address of the soft block's template; empty (with the log line) when there is
// no template.
std::wstring BuildRequestUrl(const UpdateTask& task, const Engine* engine);
// Downloads and reads the update list; true when it holds a software version.
bool FetchUpdateList(UpdateTask& task, const std::wstring& url);

enum class CheckOutcome { kStartFailed, kUnreachable, kInstaller, kData, kUpToDate };
const char* CheckOutcomeName(CheckOutcome o);
// The whole check with its log; the mode the next update uses.
CheckOutcome RunUpdateCheck(UpdateTask& task, const wchar_t* guidText, const Engine* engine,
                            const UpdateReports& reports);

enum class UpdateOutcome {
    kStartFailed,
    kNothingToDo,
    kWorkFolderBusy,
    kBadUrl,
    kDownloadFailed,
    kNoDigest,
    kDigestMismatch,
    kExtractFailed,
    kNoSetup,
    kSetupFailed,
    kInstallerStarted,  // the dialog closes
    kDataRefused,       // a data file failed its checks: nothing was copied
    kDataFailed,        // a copy failed: the versions stay
    kDataInstalled,
};
const char* UpdateOutcomeName(UpdateOutcome o);

// How long the work folder is waited for, between tries (1 s in the program).
void SetWorkFolderRetryDelay(DWORD ms);

// The update of mode with its log, from the list the task holds (filled by a check).
UpdateOutcome RunUpdate(UpdateTask& task, const wchar_t* guidText, Engine* engine, UpdateMode mode,
                        HWND owner, const UpdateReports& reports);

enum class DataInstallResult { kInstalled, kNoFiles, kRefused, kCopyFailed };
// The plain files of source (ending in "\") checked as data files of the engine's
// installation, then copied into its data folder (through the mapping when a file is in
// use; never config.dsc that way); the tables refreshed.
DataInstallResult InstallDataFiles(const wchar_t* source, Engine* engine,
                                   const UpdateReports& reports);
