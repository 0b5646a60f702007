// The key functions of an action word under IMM32, and the mode commands.
#include <cstring>

#include "engine/candidate_pick.h"
#include "engine/code_edit.h"
#include "engine/commands/command_run.h"
#include "engine/frequency.h"
#include "engine/symbol_display.h"
#include "textservice/imm/ime_input.h"
#include "textservice/imm/ime_messages.h"

namespace {

bool Composing(const ImeContextLock& lock) {
    const Engine* e = lock.engine();
    return e->input.codeLength > 0 || e->candidateCount > 0;
}

// Punctuation after opening or switching to Chinese, as the start state asks.
void ChinesePunctuationByStartState(Engine* e) {
    if (e->ime && (e->ime->startState & kStartStateChinesePunct)) {
        e->state &= ~kStateEnglishPunct;
    } else {
        e->state |= kStateEnglishPunct;
    }
}

// Ends a composition before a mode switch: the code as typed or nothing.
void EndForSwitch(const ImeContextLock& lock) {
    Engine* e = lock.engine();
    if (!Composing(lock)) return;
    if (e->ime && (e->ime->options & kImeCommitCodeOnSwitch)) {
        ImeSelectCandidate(lock, kSelectTypedCode);
    } else {
        ImeClearInput(lock, true);
    }
}

void PressCapsLockOff() {
    if (GetKeyState(VK_CAPITAL) & 1) {
        keybd_event(VK_CAPITAL, 0x38, 0, 0);
        keybd_event(VK_CAPITAL, 0x38, KEYEVENTF_KEYUP, 0);
    }
}

void Relookup(const ImeContextLock& lock) {
    if (Composing(lock)) ImeProcessInput(lock);
}

const wchar_t* ConfigRequest(KeyFunctionMask w) {
    struct Request {
        KeyFunctionMask bit;
        const wchar_t* text;
    };
    static const Request kRequests[] = {
        {keyfn::kConfigHome, L""},
        {keyfn::kConfigAbout, L"/do 关于"},
        {keyfn::kConfigKeys, L"/do 按键设置"},
        {keyfn::kConfigReverseOutput, L"/do 输出反查"},
        {keyfn::kConfigReverseClipboard, L"/do 剪贴板反查"},
        {keyfn::kConfigDictionary, L"/do dict "},
        {keyfn::kAddWordOnline, L"/do 在线加词"},
        {keyfn::kConfigHelp, L"/do 帮助首页"},
    };
    for (const Request& r : kRequests)
        if (w & r.bit) return r.text;
    return nullptr;
}

}  // namespace

int ImeExecuteKeyFunction(const ImeContextLock& lock, KeyFunctionMask w) {
    Engine* e = lock.engine();
    ImeSession* s = lock.session();
    if (w == 0) return 0;
    if (w == ~KeyFunctionMask{0}) {
        Relookup(lock);
        return 1;
    }
    if (w & 0x100000000000) {
        const int row = static_cast<int>(w & 0xFFFF);
        const int op = static_cast<int>((w >> 16) & 0xFFFF);
        if (Engine::EntryOperation(e, lock.ic()->hWnd, row, op)) Relookup(lock);
        return 1;
    }
    if (w & keyfn::kClearInput) {
        if (Composing(lock)) {
            ImeClearInput(lock, true);
            return 1;
        }
    } else {
        if (w & keyfn::kToggleIme) {
            PressCapsLockOff();
            const bool open = e->state & (kStateEnglishMode | kStateImeClosed);
            EndForSwitch(lock);
            Engine::SetOpenStatus(e, open);
            e->state &= ~kStateEnglishMode;
            if (open) {
                ChinesePunctuationByStartState(e);
            } else {
                e->state |= kStateImeClosed | kStateEnglishPunct;
                ResetSymbolRecords(e);
            }
            ConversionFromEngineFlags(lock);
            return 1;
        }
        if (w & keyfn::kToggleEnglish) {
            PressCapsLockOff();
            const bool chinese = e->state & (kStateEnglishMode | kStateImeClosed);
            EndForSwitch(lock);
            e->state &= ~kStateImeClosed;
            if (chinese) {
                e->state &= ~kStateEnglishMode;
                ChinesePunctuationByStartState(e);
            } else {
                e->state |= kStateEnglishMode | kStateEnglishPunct;
                ResetSymbolRecords(e);
            }
            ConversionFromEngineFlags(lock);
            return 1;
        }
        if (w & keyfn::kRangeMainSecondary) {
            e->state ^= kStateSecondaryPass;
            Relookup(lock);
            return 1;
        }
        if (e->ime && (w & keyfn::kRangeMainMixed)) {
            e->ime->options ^= kImeSearchSecondary;
            Relookup(lock);
            return 1;
        }
        if (e->ime && (w & keyfn::kSchemeMainAuxiliary)) {
            uint32_t& o = e->ime->options;
            o = (o & kImeMainTable) ? (o & ~kImeMainTable) | kImeAuxTable
                                    : (o | kImeMainTable) & ~kImeAuxTable;
            Relookup(lock);
            return 1;
        }
        if (e->ime && (w & keyfn::kSchemeMainMixed)) {
            uint32_t& o = e->ime->options;
            o = ((o & kImeMainTable) && (o & kImeAuxTable)) ? o & ~kImeAuxTable
                                                            : o | kImeMainTable | kImeAuxTable;
            Relookup(lock);
            return 1;
        }
    }
    if (e->ime && (w & keyfn::kConvertSimplified)) {
        e->ime->options ^= kImeSimplifiedOutput;
        SendCapsLockGroup(lock);
        return 1;
    }
    if (e->ime && (w & keyfn::kConvertTraditional)) {
        Engine::SetTraditionalOutput(e, !(e->ime->options & kImeTraditionalOutput));
        SendCapsLockGroup(lock);
        return 1;
    }
    if (e->ime && (w & keyfn::kToggleInterface)) {
        e->ime->options ^= kImeStatusHidden;
        GenerateImeMessage(lock, WM_IME_NOTIFY, kNotifyRefreshStatus, 0);
        return 1;
    }
    if (e->ime && (w & keyfn::kToggleCandidateWindow)) {
        e->ime->options ^= kImeCandidateHidden;
        GenerateImeMessage(lock, WM_IME_NOTIFY, kNotifyPlaceCandidates, 0);
        ShowImeWindows(lock);
        return 1;
    }
    if (const wchar_t* request = ConfigRequest(w)) {
        LaunchConfigProgram(e, request);
        return 1;
    }
    if (!Composing(lock)) {
        if (w & keyfn::kRepeatInput) {
            if (e->input.pickedLength == 0) return 0;
            wchar_t text[kPickedUnits];
            const uint32_t n = e->input.pickedLength;
            std::memcpy(text, e->input.pickedText, n * sizeof(wchar_t));
            ImeOutputText(lock, text, n);
            return 1;
        }
        if (w & keyfn::kUndoInput) {
            for (uint32_t i = 0; i < e->input.pickedLength; ++i) {
                keybd_event(VK_BACK, 0x0E, 0, 0);
                keybd_event(VK_BACK, 0x0E, KEYEVENTF_KEYUP, 0);
            }
            e->input.pickedLength = 0;
            return 1;
        }
        return 0;
    }
    const int n = KeyFunctionIndex(w);
    if (w & keyfn::kCommit) return ImeSelectCandidate(lock, n);
    if (w & keyfn::kAdjustFrequency) {
        EngineRuntime::AdjustFrequency(e, n);
        Relookup(lock);
        return 1;
    }
    if (w & (keyfn::kPageUp | keyfn::kPageDown)) {
        if (w & keyfn::kPageUp) {
            EngineRuntime::PrevPage(e);
        } else {
            EngineRuntime::NextPage(e);
        }
        e->page.highlight = 0;
        FillCandidateList(lock);
        FillCompositionString(lock);
        SendPageChangeGroup(lock);
        if (s) ShowImeWindows(lock);
        return 1;
    }
    struct Edit {
        KeyFunctionMask bit;
        uint32_t vk;
    };
    static const Edit kEdits[] = {
        {keyfn::kCaretLeft, VK_LEFT},    {keyfn::kCaretRight, VK_RIGHT},
        {keyfn::kCaretHome, VK_HOME},    {keyfn::kCaretEnd, VK_END},
        {keyfn::kDeleteBefore, VK_BACK}, {keyfn::kDeleteAfter, VK_DELETE},
    };
    for (const Edit& edit : kEdits) {
        if (!(w & edit.bit)) continue;
        const int r = Engine::EditCode(e, edit.vk);
        if (e->input.codeLength == 0) {
            ImeClearInput(lock, true);
        } else {
            ImeActOnLookup(lock, r);
        }
        return 1;
    }
    if (w & (keyfn::kFirstForward | keyfn::kFirstBackward)) {
        EngineRuntime::MoveHighlight(e, (w & keyfn::kFirstForward) ? -1 : 1);
        FillCandidateList(lock);
        FillCompositionString(lock);
        SendPageChangeGroup(lock);
        return 1;
    }
    return 0;
}

int ImeModeCommand(const ImeContextLock& lock, uint32_t code) {
    Engine* e = lock.engine();
    switch (code) {
        case 259:
            e->state &= ~(kStateEnglishMode | kStateImeClosed);
            ChinesePunctuationByStartState(e);
            break;
        case 260:
            e->state |= kStateEnglishMode | kStateEnglishPunct;
            e->state &= ~kStateImeClosed;
            ResetSymbolRecords(e);
            ImeClearInput(lock, true);
            break;
        case 261:
        case 262:
            return 1;
        case 0x2001:
            e->state |= kStateFullWidthOutput;
            if (e->ime) e->ime->options &= ~kImeTraditionalOutput;
            break;
        case 0x2002:
            e->state &= ~kStateFullWidthOutput;
            break;
        case 0x2003:
            e->state |= kStateEnglishPunct;
            break;
        case 0x2004:
            e->state &= ~kStateEnglishPunct;
            break;
        case 0x2005:
            if (!e->ime) return 1;
            e->ime->options ^= kImeTraditionalOutput;
            if (e->ime->options & kImeTraditionalOutput) e->ime->options &= ~kImeSimplifiedOutput;
            break;
        case 0x2006:
            if (e->ime) e->ime->options ^= kImeSimplifiedOutput;
            break;
        default:
            return 0;
    }
    ConversionFromEngineFlags(lock);
    return 1;
}
