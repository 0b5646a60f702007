#include "textservice/imm/ime_notify.h"

#include "engine/candidate_pick.h"
#include "textservice/imm/ime_input.h"
#include "textservice/imm/ime_messages.h"

BOOL NotifyImeOn(HIMC himc, DWORD action, DWORD index, DWORD value) {
    ImeContextLock lock(himc);
    if (!lock.ready()) return FALSE;
    Engine* e = lock.engine();
    INPUTCONTEXT* ic = lock.ic();
    const bool composing = lock.session()->composing || e->input.codeLength > 0;
    if (action == NI_CONTEXTUPDATED && value == IMC_SETOPENSTATUS) {
        Engine::SetOpenStatus(e, ic->fOpen != FALSE);
        ic->fdwConversion &= ~DWORD{IME_CMODE_NOCONVERSION | IME_CMODE_SYMBOL};
        if (e->state & (kStateEnglishMode | kStateImeClosed))
            ic->fdwConversion |= IME_CMODE_NOCONVERSION;
        if (!(e->state & kStateEnglishPunct)) ic->fdwConversion |= IME_CMODE_SYMBOL;
        GenerateImeMessage(lock, WM_IME_NOTIFY, IMN_SETCONVERSIONMODE, 0);
        GenerateImeMessage(lock, WM_IME_NOTIFY, kNotifyHotkeys, 0);
        if (composing && e->ime && (e->ime->options & kImeCommitCodeOnSwitch)) {
            ImeSelectCandidate(lock, kSelectTypedCode);
        } else {
            ImeClearInput(lock, composing);
        }
        return FALSE;
    }
    if (action == NI_COMPOSITIONSTR &&
        (index == CPS_COMPLETE || index == CPS_REVERT || index == CPS_CANCEL)) {
        if (composing && !e->replayActive) {
            ImeClearInput(lock, true);
            return TRUE;
        }
    }
    return FALSE;
}
