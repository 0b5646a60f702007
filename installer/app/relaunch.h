// Uninstall and repair run from a copy in the temporary folder, which removes itself.
#pragma once
#include "installer/app/installer_state.h"

enum class RelaunchResult {
    kStarted,      // the copy runs with "/f"
    kCopyFailed,   // shown: the temporary folder cannot be reached
    kStartFailed,  // shown: the copy does not start
};

// Copies InstallLocation\installer.exe of guidText to the temporary folder as installer.exe
// and starts it with the arguments of commandLine (never the program's own path) and "/f".
RelaunchResult RelaunchFromTemp(const InstallerState& state, const wchar_t* commandLine);

// The temporary folder + "installer.exe"; empty when it does not fit 260 units.
void TempCopyPath(wchar_t (&out)[kPathChars]);

enum class SelfDelete {
    kAtRestart,    // the running file goes at the next restart
    kNotTempCopy,  // the running file is not the copy in the temporary folder: kept
    kFailed,
};

// The last act of the temporary copy: marks its own file for deletion at restart.
SelfDelete DeleteSelfOnExit();
// The same for a given running file (tests).
SelfDelete DeleteSelfOnExit(const wchar_t* modulePath);
