// Steps of creating the input method's engine record.
#pragma once
#include "core/record/engine.h"

// After the tables are open and the settings blocks found: checks that main.dmg and the
// settings belong to this input method (GUID, format version), empties the temporary words
// of an earlier boot, allocates the UIState and selects the skin, and resets the paired
// symbols. False when a check or an allocation fails (the caller destroys the record).
bool PrepareOpenedEngine(Engine* engine);
