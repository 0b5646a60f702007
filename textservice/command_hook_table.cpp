#include "textservice/command_hook_table.h"

#include "core/base/boundary_guard.h"
#include "engine/commands/command_hooks.h"
#include "engine/commands/set_command.h"
#include "textservice/actions/soft_keyboard_command.h"
#include "textservice/export/section_codec.h"
#include "ui/image/image_file.h"

namespace {

int ApplySettingLineHook(Engine* engine, const wchar_t* line) {
    return Guarded(0, [&] { return ApplySetCommandLine(engine, line, &InputMethodOptionCodec()); });
}

int SoftKeyboardCommandHook(Engine* engine, const wchar_t* argument) {
    return Guarded(0, [&] { return SoftKeyboardCommand(engine, argument); });
}

HBITMAP DecodeImageFileHook(const wchar_t* path) {
    return Guarded<HBITMAP>(nullptr, [&] { return DecodeImageFileToBitmap(path); });
}

const CommandHooks kHooks = {ApplySettingLineHook, SoftKeyboardCommandHook, DecodeImageFileHook};

}  // namespace

void InstallInputMethodCommandHooks() { SetCommandHooks(&kHooks); }
