#include "engine/ui_state.h"

#include <cstdlib>

#include "ui/skin/active_skin.h"
#include "ui/windows/ui_state_block.h"

UIState* CreateUIState() { return static_cast<UIState*>(std::calloc(1, sizeof(UIState))); }

void DestroyUIState(UIState* state) {
    ReleaseUIState(state);
    std::free(state);
}

bool SelectSkinFile(Engine* engine) { return SelectActiveSkin(engine); }
