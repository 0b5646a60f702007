#include "textservice/imm/ime_ui_command.h"

#include "textservice/imm/ime_key_path.h"
#include "textservice/imm/ime_session.h"

int ImeOnUICommand(void* owner, uint32_t code, uintptr_t first, uintptr_t second) {
    auto* session = static_cast<ImeSession*>(owner);
    if (!session) return 0;
    ImeContextLock lock(session->himc);
    if (!lock.locked()) return 0;
    if (!lock.ready()) return 1;
    return RunImeUICommand(lock, code, first, second);
}
