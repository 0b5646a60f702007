#include "engine/ui_state.h"

#include <cstdlib>

// The windows' state grows with the window code; until then it is an empty zeroed block.
struct UIState {
    uint32_t reserved;
};

UIState* CreateUIState() { return static_cast<UIState*>(std::calloc(1, sizeof(UIState))); }

void DestroyUIState(UIState* state) { std::free(state); }

// No skin loader yet: nothing to choose, which is not a failure.
bool SelectSkinFile(Engine* engine) { return engine && engine->uiState; }
