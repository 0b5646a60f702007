#include <cstring>

#include "core/record/engine_open.h"
#include "engine/engine_create.h"
#include "engine/symbol_display.h"
#include "engine/temp_reset.h"
#include "engine/ui_hooks.h"

bool PrepareOpenedEngine(Engine* e) {
    if (!e || !MainTableMatches(e)) return false;
    if (!e->soft || !e->ime || !e->dme || !e->skin) return false;
    if (!SettingsMatch(e)) return false;
    ResetTempWordsAfterBoot(e);
    if (!UIHooks().prepare(e)) return false;
    ResetSymbolRecords(e);
    return true;
}
