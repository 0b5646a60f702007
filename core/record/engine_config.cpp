// Engine record of the configuration program: identity from the command line, folders from
// the registry, checked data files, and the loaded input method module.
#include "core/record/engine_config.h"

#include "core/base/path_util.h"
#include "core/base/registry.h"
#include "core/record/boot_stamp.h"
#include "core/record/engine_open.h"

namespace {

bool LoadImeModule(Engine* e, const ConfigEngineHooks& hooks) {
    wchar_t path[kPathChars];
    if (!hooks.modulePath || !hooks.modulePath(e->imeName, path)) return false;
    e->imeModule = LoadLibraryW(path);
    return e->imeModule != nullptr;
}

bool Build(Engine* e, const wchar_t* guidText, const ConfigEngineHooks& hooks) {
    if (!OpenEngineRecord(e, guidText)) return false;
    if (hooks.bootTime) ClearTempTableOnNewBoot(e, hooks.bootTime());
    return LoadImeModule(e, hooks);
}

}  // namespace

ConfigEngineHooks DefaultConfigEngineHooks() { return {&CurrentBootTime, &GetImeModulePath}; }

Engine* CreateConfigEngine(const wchar_t* guidText, const ConfigEngineHooks& hooks) {
    Engine* e = AllocateEngineRecord();
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
    FreeEngineRecord(engine);
}
