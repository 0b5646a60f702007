// The IME's UI window class "ZANTOR3UI" and its window procedure.
#pragma once
#include "textservice/imm/imm_driver.h"

inline constexpr wchar_t kImeUIClassName[] = L"ZANTOR3UI";
// What IMM keeps in the window: the input context and one spare pointer.
constexpr int kImeUIWindowExtra = 2 * static_cast<int>(sizeof(LONG_PTR));
// Hotkey ids are 123 + the configured index.
constexpr int kHotkeyIdBase = 123;

// Registers the class with module (kept registered); true when it is registered.
bool RegisterImeUIClass(HINSTANCE module);
LRESULT CALLBACK ImeUIWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The UI window's handling of messages on a locked context (tests call it directly).
LRESULT HandleImeUIMessage(HWND hwnd, HIMC himc, UINT message, WPARAM wParam, LPARAM lParam);
// Unregisters and registers the configured hotkeys of the engine for hwnd.
struct Engine;
void RegisterImeHotkeys(HWND hwnd, Engine* engine);
void UnregisterImeHotkeys(HWND hwnd, Engine* engine);
