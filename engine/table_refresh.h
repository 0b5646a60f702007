// Remapping the engine's tables after main.dmg grew. The shared opener's
// Engine::RefreshTables is called through this hook until every build links it.
#pragma once
#include "core/engine.h"

using TableRefreshFunction = void (*)(Engine*);
// Installs the refresh (null: none).
void SetTableRefreshFunction(TableRefreshFunction fn);
// Runs the installed refresh, if any.
void RefreshTablesAfterGrowth(Engine* engine);
