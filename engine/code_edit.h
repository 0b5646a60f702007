// Editing the typed code at the caret, and taking back characters already sent.
#pragma once
#include "core/record/engine.h"

// Key whose arrival ends a backspace replay in the front ends.
constexpr uint8_t kReplayMarkerKey = 7;
