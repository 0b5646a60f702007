// The text-service categories the input method is registered in, through the framework's
// category manager.
#pragma once
#include <windows.h>
#include <msctf.h>

#include "installer/install/environment.h"

// The categories in registration order; the last two only from Windows 8 on.
struct TipCategory {
    const GUID* guid;
    bool fromWindows8;
};
extern const TipCategory kTipCategories[8];

// Registers each category after the previous one succeeded; false at the first refusal or
// without a category manager.
bool RegisterTipCategories(InstallEnvironment& env, REFCLSID clsid, REFGUID item);
// Unregisters every category, whatever the others give.
void UnregisterTipCategories(InstallEnvironment& env, REFCLSID clsid, REFGUID item);
