#include "textservice/imm/ime_notify.h"

#include "textservice/actions/service_actions.h"
#include "textservice/imm/ime_input.h"
#include "textservice/imm/ime_key_path.h"
#include "textservice/imm/ime_messages.h"

BOOL NotifyImeOn(HIMC himc, DWORD action, DWORD index, DWORD value) {
    ImeContextLock lock(himc);
    if (!lock.ready()) return FALSE;
    Engine* e = lock.engine();
    INPUTCONTEXT* ic = lock.ic();
    const bool composing = lock.session()->composing || e->input.codeLength > 0;
    if (action == NI_CONTEXTUPDATED && value == IMC_SETOPENSTATUS) {
        Engine::SetOpenStatus(e, ic->fOpen != FALSE);
        ic->fdwConversion = ConversionModeFor(e, ic->fdwConversion, true);
        GenerateImeMessage(lock, WM_IME_NOTIFY, IMN_SETCONVERSIONMODE, 0);
        GenerateImeMessage(lock, WM_IME_NOTIFY, kNotifyHotkeys, 0);
        if (composing && e->ime && (e->ime->options & kImeCommitCodeOnSwitch)) {
            ImeCommitTypedCode(lock);
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
