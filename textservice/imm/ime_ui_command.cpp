#include "textservice/imm/ime_ui_command.h"

#include "engine/commands/command_run.h"
#include "textservice/imm/ime_input.h"
#include "textservice/imm/ime_session.h"

namespace {

int Handle(const ImeContextLock& lock, uint32_t code, uintptr_t first, uintptr_t second) {
    Engine* e = lock.engine();
    switch (code) {
        case 1:
            LaunchConfigProgram(e, L"");
            return 1;
        case 4:
            LaunchConfigProgram(e, L"/do about");
            return 1;
        case 5:
            LaunchConfigProgram(e, L"/do help");
            return 1;
        case 8:
            LaunchConfigProgram(e, L"/do tianjiayonghuci");
            return 1;
        case 9:
            LaunchConfigProgram(e, L"/do update");
            return 1;
        case 18:
            if (first >= 1 && first <= 10)
                ImeExecuteKeyFunction(lock, keyfn::kCommit | (KeyFunctionMask{first} << 8));
            return 1;
        case 257:
            ImeExecuteKeyFunction(lock, keyfn::kPageDown);
            return 1;
        case 258:
            ImeExecuteKeyFunction(lock, keyfn::kPageUp);
            return 1;
        case 514:
            if (Engine::EntryOperation(e, lock.ic()->hWnd, static_cast<int>(first),
                                       static_cast<int>(second)))
                ImeProcessInput(lock);
            return 1;
        case 0x2010:
        case 0x2011: {
            if (!e->ime) return 1;
            uint32_t& o = e->ime->options;
            if (code == 0x2010) {
                o &= ~(kImeMainTable | kImeAuxTable);
                o |= second == 0 ? kImeMainTable | kImeAuxTable
                                 : (second == 1 ? kImeMainTable : kImeAuxTable);
            } else {
                o &= ~(kImeSearchSecondary | kImeSecondaryOnEmpty);
                o |= second == 0 ? kImeSearchSecondary : (second == 1 ? 0 : kImeSecondaryOnEmpty);
            }
            if (e->input.codeLength > 0) ImeProcessInput(lock);
            return 1;
        }
        default:
            if (ImeModeCommand(lock, code)) return 1;
            return 1;
    }
}

}  // namespace

int ImeOnUICommand(void* owner, uint32_t code, uintptr_t first, uintptr_t second) {
    auto* session = static_cast<ImeSession*>(owner);
    if (!session) return 0;
    ImeContextLock lock(session->himc);
    if (!lock.locked()) return 0;
    if (!lock.ready()) return 1;
    Engine* e = lock.engine();
    e->state |= kStateUiCommand;
    const int r = Handle(lock, code, first, second);
    e->state &= ~kStateUiCommand;
    return r;
}
