// Engine record of the configuration program: identity from the command line, folders from
// the registry, checked data files, and the loaded input method module.
#include "core/record/engine_config.h"

#include <objbase.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "core/base/path_util.h"
#include "core/base/registry.h"
#include "core/record/boot_stamp.h"
#include "core/table/table_format.h"

namespace {

constexpr size_t kGuidTextMax = kGuidTextUnits - 1;

bool CopyGuidText(Engine* e, const wchar_t* guidText) {
    if (!guidText) return false;
    const size_t n = wcsnlen(guidText, kGuidTextMax + 1);
    if (n == 0 || n > kGuidTextMax) return false;  // a cut text names another GUID
    std::memcpy(e->guidText, guidText, n * sizeof(wchar_t));
    e->guidText[n] = 0;
    return SUCCEEDED(IIDFromString(e->guidText, &e->guid));
}

bool ReadFolders(Engine* e) {
    return ReadImeName(e->guidText, e->imeName) && e->imeName[0] &&
           ReadInstallLocation(e->guidText, e->installLocation) && e->installLocation[0] &&
           ReadDataLocation(e->guidText, e->dataLocation) && e->dataLocation[0];
}

// The main table belongs to this input method and has the current format.
bool MainTableMatches(const Engine* e) {
    const MappedFile* t = e->mainTable;
    if (!t || !t->view || t->size < static_cast<int32_t>(sizeof(TableFileHeader))) return false;
    uint16_t version;
    std::memcpy(&version, t->view + offsetof(TableFileHeader, version), sizeof version);
    return std::memcmp(t->view + offsetof(TableFileHeader, guid), &e->guid, 16) == 0 &&
           version == kTableVersion;
}

bool LoadImeModule(Engine* e, const ConfigEngineHooks& hooks) {
    wchar_t path[kPathChars];
    if (!hooks.modulePath || !hooks.modulePath(e->imeName, path)) return false;
    e->imeModule = LoadLibraryW(path);
    return e->imeModule != nullptr;
}

bool Build(Engine* e, const wchar_t* guidText, const ConfigEngineHooks& hooks) {
    e->osVersion.dwOSVersionInfoSize = sizeof e->osVersion;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExW(&e->osVersion);
#pragma GCC diagnostic pop
    if (!CopyGuidText(e, guidText)) return false;
    if (!ReadFolders(e)) return false;
    if (!Engine::OpenTables(e)) return false;
    if (!MainTableMatches(e)) return false;
    if (!Engine::FindSettingsBlocks(e)) return false;
    if (std::memcmp(e->soft->guid, &e->guid, 16) != 0) return false;
    if (hooks.bootTime) ClearTempTableOnNewBoot(e, hooks.bootTime());
    return LoadImeModule(e, hooks);
}

}  // namespace

ConfigEngineHooks DefaultConfigEngineHooks() { return {&CurrentBootTime, &GetImeModulePath}; }

Engine* CreateConfigEngine(const wchar_t* guidText, const ConfigEngineHooks& hooks) {
    auto* e = static_cast<Engine*>(std::calloc(1, sizeof(Engine)));
    if (!e) return nullptr;
    if (!Build(e, guidText, hooks)) {
        Engine::DestroyForConfig(e);
        return nullptr;
    }
    return e;
}

Engine* Engine::CreateForConfig(const wchar_t* guidText) {
    return CreateConfigEngine(guidText, DefaultConfigEngineHooks());
}

void Engine::DestroyForConfig(Engine* engine) {
    if (!engine) return;
    if (engine->imeModule) FreeLibrary(engine->imeModule);
    engine->imeModule = nullptr;
    engine->soft = nullptr;
    engine->ime = nullptr;
    engine->dme = nullptr;
    engine->skin = nullptr;
    CloseTables(engine);
    std::free(engine);
}
