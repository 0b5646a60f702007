// The installer's start-up: the command line chooses the mode, the seam runs it.
#pragma once
#include "installer/app/installer_modes.h"
#include "installer/app/installer_state.h"

// What start-up did.
enum class StartupOutcome {
    kReregistered,       // "/GUID=": the framework switch ran, no work folder
    kBadReregisterGuid,  // "/GUID=" with a text that is no GUID: nothing done
    kBadCommandLine,     // an unusable "/n" GUID, or uninstall/repair without one
    kNoWorkFolder,       // the work folder could not be rebuilt
    kRelaunched,         // uninstall or repair handed to the temporary copy
    kRelaunchFailed,
    kUninstalled,       // the uninstall dialog ran
    kBadInstallation,   // the installed product's values are missing
    kRepaired,          // the repair dialog ran
    kBadRepairPayload,  // the kept payload could not be unpacked
    kCleanedUp,         // 'z'
    kBadPayload,        // the install's payload could not be unpacked
    kNeedsTsf,          // Windows 8 or later and a payload without the text service
    kLicenceDeclined,
    kWizardRan,
};

struct StartupContext {
    const InstallerModes* modes;
    bool windows8OrLater;  // version 6.2 and up
};

// Everything after the program's initialisation, over a cleared state.
StartupOutcome RunInstaller(InstallerState* state, const wchar_t* commandLine,
                            const StartupContext& context);

// True on Windows 6.2 and later.
bool IsWindows8OrLater();
