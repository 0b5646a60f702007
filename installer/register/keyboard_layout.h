// The input method's IMM32 keyboard layout: finding it, its registry text, and removing it
// from the layout list and every user's Preload list.
#pragma once
#include <windows.h>

#include "installer/install/environment.h"

// "%08X" of the layout id: the low 32 bits of the handle (a 64-bit handle of an IME layout
// is sign-extended).
void LayoutText(HKL layout, wchar_t (&out)[9]);

// The loaded layout whose IME file is fileName (case ignored); else one of the machine's
// "Keyboard Layouts" entries whose "Ime File" is fileName; else null.
HKL FindImeKeyboardLayout(const wchar_t* fileName);

// Removes the first numbered value of a Preload key whose data is layoutText (case
// ignored): each later value moves down one number and the last number goes. True when a
// value was removed.
bool RemovePreloadValue(HKEY preload, const wchar_t* layoutText);

// Removes the layout of imeName + ".ime": another input method becomes the default first
// (with a clsid), its Preload entries of the current user and of every user under
// HKEY_USERS go, its "Keyboard Layouts" entries of both control sets go, and it is unloaded
// (with broadcast, the windows are told). True when the layout was found.
bool UnregisterKeyboardLayout(InstallEnvironment& env, const wchar_t* imeName, bool broadcast,
                              const CLSID* clsid);

constexpr wchar_t kKeyboardLayoutsKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts";
constexpr wchar_t kKeyboardLayoutsKey001[] = L"SYSTEM\\ControlSet001\\Control\\Keyboard Layouts";
