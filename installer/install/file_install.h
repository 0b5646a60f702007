// Copying the installed files: one file into its place (a busy one renamed aside and
// replaced at once), a data table written in place while it is mapped, whole folders, and
// fonts.
#pragma once
#include <windows.h>

#include <string>

#include "installer/install/account_access.h"
#include "installer/install/environment.h"

enum class FileInstallResult {
    kInstalled,  // the new file is in place
    kAtRestart,  // the new file replaces the old one at the next restart
    kFailed,
};

// Per-file copy of the install; rebootNeeded is set for kAtRestart.
struct FileInstaller {
    InstallEnvironment& env;
    bool rebootNeeded = false;
    HWND owner = nullptr;  // of the retry question

    // Copies source over target. An empty source, or source equal to target, is done; a
    // missing source fails. When the copy fails: the unpacked IME files are replaced without
    // asking; others ask to retry, and with allowDelay "No" replaces, without it fails. A
    // replacement renames the busy target aside in its folder, copies the new file at once
    // and deletes the old one at restart; when the target cannot be renamed, a copy beside
    // it replaces it at restart.
    FileInstallResult InstallSystemFile(const std::wstring& source, const std::wstring& target,
                                        bool allowDelay, AccessKind access = AccessKind::kCode);

    // A data table: copied; when it is in use, written in place through a writable mapping
    // grown or cut to the source's size; when that cannot be done either, replaced at
    // restart.
    FileInstallResult InstallDataFile(const std::wstring& source, const std::wstring& target);

    // Copies every file of source into target (created), sub-folders too except those
    // starting with '.', with InstallSystemFile (delay allowed) or InstallDataFile; the
    // source files are deleted after their copy unless keepSource. False at the first
    // failure.
    bool CopyDirectoryTree(const std::wstring& source, const std::wstring& target, bool keepSource,
                           bool dataFiles);

    FileInstallResult ReplaceBusyFile(const std::wstring& source, const std::wstring& target);
};

// Copies the fonts (.ttf, .ttc) of source into the Fonts folder that lack there, adds and
// registers them.
void InstallFonts(InstallEnvironment& env, const std::wstring& source);
