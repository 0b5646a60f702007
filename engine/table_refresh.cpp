#include "engine/table_refresh.h"

namespace {
TableRefreshFunction g_refresh = &Engine::RefreshTables;
}

void SetTableRefreshFunction(TableRefreshFunction fn) { g_refresh = fn; }

void RefreshTablesAfterGrowth(Engine* e) {
    if (g_refresh && e) g_refresh(e);
}
