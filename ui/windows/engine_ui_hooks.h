// The skinned windows' side of an engine record: its window state block, and the hooks that
// give it to the engine.
#pragma once
#include "core/record/engine.h"

// A zeroed block, or null when memory is short.
UIState* CreateUIState();
// Frees the active skin's images and the block; null is allowed.
void DestroyUIState(UIState* state);

// Installs the hooks that give every engine record created from now on its window state and
// active skin, and destroy its windows with it.
void InstallEngineUIHooks();
