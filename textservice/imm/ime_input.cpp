#include "textservice/imm/ime_input.h"

#include <cstring>

#include "textservice/imm/ime_blocks.h"
#include "textservice/imm/ime_messages.h"
#include "textservice/imm/ime_windows.h"

namespace {

constexpr DWORD kMaxShownUnits = 128;
// Each text field holds the shown units and a terminator, each attribute field one byte a unit.
static_assert(kMaxShownUnits + 1 <= kCompTextUnits);
static_assert(kMaxShownUnits <= kCompAttrBytes);
static_assert(kResultClauseOffset + 2 * sizeof(DWORD) <= kResultStrOffset);

DWORD Capped(uint32_t n, DWORD cap) { return n < cap ? n : cap; }

void WriteText(COMPOSITIONSTRING* cs, DWORD offset, const wchar_t* text, DWORD units) {
    WriteUnits(cs, offset, text, units);
    const wchar_t nul = 0;
    WriteUnits(cs, offset + units * sizeof(wchar_t), &nul, 1);
}

void EmptyComposition(COMPOSITIONSTRING* cs) {
    cs->dwCompReadAttrLen = cs->dwCompReadClauseLen = cs->dwCompReadStrLen = 0;
    cs->dwCompAttrLen = cs->dwCompClauseLen = cs->dwCompStrLen = 0;
    cs->dwCursorPos = cs->dwDeltaStart = 0;
}

void EmptyResult(COMPOSITIONSTRING* cs) {
    cs->dwResultReadClauseLen = cs->dwResultReadStrLen = 0;
    cs->dwResultClauseLen = cs->dwResultStrLen = 0;
}

void EmptyCandidates(CANDIDATELIST* list) {
    for (DWORD i = 0; i < kCandSlots; ++i) CandidateSlot(list, i)[0] = 0;
    list->dwCount = 0;
    list->dwSelection = 0;
}

bool InCommandState(const Engine* e) { return e->state & kStateAssociation; }

bool HasShownInput(const Engine* e) {
    return e->candidateCount > 0 || e->input.compositionLength > 0 || e->input.codeLength > 0;
}

}  // namespace

void FillCompositionString(const ImeContextLock& lock, const wchar_t* text, DWORD length,
                           DWORD caret) {
    COMPOSITIONSTRING* cs = lock.cs();
    const InputState& in = lock.engine()->input;
    const DWORD readLen = length ? Capped(in.codeLength, kMaxShownUnits) : 0;
    const DWORD compLen = Capped(length, kMaxShownUnits);
    WriteText(cs, kCompReadStrOffset, in.code, readLen);
    WriteText(cs, kCompStrOffset, text, compLen);
    BYTE* base = reinterpret_cast<BYTE*>(cs);
    std::memset(base + kCompReadAttrOffset, ATTR_TARGET_CONVERTED, readLen);
    std::memset(base + kCompAttrOffset, ATTR_TARGET_CONVERTED, compLen);
    cs->dwCompReadStrLen = readLen;
    cs->dwCompReadAttrLen = readLen;
    cs->dwCompStrLen = compLen;
    cs->dwCompAttrLen = compLen;
    cs->dwCompReadClauseLen = cs->dwCompClauseLen = 0;
    cs->dwCursorPos = Capped(caret, compLen);
    cs->dwDeltaStart = compLen ? compLen - 1 : 0;
    EmptyResult(cs);
}

void FillCandidateList(const ImeContextLock& lock) {
    CANDIDATELIST* list = lock.list();
    const Engine* e = lock.engine();
    EmptyCandidates(list);
    if (e->candidateCount <= 0) return;
    int64_t rows = e->page.rowCount;
    if (rows < 0) rows = 0;
    if (rows > static_cast<int64_t>(kCandSlots)) rows = kCandSlots;
    for (int64_t i = 0; i < rows; ++i) {
        const PageRow& row = e->page.rowText[i];
        const DWORD n = Capped(row.length, kCandSlotUnits - 1);
        wchar_t* slot = CandidateSlot(list, static_cast<DWORD>(i));
        std::memcpy(slot, row.text, n * sizeof(wchar_t));
        slot[n] = 0;
    }
    list->dwCount = static_cast<DWORD>(rows);
    const int64_t h = e->page.highlight;
    list->dwSelection = h >= 0 && h < rows ? static_cast<DWORD>(h) : 0;
    list->dwPageStart = 0;
    list->dwPageSize = kCandPageSize;
}

void WriteResultString(const ImeContextLock& lock, const wchar_t* text, DWORD length) {
    COMPOSITIONSTRING* cs = lock.cs();
    const DWORD n = Capped(length, kMaxShownUnits);
    EmptyComposition(cs);
    WriteText(cs, kResultStrOffset, text, n);
    cs->dwResultStrLen = n;
    const DWORD clause[2] = {0, n};
    std::memcpy(reinterpret_cast<BYTE*>(cs) + kResultClauseOffset, clause, sizeof clause);
    cs->dwResultClauseLen = sizeof clause;
}

void ImeHideCandidates(const ImeContextLock& lock) {
    EmptyCandidates(lock.list());
    ImeWindows().hideCandidates(lock.engine());
    SendClearGroup(lock, false);
    if (lock.session()) lock.session()->uiWord &= ~kUiCandidateOpen;
}

void ImeClearInput(const ImeContextLock& lock, bool sendEnd) {
    Engine* e = lock.engine();
    ImeSession* s = lock.session();
    Engine::ResetInput(e);
    ImeWindows().destroyCandidates(e);
    COMPOSITIONSTRING* cs = lock.cs();
    if (cs->dwResultStrLen > 0) {
        const DWORD n = Capped(cs->dwResultStrLen, kPickedUnits - 1);
        ReadUnits(cs, kResultStrOffset, e->input.pickedText, n);
        e->input.pickedText[n] = 0;
        e->input.pickedLength = n;
    }
    const bool shownText = cs->dwCompStrLen > 0;
    EmptyComposition(cs);
    EmptyCandidates(lock.list());
    // The application empties the composition itself before the end: an end alone leaves the
    // text to it, and Wine's edit control removes it as an edit that Ctrl+Z brings back.
    if (sendEnd && shownText && s && s->composing && !s->candidatesShown)
        GenerateImeMessage(lock, WM_IME_COMPOSITION, 0, kCompositionUpdateFlags);
    SendClearGroup(lock, sendEnd);
    if (s) s->uiWord &= ~kUiCandidateOpen;
}

void ImeEndCompositionOnFocusLoss(const ImeContextLock& lock) {
    ImeSession* s = lock.session();
    const bool composing = s && s->composing;
    const bool shown = s && s->candidatesShown;
    HWND w = s ? s->compositionWindow : nullptr;
    // Generated messages would be dropped, or reach the window that has the focus now.
    if (s) s->candidatesShown = false;
    ImeClearInput(lock, false);
    if (!composing) return;
    s->composing = false;
    s->compositionWindow = nullptr;
    if (!w || !IsWindow(w)) return;
    if (shown) SendMessageW(w, WM_IME_NOTIFY, IMN_CLOSECANDIDATE, 1);
    SendMessageW(w, WM_IME_COMPOSITION, 0, kCompositionUpdateFlags);
    SendMessageW(w, WM_IME_ENDCOMPOSITION, 0, 0);
}

void ShowImeWindows(const ImeContextLock& lock) {
    Engine* e = lock.engine();
    ImeSession* s = lock.session();
    if (!s) return;
    if (InCommandState(e) && !HasShownInput(e)) {
        ImeWindows().destroyCandidates(e);
        return;
    }
    if (HasShownInput(e)) {
        s->composing = true;
        s->uiWord |= kUiCandidateOpen;
        ImePlaceCandidates(lock);
        SIZE box = s->caretBox;
        if (box.cx == 0 && box.cy == 0) box = SIZE{41, 21};
        const POINT at = s->candidateAnchor;
        const RECT caret{at.x, at.y, at.x + box.cx, at.y + box.cy};
        const bool hidden =
            (e->ime && (e->ime->options & kImeCandidateHidden)) || s->applicationDrawsCandidates;
        if (!hidden) {
            ImeWindows().showCandidates(e, lock.ic()->hWnd, caret,
                                        s->applicationFont ? &lock.ic()->lfFont.W : nullptr);
        } else {
            ImeWindows().hideCandidates(e);
        }
    } else {
        ImeWindows().hideCandidates(e);
    }
}

void ImePlaceCandidates(const ImeContextLock& lock) {
    Engine* e = lock.engine();
    ImeSession* s = lock.session();
    INPUTCONTEXT* ic = lock.ic();
    if (!s) return;
    if (!HasShownInput(e)) s->uiWord &= ~kUiCandidateOpen;
    POINT at{0, 0};
    SIZE box{0, 0};
    if (!(e->ime && (e->ime->options & kImeCandidateFixed))) {
        const CANDIDATEFORM& cf = ic->cfCandForm[0];
        if (cf.dwStyle == CFS_CANDIDATEPOS || cf.dwStyle == CFS_EXCLUDE) {
            at.x = cf.ptCurrentPos.x;
            if (cf.dwStyle == CFS_EXCLUDE) {
                at.y = cf.rcArea.top;
                box.cy = cf.rcArea.bottom - cf.rcArea.top;
            } else {
                at.y = cf.ptCurrentPos.y;
            }
        } else if (ic->cfCompForm.dwStyle & (CFS_RECT | CFS_POINT | CFS_FORCE_POSITION)) {
            at = ic->cfCompForm.ptCurrentPos;
        } else {
            GetCaretPos(&at);
        }
        if (ic->hWnd) ClientToScreen(ic->hWnd, &at);
    }
    s->candidateAnchor = at;
    s->caretBox = box;
    s->uiWord |= kUiCandidatePlaced;
}

void EngineFlagsFromConversion(const ImeContextLock& lock) {
    Engine* e = lock.engine();
    const DWORD conv = lock.ic()->fdwConversion;
    e->state &= ~(kStateEnglishMode | kStateFullWidthOutput | kStateEnglishPunct);
    if (conv & IME_CMODE_NOCONVERSION) e->state |= kStateEnglishMode;
    if (conv & IME_CMODE_FULLSHAPE) e->state |= kStateFullWidthOutput;
    if (!(conv & IME_CMODE_SYMBOL)) e->state |= kStateEnglishPunct;
}
