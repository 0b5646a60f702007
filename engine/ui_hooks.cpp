#include "engine/ui_hooks.h"

namespace {
const EngineUIHooks kNone = {[](Engine*) { return true; }, [](Engine*) {}};
const EngineUIHooks* g_hooks = &kNone;
}  // namespace

const EngineUIHooks& UIHooks() { return *g_hooks; }
void SetEngineUIHooks(const EngineUIHooks* hooks) { g_hooks = hooks ? hooks : &kNone; }
