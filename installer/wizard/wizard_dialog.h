// The install wizard: the product's name, the licence, the install folder and the Install
// button, whose checks start the install on a worker; its progress and log fill the
// wizard.
#pragma once
#include <windows.h>

#include "installer/app/installer_state.h"
#include "installer/install/environment.h"

// Runs the wizard modally over the unpacked payload of state. The steps use env for the
// machine (its questions and progress go through the wizard).
void RunInstallWizard(HWND owner, InstallerState* state, InstallEnvironment& env);
