// The input method's engine record: creation over an installed data folder, and its end.
#include "engine/engine_create.h"

#include <windows.h>
#include <objbase.h>

#include <cstdlib>
#include <cstring>

#include "core/base/registry.h"
#include "core/record/engine.h"
#include "engine/platform.h"
#include "engine/table_refresh.h"
#include "engine/ui_state.h"
#include "ui/windows/engine_windows.h"

namespace {

bool Build(Engine* e) {
    if (Platform().loadGuidText(e->guidText, kGuidTextUnits) <= 0) return false;
    if (FAILED(IIDFromString(e->guidText, &e->guid))) return false;
    if (!ReadImeName(e->guidText, e->imeName)) return false;
    if (!ReadInstallLocation(e->guidText, e->installLocation)) return false;
    if (!ReadDataLocation(e->guidText, e->dataLocation)) return false;
    if (!Engine::OpenTables(e)) return false;
    if (!Engine::FindSettingsBlocks(e)) return false;
    return PrepareOpenedEngine(e);
}

}  // namespace

Engine* Engine::Create() {
    auto* e = static_cast<Engine*>(std::calloc(1, sizeof(Engine)));
    if (!e) return nullptr;
    e->page.pageEnd = -1;
    e->osVersion.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExW(&e->osVersion);
#pragma GCC diagnostic pop
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
    DestroyEngineWindows(e);  // they hold the record as their user data
    DestroyUIState(e->uiState);
    e->uiState = nullptr;
    e->soft = nullptr;
    e->ime = nullptr;
    e->dme = nullptr;
    e->skin = nullptr;
    CloseTables(e);
    std::free(e);
}
