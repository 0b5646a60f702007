#include "engine/commands/command_hooks.h"

namespace {
const CommandHooks kNone = {nullptr, nullptr, nullptr};
const CommandHooks* g_hooks = &kNone;
}  // namespace

const CommandHooks& CommandHookTable() { return *g_hooks; }
void SetCommandHooks(const CommandHooks* hooks) { g_hooks = hooks ? hooks : &kNone; }
