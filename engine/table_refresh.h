// Remapping the engine's tables after main.dmg grew: Engine::RefreshTables unless a test
// installs its own.
#pragma once
#include "core/record/engine.h"

using TableRefreshFunction = void (*)(Engine*);
// Installs the refresh (null: none; the default is Engine::RefreshTables).
void SetTableRefreshFunction(TableRefreshFunction fn);
// Runs the installed refresh, if any.
void RefreshTablesAfterGrowth(Engine* engine);
