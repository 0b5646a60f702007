// The status bar window: a layered, topmost, never activated popup showing the skin's
// buttons over "bar.png", with the status text as its tooltip.
#pragma once
#include <windows.h>

#include "core/record/engine.h"

// (CreateStatusWindow is a macro of commctrl.h.) Creates the bar (hidden) owned by host when the
// record has a skin with a bar picture and none exists yet; no bar when the window after host in Z
// order belongs to mmc.exe. The tooltip and its one tool are made here. True when a bar exists
// afterwards.
bool CreateStatusBarWindow(Engine* engine, HWND host);
// The UIState block first when it is missing, then CreateStatusBarWindow.
bool EnsureStatusWindow(Engine* engine, HWND host);
// Regions and position from the skin and the stored position.
void LayoutStatusWindow(Engine* engine);
// Shows the bar at its position without activating it, updates the tooltip and paints.
void UpdateStatusWindow(Engine* engine);
void HideStatusWindow(Engine* engine);
void DestroyStatusWindow(Engine* engine);

// Caps Lock as the bar shows it; tests replace it (null restores GetKeyState).
void SetStatusCapsLockSeam(bool (*capsLock)());

LRESULT CALLBACK StatusWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
