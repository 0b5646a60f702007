// The one open settings page of the module and the caller's engine it edits.
#pragma once
#include <windows.h>

struct Engine;

constexpr int kPageInputOptions = 1;
constexpr int kPageAppearance = 3;

HWND CreateSettingsPage(HWND parent, int page, Engine* caller);
int DestroySettingsPage(int apply);

// The engine of the open page (null when none).
Engine* SettingsPageEngine();
// The open page's window (null when none).
HWND OpenSettingsPage();
