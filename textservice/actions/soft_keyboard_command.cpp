#include "textservice/actions/soft_keyboard_command.h"

#include <cwchar>

#include "engine/ui_command.h"
#include "textservice/actions/service_actions.h"

namespace {

// Show value of the menus' soft-keyboard commands: nonzero, so a layout 0 always hides.
constexpr uintptr_t kShowFromCommand = 22;

uint32_t LayoutOf(const wchar_t* text) {
    if (!text) return 0;
    while (*text == L' ') ++text;
    uint32_t n = 0;
    int digits = 0;
    for (; *text >= L'0' && *text <= L'9' && digits < 3; ++text, ++digits)
        n = n * 10 + static_cast<uint32_t>(*text - L'0');
    while (*text == L' ') ++text;
    if (!digits || *text) return 0;
    return n >= 1 && n <= kSoftKeyboardLayouts ? n : 0;
}

}  // namespace

int SoftKeyboardCommand(Engine* e, const wchar_t* argument) {
    if (!e) return 0;
    return SendUICommand(e, uicmd::kSoftKeyboard, kShowFromCommand, LayoutOf(argument)) ? 1 : 0;
}
