#include "textservice/imm/ime_messages.h"

#include <cstring>

namespace {

BOOL AppendAndDeliver(HIMC himc, INPUTCONTEXT* ic, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!ic || !ic->hWnd || !IsWindow(ic->hWnd)) return FALSE;
    const DWORD count = ic->hMsgBuf ? ic->dwNumMsgBuf : 0;
    // A count the buffer size cannot express is not trusted.
    if (count >= MAXDWORD / sizeof(TRANSMSG)) return FALSE;
    const DWORD bytes = (count + 1) * sizeof(TRANSMSG);
    if (!ic->hMsgBuf) {
        ic->hMsgBuf = ImmCreateIMCC(sizeof(TRANSMSG));
        ic->dwNumMsgBuf = 0;
        if (!ic->hMsgBuf) return FALSE;
    }
    if (ImmGetIMCCSize(ic->hMsgBuf) < bytes) {
        HIMCC grown = ImmReSizeIMCC(ic->hMsgBuf, bytes);
        if (!grown) return FALSE;
        ic->hMsgBuf = grown;
    }
    auto* msgs = static_cast<TRANSMSG*>(ImmLockIMCC(ic->hMsgBuf));
    if (!msgs) return FALSE;
    msgs[count] = TRANSMSG{message, wParam, lParam};
    ImmUnlockIMCC(ic->hMsgBuf);
    ic->dwNumMsgBuf = count + 1;
    return ImmGenerateMessage(himc);
}

}  // namespace

BOOL GenerateImeMessage(const ImeContextLock& lock, UINT message, WPARAM wParam, LPARAM lParam) {
    return AppendAndDeliver(lock.himc(), lock.ic(), message, wParam, lParam);
}

BOOL GenerateImeMessage(HIMC himc, UINT message, WPARAM wParam, LPARAM lParam) {
    ImeContextLock lock(himc);
    return AppendAndDeliver(himc, lock.ic(), message, wParam, lParam);
}

void SendStartGroup(const ImeContextLock& lock) {
    GenerateImeMessage(lock, WM_IME_ENDCOMPOSITION, 0, 0);
    GenerateImeMessage(lock, WM_IME_STARTCOMPOSITION, 0, 0);
    if (ImeSession* s = lock.session()) {
        s->composing = true;
        s->compositionWindow = lock.ic()->hWnd;
    }
}

void SendCompositionGroup(const ImeContextLock& lock) {
    GenerateImeMessage(lock, WM_IME_COMPOSITION, 0, kCompositionUpdateFlags);
}

void SendResultGroup(const ImeContextLock& lock) {
    GenerateImeMessage(lock, WM_IME_STARTCOMPOSITION, 0, 0);
    GenerateImeMessage(lock, WM_IME_COMPOSITION, 0, kCompositionResultFlags);
    GenerateImeMessage(lock, WM_IME_ENDCOMPOSITION, 0, 0);
}

void SendCandidatesShownGroup(const ImeContextLock& lock) {
    ImeSession* s = lock.session();
    const bool opening = s && !s->candidatesShown;
    GenerateImeMessage(lock, WM_IME_NOTIFY, opening ? IMN_OPENCANDIDATE : IMN_CHANGECANDIDATE, 1);
    if (s) s->candidatesShown = true;
}

void SendPageChangeGroup(const ImeContextLock& lock) {
    GenerateImeMessage(lock, WM_IME_COMPOSITION, 0, kCompositionUpdateFlags);
    GenerateImeMessage(lock, WM_IME_NOTIFY, IMN_CHANGECANDIDATE, 1);
    GenerateImeMessage(lock, WM_IME_NOTIFY, kNotifyPlaceCandidates, 0);
}

void SendClearGroup(const ImeContextLock& lock, bool sendEnd) {
    ImeSession* s = lock.session();
    if (s && s->candidatesShown) {
        GenerateImeMessage(lock, WM_IME_COMPOSITION, 0, kCompositionUpdateFlags);
        GenerateImeMessage(lock, WM_IME_NOTIFY, kNotifyCandidatesClosed, 0);
        GenerateImeMessage(lock, WM_IME_NOTIFY, IMN_CLOSECANDIDATE, 1);
        s->candidatesShown = false;
    }
    if (sendEnd) {
        GenerateImeMessage(lock, WM_IME_ENDCOMPOSITION, 0, 0);
        if (s) s->composing = false;
    }
}

void SendModeChangeGroup(const ImeContextLock& lock) {
    GenerateImeMessage(lock, WM_IME_NOTIFY, IMN_SETCONVERSIONMODE, 0);
}

void SendCapsLockGroup(const ImeContextLock& lock) {
    GenerateImeMessage(lock, WM_IME_NOTIFY, IMN_SETOPENSTATUS, 0);
}
