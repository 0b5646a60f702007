#include "installer/app/installer_modes.h"

#include "installer/install/environment.h"
#include "installer/maintenance/maintenance_dialog.h"
#include "installer/package/extract_dialog.h"
#include "installer/register/registration.h"
#include "installer/wizard/licence_dialog.h"
#include "installer/wizard/wizard_dialog.h"

namespace {

bool Licence(InstallerState* state) { return RunLicenceDialog(nullptr, state); }
void Wizard(InstallerState* state) { RunInstallWizard(nullptr, state, MachineEnvironment()); }
void Repair(InstallerState* state) {
    // The running copy in the temporary folder: the work folder holds no program here.
    wchar_t running[kPathChars];
    DWORD n = GetModuleFileNameW(nullptr, running, kPathChars);
    if (n == 0 || n >= kPathChars) running[0] = 0;
    RunRepairDialog(nullptr, state, MachineEnvironment(), running);
}
void Uninstall(InstallerState* state) { RunUninstallDialog(nullptr, state, MachineEnvironment()); }
void Reregister(InstallerState* state) {
    ReregisterInputMethod(MachineEnvironment(), state->guidText);
}
void ReinstallLayout(InstallerState* state) {
    ReinstallImeLayout(MachineEnvironment(), state->guidText);
}

}  // namespace

const InstallerModes& DefaultInstallerModes() {
    static const InstallerModes modes = {
        RunExtractDialog, Licence, Wizard, Repair, Uninstall, Reregister, ReinstallLayout,
    };
    return modes;
}
