#include "textservice/imm/ime_input.h"

#include <cstring>

#include "engine/candidate_pick.h"
#include "engine/code_edit.h"
#include "engine/commands/command_run.h"
#include "engine/key_decision.h"
#include "engine/lookup.h"
#include "engine/punctuation_output.h"
#include "engine/symbol_display.h"
#include "textservice/imm/ime_blocks.h"
#include "textservice/imm/ime_messages.h"
#include "textservice/imm/ime_windows.h"

namespace {

constexpr DWORD kMaxShownUnits = 128;

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

void FillCompositionString(const ImeContextLock& lock) {
    COMPOSITIONSTRING* cs = lock.cs();
    const InputState& in = lock.engine()->input;
    const DWORD readLen = Capped(in.codeLength, kMaxShownUnits);
    const DWORD compLen = Capped(in.compositionLength, kMaxShownUnits);
    WriteText(cs, kCompReadStrOffset, in.code, readLen);
    WriteText(cs, kCompStrOffset, in.compositionText, compLen);
    BYTE* base = reinterpret_cast<BYTE*>(cs);
    std::memset(base + kCompReadAttrOffset, ATTR_TARGET_CONVERTED, readLen);
    std::memset(base + kCompAttrOffset, ATTR_TARGET_CONVERTED, compLen);
    cs->dwCompReadStrLen = readLen;
    cs->dwCompReadAttrLen = readLen;
    cs->dwCompStrLen = compLen;
    cs->dwCompAttrLen = compLen;
    cs->dwCompReadClauseLen = cs->dwCompClauseLen = 0;
    cs->dwCursorPos = Capped(in.compositionCaret, compLen);
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

void ImeOutputText(const ImeContextLock& lock, const wchar_t* text, DWORD length) {
    COMPOSITIONSTRING* cs = lock.cs();
    const DWORD n = Capped(length, kMaxShownUnits);
    EmptyComposition(cs);
    WriteText(cs, kResultStrOffset, text, n);
    cs->dwResultStrLen = n;
    const DWORD clause[2] = {0, n};
    std::memcpy(reinterpret_cast<BYTE*>(cs) + kResultClauseOffset, clause, sizeof clause);
    cs->dwResultClauseLen = sizeof clause;
    SendResultGroup(lock);
    if (lock.session()) lock.session()->composing = false;
    Engine* e = lock.engine();
    // The commit is the saved last commit (repeat and undo input).
    const DWORD kept = Capped(n, kPickedUnits - 1);
    if (text != e->input.pickedText) std::memcpy(e->input.pickedText, text, kept * sizeof(wchar_t));
    e->input.pickedText[kept] = 0;
    e->input.pickedLength = kept;
}

void ImeOutputKeyText(const ImeContextLock& lock) {
    Engine* e = lock.engine();
    const wchar_t* key = e->input.keyChar;
    if (!key || !key[0] || IsKeyName(key)) return;
    wchar_t c = key[0];
    if (c < 32) c = static_cast<wchar_t>(c + 32);
    const wchar_t typed[2] = {c, 0};
    wchar_t out[kPickedUnits];
    int n;
    if (!(e->state & kStateEnglishPunct) && e->ime) {
        n = ExpandPunctuationOutput(e->ime->symbols, typed, out, kPickedUnits);
    } else {
        out[0] = c;
        out[1] = 0;
        n = 1;
    }
    if (e->state & kStateFullWidthOutput) {
        for (int i = 0; i < n; ++i) {
            if (out[i] == L' ') {
                out[i] = L'\u3000';
            } else if (out[i] > 0x20 && out[i] < 0x7F) {
                out[i] = static_cast<wchar_t>(out[i] + 0xFEE0);
            }
        }
    }
    if (n <= 0) return;
    Engine::AppendOutputText(e, out);
    ImeOutputText(lock, out, static_cast<DWORD>(n));
}

int ImeSelectCandidate(const ImeContextLock& lock, int selector) {
    Engine* e = lock.engine();
    const int64_t picked = Engine::SelectCandidate(e, selector);
    if (picked < 0) return 0;
    if (e->input.pickedLength == 0) {
        ImeClearInput(lock, true);
        return 1;
    }
    if (selector != kSelectTypedCode) Engine::CommitCandidate(e, selector);
    wchar_t text[kPickedUnits];
    const DWORD n = Capped(e->input.pickedLength, kPickedUnits - 1);
    std::memcpy(text, e->input.pickedText, n * sizeof(wchar_t));
    text[n] = 0;
    Engine::AppendOutputText(e, text);
    ImeOutputText(lock, text, n);
    ImeClearInput(lock, false);
    return 1;
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
    EmptyComposition(cs);
    EmptyCandidates(lock.list());
    SendClearGroup(lock, sendEnd);
    if (s) s->uiWord &= ~kUiCandidateOpen;
}

int ImeInsertCharAndUpdate(const ImeContextLock& lock) {
    Engine* e = lock.engine();
    if (e->input.codeLength >= kMaxCodeUnits) return 0;
    if (lock.session() && !lock.session()->composing) SendStartGroup(lock);
    Engine::InsertKeyChar(e);
    return ImeProcessInput(lock);
}

int ImeProcessInput(const ImeContextLock& lock) {
    return ImeActOnLookup(lock, Engine::ProcessInput(lock.engine()));
}

int ImeActOnLookup(const ImeContextLock& lock, int r) {
    Engine* e = lock.engine();
    e->page.highlight = 0;
    switch (r) {
        case kLookupClear:
            Engine::AppendOutputText(e, e->input.code);
            ImeClearInput(lock, true);
            return 0;
        case kLookupCommitFirst:
            EngineRuntime::FinishCandidates(e);
            ImeSelectCandidate(lock, kSelectHighlighted);
            return 0;
        case kLookupCommitPreviousCodeKey: {
            // The previous code's first row is committed; the key starts a new code.
            e->state |= kStateUiCommand;
            EngineRuntime::FinishCandidates(e);
            ImeSelectCandidate(lock, 1);
            e->state &= ~kStateUiCommand;
            const InputState& in = e->input;
            if (!in.keyChar || !in.keyChar[0]) return 0;
            if (lock.session() && !lock.session()->composing) SendStartGroup(lock);
            Engine::InsertKeyChar(e);
            return ImeProcessInput(lock);
        }
        case kLookupCommitPreviousOtherKey:
            return 0;
        default:
            FillCandidateList(lock);
            FillCompositionString(lock);
            if (e->candidateCount > 0 || (lock.session() && lock.session()->candidatesShown))
                SendCandidatesShownGroup(lock);
            SendCompositionGroup(lock);
            ShowImeWindows(lock);
            return 1;
    }
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
        if (!(e->ime && (e->ime->options & kImeCandidateHidden)))
            ImeWindows().showCandidates(e, s->candidateAnchor, box);
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

void ConversionFromEngineFlags(const ImeContextLock& lock) {
    Engine* e = lock.engine();
    INPUTCONTEXT* ic = lock.ic();
    DWORD conv = ic->fdwConversion & ~(IME_CMODE_NOCONVERSION | IME_CMODE_FULLSHAPE |
                                       IME_CMODE_SYMBOL | IME_CMODE_NATIVE);
    if (e->state & (kStateEnglishMode | kStateTempEnglish)) {
        conv |= IME_CMODE_NOCONVERSION;
    } else {
        conv |= IME_CMODE_NATIVE;
    }
    if (e->state & kStateFullWidthOutput) conv |= IME_CMODE_FULLSHAPE;
    if (!(e->state & kStateEnglishPunct)) conv |= IME_CMODE_SYMBOL;
    ic->fdwConversion = conv;
    SendModeChangeGroup(lock);
}
