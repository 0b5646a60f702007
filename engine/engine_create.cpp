// The input method's engine record: creation over an installed data folder, and its end.
#include "engine/engine_create.h"

#include "core/record/engine.h"
#include "core/record/engine_open.h"
#include "engine/platform.h"
#include "engine/table_refresh.h"
#include "engine/ui_hooks.h"

namespace {

// The GUID text is the module's string resource.
bool Build(Engine* e) {
    wchar_t guidText[kGuidTextUnits] = {};
    if (Platform().loadGuidText(guidText, kGuidTextUnits) <= 0) return false;
    guidText[kGuidTextUnits - 1] = 0;
    return OpenEngineRecord(e, guidText) && PrepareOpenedEngine(e);
}

}  // namespace

Engine* Engine::Create() {
    Engine* e = AllocateEngineRecord();
    if (!e) return nullptr;
    e->page.pageEnd = -1;
    if (!Build(e)) {
        Destroy(e);
        return nullptr;
    }
    // Commits that grow main.dmg remap it through the shared refresh.
    SetTableRefreshFunction(&Engine::RefreshTables);
    return e;
}

void Engine::Destroy(Engine* e) {
    if (!e) return;
    UIHooks().release(e);
    FreeEngineRecord(e);
}
