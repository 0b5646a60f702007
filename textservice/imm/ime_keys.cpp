#include "textservice/imm/ime_keys.h"

#include "engine/candidate_pick.h"
#include "engine/key_decision.h"
#include "engine/key_texts.h"
#include "engine/platform.h"
#include "textservice/imm/ime_input.h"
#include "textservice/imm/ime_messages.h"

namespace {

constexpr uint64_t kTapMillis = 500;

// The key held down now, for the modifier taps (one per process, as the keyboard).
int32_t g_heldScan = -1;
uint64_t g_heldTick = 0;

bool Down(int vk) { return PLATFORM_CALL(keyState)(vk) < 0; }
bool Toggled(int vk) { return PLATFORM_CALL(keyState)(vk) & 1; }

bool HasText(const wchar_t* text) { return text && text[0] && !IsKeyName(text); }

// Tap code of a released Shift, Ctrl or Alt, 0 when none is bound.
uint32_t TapCode(const DmeConfigData* dme, UINT vk, int32_t scan) {
    struct Tap {
        UINT vk;
        int32_t scan;
        uint32_t code;
    };
    static const Tap kTaps[] = {
        {VK_SHIFT, 0x2A, 0xA0},   {VK_SHIFT, 0x36, 0xA1},    {VK_SHIFT, -1, 0x10},
        {VK_CONTROL, 0x1D, 0xA2}, {VK_CONTROL, 0x11D, 0xA3}, {VK_CONTROL, -1, 0x11},
        {VK_MENU, 0x38, 0xA4},    {VK_MENU, 0x138, 0xA5},    {VK_MENU, -1, 0x12},
    };
    for (const Tap& t : kTaps) {
        if (t.vk != vk || (t.scan >= 0 && t.scan != scan)) continue;
        if (GetKeyFunction(&dme->keys, static_cast<int>(t.code))) return t.code;
    }
    return 0;
}

void StoreKey(Engine* e, uint32_t code, KeyFunctionMask action, const wchar_t* text) {
    e->input.keyVk = code;
    e->input.keyAction = action;
    e->input.keyChar = text;
}

bool InCommandState(const Engine* e) { return e->state & kStateAssociation; }

// Step 10 of the text service's rules for a key with a text, not composing.
bool StartsCode(const Engine* e, wchar_t c) {
    const DmeConfigData* dme = e->dme;
    const uint32_t options = e->ime ? e->ime->options : 0;
    if (dme->keyClass[c & 0xFF] & (kKeyCodeStart | kKeyCommitLead)) return true;
    if (c < 256) {
        if ((dme->wildcardChar && c == dme->wildcardChar) ||
            (dme->tempEnglishLead && c == dme->tempEnglishLead))
            return true;
        if (dme->auxiliaryLead && c == dme->auxiliaryLead && !(options & kImeAuxTable)) return true;
        if (dme->secondaryLead && c == dme->secondaryLead && !(options & kImeSearchSecondary) &&
            !(e->state & kStateSecondaryPass))
            return true;
        if (dme->extraLead && c == dme->extraLead) return true;
    }
    if (e->state & kStateFullWidthOutput) return true;
    if (!(e->state & kStateEnglishPunct) && c < 128 && e->ime) {
        const SymbolRecord& r = e->ime->symbols[c];
        if (r.kind != 0 && r.slots[0] != 0) return true;
    }
    return false;
}

// A key that is not converted still counts as typed output.
void NoteUnconvertedKey(Engine* e, const wchar_t* text, uint32_t code) {
    wchar_t out[3] = {};
    if (HasText(text)) {
        out[0] = text[0] < 32 ? static_cast<wchar_t>(text[0] + 32) : text[0];
    } else if (code == VK_RETURN) {
        out[0] = L'\r';
        out[1] = L'\n';
    } else if (code == VK_HOME) {
        out[0] = L'\n';
    }
    if (!out[0]) return;
    Engine::AppendOutputText(e, out);
}

}  // namespace

BOOL ClassifyImeKey(const ImeContextLock& lock, UINT vk, LPARAM lParam) {
    Engine* e = lock.engine();
    ImeSession* s = lock.session();
    if (!lock.ready() || !e->dme) return FALSE;
    StoreKey(e, 0, 0, nullptr);
    const DmeConfigData* dme = e->dme;

    if (e->replayActive) {
        if (vk == VK_BACK) return FALSE;
        if (vk == kMarkerKey) {
            if (lParam & 0x80000000) {
                e->replayActive = 0;
                return FALSE;
            }
            StoreKey(e, kMarkerKey, keyfn::kRepeatInput, GetMarkerKeyText());
            return TRUE;
        }
        e->replayActive = 0;
    }

    int32_t scan = static_cast<int32_t>(lParam & 0x0FFF0000);
    if (scan == 0x1360000) scan = 0x360000;
    const int32_t scanCode = scan >> 16;
    if (lParam & 0x80000000) {
        const bool same = scan != 0 && scan == s->lastScan;
        const bool quick = PLATFORM_CALL(tickCount)() - g_heldTick < kTapMillis;
        if (!same) s->lastScan = -1;
        g_heldScan = -1;
        if (!same || !quick) return FALSE;
        const uint32_t tap = TapCode(dme, vk, scanCode);
        if (!tap) return FALSE;
        StoreKey(e, tap, GetKeyFunction(&dme->keys, static_cast<int>(tap)), GetKeyText(tap));
        return TRUE;
    }
    s->lastScan = scan;
    if (scan != g_heldScan) {
        g_heldScan = scan;
        g_heldTick = PLATFORM_CALL(tickCount)();
    }
    if (Down(VK_CONTROL) || Down(VK_MENU)) return FALSE;
    if (vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU) return FALSE;

    const bool caps = Toggled(VK_CAPITAL);
    const bool shift = Down(VK_SHIFT);
    const bool letter = vk >= 'A' && vk <= 'Z';
    const bool shifted = caps ? (shift ? !letter : letter) : shift;
    const uint32_t code = vk + (shifted ? kKeyTextShifted : 0);
    if ((vk & 0xFF) == 0) return FALSE;
    const KeyFunctionMask action = GetKeyFunction(&dme->keys, static_cast<int>(code));
    const wchar_t* text = GetKeyText(code);
    const bool hasText = HasText(text);

    bool eaten = false;
    if (action & kAlwaysEatenActions) {
        eaten = true;
    } else if (e->state & kStateImeClosed) {
        eaten = false;
    } else if (e->state & (kStateEnglishMode | kStateTempEnglish)) {
        eaten = Engine::IsKeyEaten(e, KeyInput{action, text});
    } else if (e->ime && (e->ime->options & kImeCapitalStartsEnglish) && hasText &&
               text[0] >= L'A' && text[0] <= L'Z' && !caps) {
        eaten = true;
    } else if (s->composing || e->input.codeLength > 0) {
        if (InCommandState(e)) {
            eaten = (action & 0xC0064) ||
                    ((action & 0x80) && KeyFunctionIndex(action) != kSelectTypedCode) || hasText;
        } else {
            eaten = (action & kCodeKeyFunctions) || hasText;
        }
    } else if (action & kAfterCommitActions) {
        eaten = e->input.pickedLength > 0;
    } else if (hasText) {
        eaten = StartsCode(e, text[0]);
    }

    if (eaten) {
        StoreKey(e, code, action, text);
        return TRUE;
    }
    if (vk == VK_CAPITAL) {
        if (e->ime && (e->ime->features & kFeatCapsEnglishPunct)) {
            if (caps) {
                e->state |= kStateEnglishPunct;
                lock.ic()->fdwConversion &= ~IME_CMODE_SYMBOL;
            } else {
                e->state &= ~kStateEnglishPunct;
                lock.ic()->fdwConversion |= IME_CMODE_SYMBOL;
            }
        }
        SendCapsLockGroup(lock);
    }
    NoteUnconvertedKey(e, text, code);
    return FALSE;
}

void ConvertImeKey(const ImeContextLock& lock, UINT vk) {
    Engine* e = lock.engine();
    ImeSession* s = lock.session();
    if (!lock.ready()) return;
    InputState& in = e->input;
    if (InCommandState(e)) GenerateImeMessage(lock, WM_IME_STARTCOMPOSITION, 0, 0);
    const wchar_t* text = in.keyChar;
    if (!text) return;
    s->uiWord |= kUiConverting;
    const bool english = e->state & (kStateEnglishMode | kStateTempEnglish);
    const KeyFunctionMask action = in.keyAction;

    if (IsKeyName(text) || !text[0]) {
        const int done = ImeExecuteKeyFunction(lock, action);
        if (!done && !english && InCommandState(e) && s->composing) ImeClearInput(lock, true);
        if (vk == VK_CAPITAL && done) {
            keybd_event(VK_CAPITAL, 0x38, KEYEVENTF_KEYUP, 0);
            keybd_event(VK_CAPITAL, 0x38, 0, 0);
            SendCapsLockGroup(lock);
        }
        s->uiWord = 0;
        return;
    }

    if (english) {
        switch (Engine::ClassifySelectKey(e)) {
            case kSelectInsert:
                ImeInsertCharAndUpdate(lock);
                break;
            case kSelectAct:
                if (!ImeExecuteKeyFunction(lock, in.keyAction)) ImeOutputKeyText(lock);
                break;
            case kSelectNotTaken:
                ImeOutputKeyText(lock);
                break;
            default:
                ImeExecuteKeyFunction(lock, in.keyAction);
                break;
        }
        s->uiWord = 0;
        return;
    }

    const wchar_t ch = text[0];
    switch (Engine::ClassifyInputChar(e, ch)) {
        case kCharInsert:
            ImeInsertCharAndUpdate(lock);
            break;
        case 2:
            if (in.codeLength > 0) {
                FillCandidateList(lock);
                FillCompositionString(lock);
                SendCompositionGroup(lock);
                GenerateImeMessage(lock, WM_IME_NOTIFY, kNotifyPlaceCandidates, 0);
            } else {
                ImeClearInput(lock, true);
            }
            break;
        case 3:
            break;
        case kCharCommitFirst:
            if (!ImeExecuteKeyFunction(lock, action)) {
                if (InCommandState(e)) {
                    ImeOutputKeyText(lock);
                } else {
                    ImeInsertCharAndUpdate(lock);
                }
            }
            break;
        case kCharCodeEnd:
            ImeOutputKeyText(lock);
            break;
        case 6:
            ImeExecuteKeyFunction(lock, action);
            break;
        case kCharLeadAgain:
            ImeSelectCandidate(lock, e->candidateCount > 0 ? kSelectHighlighted : kSelectTypedCode);
            break;
        default: {
            const uint32_t space = e->ime ? e->ime->features & kFeatSpaceMask : 0;
            if (in.codeLength > 0 && e->candidateCount == 0 && ch == L' ') {
                if (space & kFeatSpaceEnglish) {
                    ImeSelectCandidate(lock, kSelectTypedCode);
                } else if (space & kFeatSpaceEnglishSpace) {
                    ImeClearInput(lock, false);
                    ImeOutputText(lock, L" ", 1);
                } else if (space & kFeatSpaceClear) {
                    ImeClearInput(lock, true);
                }
                break;
            }
            if (ImeExecuteKeyFunction(lock, action)) break;
            const uint32_t options = e->ime ? e->ime->options : 0;
            if (e->candidateCount > 0 && (options & kImeNonCodeKeyCommits)) {
                ImeSelectCandidate(lock, kSelectHighlighted);
                ImeOutputKeyText(lock);
            } else if (in.codeLength == 0) {
                ImeOutputKeyText(lock);
            } else if (space & kFeatSpaceEnglish) {
                ImeInsertCharAndUpdate(lock);
            } else if (space & kFeatSpaceEnglishSpace) {
                ImeOutputKeyText(lock);
            } else if (space & kFeatSpaceClear) {
                ImeClearInput(lock, true);
                ImeOutputKeyText(lock);
            }
            break;
        }
    }
    s->uiWord = 0;
}
