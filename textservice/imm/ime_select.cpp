#include "textservice/imm/ime_select.h"

#include "textservice/actions/deferred_prompt.h"
#include "textservice/imm/ime_blocks.h"
#include "textservice/imm/ime_input.h"
#include "textservice/imm/ime_windows.h"

namespace {

void FreeEngine(Engine* e) {
    if (!e) return;
    ForgetDeferredPrompts(e);
    DetachSession(e);
    Engine::Destroy(e);
}

}  // namespace

bool SelectContext(HIMC himc) {
    ImeContextLock lock(himc);
    if (!lock.locked()) return false;
    // A second select of the same context replaces its record instead of losing it.
    if (Engine* old = lock.engine()) {
        lock.SetEngine(nullptr);
        ImeWindows().destroyAll(old);
        FreeEngine(old);
    }
    const BlockSetUp setUp = SetUpContextBlocks(lock.ic());
    lock.Relock();
    if (setUp != BlockSetUp::kReady) return false;
    Engine* e = Engine::Create();
    if (e && !AttachSession(e, himc)) {
        Engine::Destroy(e);
        e = nullptr;
    }
    lock.SetEngine(e);
    if (!e) return false;
    INPUTCONTEXT* ic = lock.ic();
    const ImeConfigData* ime = e->ime;
    if (ime && (ime->features & kFeatCustomStartState)) {
        ic->fdwConversion = ime->startState;
        ic->fdwSentence = ime->startSentence;
        if (ic->fdwConversion & kStartStateClosed) {
            ic->fOpen = FALSE;
            ic->fdwConversion = (ic->fdwConversion | kStartStateClosed) & ~DWORD{1};
        } else {
            ic->fOpen = TRUE;
            ic->fdwConversion = (ic->fdwConversion | 1) & ~DWORD{kStartStateClosed};
        }
    } else {
        // IMM hands a new context its conversion capabilities as mode (English and full
        // width at once): start in Chinese, half width, punctuation as opening sets it.
        ic->fOpen = TRUE;
        ic->fdwConversion = IME_CMODE_NATIVE;
        if (ime && (ime->startState & kStartStateChinesePunct))
            ic->fdwConversion |= IME_CMODE_SYMBOL;
    }
    EngineFlagsFromConversion(lock);
    return true;
}

void DeselectContext(HIMC himc) {
    ImeContextLock lock(himc);
    if (!lock.locked()) return;
    Engine* e = lock.engine();
    if (!e) return;
    INPUTCONTEXT* ic = lock.ic();
    const DWORD conversion = ic->fdwConversion & ~DWORD{IME_CMODE_NOCONVERSION};
    ImmSetConversionStatus(himc, conversion, ic->fdwSentence);
    ic->fdwConversion = conversion;
    if (e->ime && (e->ime->features & kFeatCustomStartState) &&
        (e->ime->features & kFeatSaveStartState)) {
        e->ime->startState = ic->fdwConversion;
        e->ime->startSentence = ic->fdwSentence;
    }
    if (lock.ready()) ImeClearInput(lock, false);
    ImeWindows().destroyAll(e);
    lock.SetEngine(nullptr);
    FreeEngine(e);
}
