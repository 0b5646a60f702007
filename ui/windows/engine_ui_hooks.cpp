#include "ui/windows/engine_ui_hooks.h"

#include <cstdlib>

#include "engine/ui_hooks.h"
#include "ui/skin/active_skin.h"
#include "ui/windows/engine_windows.h"
#include "ui/windows/ui_state_block.h"

UIState* CreateUIState() { return static_cast<UIState*>(std::calloc(1, sizeof(UIState))); }

void DestroyUIState(UIState* state) {
    ReleaseUIState(state);
    std::free(state);
}

namespace {

bool PrepareEngineWindows(Engine* e) {
    if (!e->uiState) e->uiState = CreateUIState();
    return e->uiState && SelectActiveSkin(e);
}

void ReleaseEngineWindows(Engine* e) {
    DestroyEngineWindows(e);  // they hold the record as their user data
    DestroyUIState(e->uiState);
    e->uiState = nullptr;
}

const EngineUIHooks kWindowHooks = {PrepareEngineWindows, ReleaseEngineWindows};

}  // namespace

void InstallEngineUIHooks() { SetEngineUIHooks(&kWindowHooks); }
