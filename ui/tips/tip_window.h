// The tips window ("QLKXSKIN_TIPS"): a one-line message near a point that hides itself after
// six ticks of 500 ms unless the mouse rests on it.
#pragma once
#include <windows.h>

#include "core/record/engine.h"

constexpr size_t kTipTextChars = 127;
constexpr int kTipHideTicks = 6;

// Font height of a tip kind: 1 -14, 2 -12, any other -20 (a negative kind never hides).
int TipFontHeight(int kind);

// Shows text at (x, y) screen pixels; the count of ticks starts again. False when the window
// cannot be made.
bool ShowTipWindow(Engine* engine, int x, int y, int kind, const wchar_t* text);
void DestroyTipWindow(Engine* engine);

// Ticks counted since the engine's tip was last shown (for the window's timer).
int TipTicks(Engine* engine);

// Opens the status menu at a screen point for a right click on the tip; ShowStatusMenu by
// default. Tests install their own; null restores the default.
using TipStatusMenu = void (*)(Engine* engine, HWND owner, POINT at);
void SetTipStatusMenu(TipStatusMenu menu);
