// The status text: the status bar's tooltip and the language-bar button's.
#pragma once
#include "core/record/engine.h"

constexpr int kStatusTextUnits = 256;

// Writes the text of the engine's modes and scheme into out (cut to units, terminated) and
// returns its length. capsLock: Caps Lock is toggled on.
int BuildStatusText(const Engine* engine, bool capsLock, wchar_t* out, int units);
