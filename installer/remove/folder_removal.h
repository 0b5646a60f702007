// Removing the installer's own folders file by file, never through the shell; files held
// open are left for the next restart when asked.
#pragma once
#include <windows.h>

#include <string>

#include "installer/install/environment.h"

// What a removal left behind.
struct RemovalOutcome {
    bool rebootNeeded = false;  // something is deleted only at the next restart
    bool leftOver = false;      // something stays (busy and not scheduled, or refused)
};

// True for a folder path that a removal may empty: absolute ("X:\" or "\\"), with at least
// two levels below the root, without "..".
bool IsRemovableFolder(const std::wstring& folder);

// Deletes folder (with or without a trailing '\') and everything in it. A file that cannot
// be deleted is scheduled for deletion at restart with delayIfBusy, and so is every folder
// it keeps. A folder IsRemovableFolder refuses is left alone.
void RemoveFolderTree(InstallEnvironment& env, const std::wstring& folder, bool delayIfBusy,
                      RemovalOutcome& outcome);

// Removes folder only when it is empty; true when it is gone.
bool RemoveFolderIfEmpty(const std::wstring& folder);

// Deletes file; when it is held open, schedules its deletion at restart. False when it stays
// and could not be scheduled.
bool DeleteOrSchedule(InstallEnvironment& env, const std::wstring& file, RemovalOutcome& outcome);

// Removes the protected-mode copies of the shared data below the Internet cache folder.
void ClearVirtualStoreCopies(InstallEnvironment& env);
