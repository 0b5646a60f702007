// The installer's work folder in the temporary folder, and removing folders.
#pragma once
#include <cstddef>

#include "core/base/folder_tree.h"
#include "installer/app/installer_state.h"

// tempPath + '\' when missing + name into buffer; the length, or 0 and an empty buffer when
// name, path and 2 would not be shorter than count.
int ComposeWorkDirectory(const wchar_t* tempPath, const wchar_t* name, wchar_t* buffer,
                         size_t count);
// The same over GetTempPathW.
int GetWorkDirectory(const wchar_t* name, wchar_t* buffer, size_t count);

// Removes path with everything in it, in this process, trying once more after a moment when
// something stays (a process that just ended may still hold a file). With delayIfBusy what
// stays is marked for deletion at restart.
FolderDeleteResult RemoveDirectoryByShell(const wchar_t* path, bool delayIfBusy);

// workDir rebuilt empty and modulePath stored. False when the temporary path is too long,
// the old folder stays, or the new one cannot be made.
bool PrepareWorkDirectory(InstallerState* state);

// Removes workDir (when set) with everything in it.
void RemoveWorkDirectory(const InstallerState& state);
