#include <cstring>

#include "core/record/engine_open.h"
#include "engine/engine_create.h"
#include "engine/symbol_display.h"
#include "engine/temp_reset.h"
#include "engine/ui_state.h"

bool PrepareOpenedEngine(Engine* e) {
    if (!e || !MainTableMatches(e)) return false;
    if (!e->soft || !e->ime || !e->dme || !e->skin) return false;
    if (!SettingsMatch(e)) return false;
    ResetTempWordsAfterBoot(e);
    if (!e->uiState) e->uiState = CreateUIState();
    if (!e->uiState || !SelectSkinFile(e)) return false;
    ResetSymbolRecords(e);
    return true;
}
