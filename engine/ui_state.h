// Home of the skinned windows' state block in the engine record.
#pragma once
#include "core/record/engine.h"

// A zeroed block, or null when memory is short.
UIState* CreateUIState();
// Frees the active skin's images and the block; null is allowed.
void DestroyUIState(UIState* state);
// Chooses and loads the active skin into the engine's UIState.
bool SelectSkinFile(Engine* engine);
