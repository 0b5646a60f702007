// The one seam between start-up and the installer's dialogs and sequences: start-up decides
// the mode and calls these.
#pragma once
#include "installer/app/installer_state.h"

struct InstallerModes {
    // Splits and unpacks the payload under its progress dialog; true when all went well.
    bool (*extract)(InstallerState* state);
    // The licence agreement shown before the wizard; true when the user accepted.
    bool (*licence)(InstallerState* state);
    // The install wizard with its install sequence, modal.
    void (*wizard)(InstallerState* state);
    // The repair and the uninstall dialogs, modal.
    void (*repair)(InstallerState* state);
    void (*uninstall)(InstallerState* state);
    // "/GUID=" with "/EMMODE=1" (2, 3): register the text service again; with any other mode:
    // remove its registration and install the IMM32 keyboard layout again.
    void (*reregisterInputMethod)(InstallerState* state);
    void (*reinstallImeLayout)(InstallerState* state);
};

// The program's handlers.
const InstallerModes& DefaultInstallerModes();
