// The soft keyboard window ("QLKXSKIN_SKBD"): shown while the engine's soft keyboard is on.
#pragma once
#include <windows.h>

#include "core/record/engine.h"

// Places the keyboard on first use, creates the window once (owned by owner) and shows it
// without activation. False when the window cannot be made.
bool CreateSoftKeyboardWindow(Engine* engine, HWND owner);
// Hides and destroys the window; the engine forgets it.
void DestroySoftKeyboardWindow(Engine* engine);
