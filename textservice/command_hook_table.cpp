#include "textservice/command_hook_table.h"

#include "engine/commands/command_hooks.h"
#include "engine/commands/set_command.h"
#include "textservice/boundary_guard.h"
#include "textservice/export/section_codec.h"
#include "ui/image/image_file.h"

namespace {

int ApplySettingLineHook(Engine* engine, const wchar_t* line) {
    return Guarded(0, [&] { return ApplySetCommandLine(engine, line, &InputMethodOptionCodec()); });
}

HBITMAP DecodeImageFileHook(const wchar_t* path) {
    return Guarded<HBITMAP>(nullptr, [&] { return DecodeImageFileToBitmap(path); });
}

const CommandHooks kHooks = {ApplySettingLineHook, nullptr, DecodeImageFileHook};

}  // namespace

void InstallInputMethodCommandHooks() { SetCommandHooks(&kHooks); }
