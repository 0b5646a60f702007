// The "skbd(" command of command candidates, for the engine's command hook.
#pragma once
#include "core/record/engine.h"

// A layout number 1-13 shows the soft keyboard with that layout; anything else hides it.
// Sent as the soft-keyboard UICommand to the front end that owns the engine. 1 when sent.
int SoftKeyboardCommand(Engine* engine, const wchar_t* argument);
