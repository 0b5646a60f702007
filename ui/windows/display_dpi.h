// The display scale of the windows: the DPI of the window the input method serves, and the
// skin and fonts following it.
#pragma once
#include <windows.h>

#include <cstdint>

#include "core/record/engine.h"

// GetDpiForWindow where user32 has it (looked up at run time: Windows 7 lacks it), else the
// screen's LOGPIXELSY.
int32_t DpiOfWindow(HWND window);
// The window the record's windows serve: the focus window handed in, else the status bar's
// owner; may be null.
HWND ServedWindow(const Engine* engine);
// Sets the record's DPI; when it differs from the one in use, loads the skin again scaled
// for it and makes the fonts again. True when the scale changed (the callers lay out again).
bool UseDpi(Engine* engine, int32_t dpi);
// UseDpi with the DPI of the served window.
bool FollowServedDpi(Engine* engine);
