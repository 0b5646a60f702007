// The licence agreement of the payload with accept and decline. No browser engine is relied
// on: the page is shown as plain text in a read-only control.
#pragma once
#include <windows.h>

#include "installer/app/installer_state.h"

// Runs the licence dialog over the unpacked payload; true when the user accepted.
bool RunLicenceDialog(HWND owner, InstallerState* state);
