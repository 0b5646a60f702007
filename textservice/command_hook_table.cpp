#include "textservice/command_hook_table.h"

#include "engine/commands/command_hooks.h"
#include "engine/commands/set_command.h"
#include "textservice/boundary_guard.h"
#include "textservice/export/section_codec.h"

namespace {

int ApplySettingLineHook(Engine* engine, const wchar_t* line) {
    return Guarded(0, [&] { return ApplySetCommandLine(engine, line, &InputMethodOptionCodec()); });
}

const CommandHooks kHooks = {ApplySettingLineHook, nullptr, nullptr};

}  // namespace

void InstallInputMethodCommandHooks() { SetCommandHooks(&kHooks); }
