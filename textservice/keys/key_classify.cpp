#include "textservice/keys/key_classify.h"

#include <windows.h>

#include "engine/key_decision.h"
#include "engine/key_texts.h"
#include "engine/platform.h"
#include "ui/softkbd/soft_keyboard_layouts.h"

namespace {

// The key currently held down, for modifier taps.
uint32_t heldScanCode = kNoScanCode;
uint64_t heldSince = 0;

struct Modifiers {
    bool shift, ctrl, alt, caps;
};

Modifiers ReadModifiers() {
    const EnginePlatform& p = Platform();
    return {p.keyState(VK_SHIFT) < 0, p.keyState(VK_CONTROL) < 0, p.keyState(VK_MENU) < 0,
            (p.keyState(VK_CAPITAL) & 1) != 0};
}

bool IsModifierKey(uint32_t vk) {
    return vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU ||
           (vk >= VK_LSHIFT && vk <= VK_RMENU);
}

bool IsLetterKey(uint32_t vk) { return vk >= 'A' && vk <= 'Z'; }

// Keys that change only the keyboard's own state: they leave an open composition alone.
bool IsLockKey(uint32_t vk) { return vk == VK_CAPITAL || vk == VK_NUMLOCK || vk == VK_SCROLL; }

uint32_t ScanOf(uint32_t lParam) {
    uint32_t s = lParam & 0x0FFF0000;
    // Right Shift reported with the extended bit.
    if (s == 0x1360000) s = 0x360000;
    return s;
}

KeyFunctionMask PlainAction(const Engine* e, uint32_t code) {
    return GetKeyFunction(&e->dme->keys, static_cast<int>(code));
}

// Tap code of a modifier released with scan s; 0 when none holds.
uint32_t TapCode(const Engine* e, const KeyPathState& st, uint32_t vk, uint32_t s,
                 const Modifiers& m) {
    const bool imm = st.frontEnd == FrontEnd::kImm32;
    struct Rule {
        uint32_t vk;
        uint32_t leftScan, rightScan;
        uint32_t left, right, either;
        bool othersUp;
    };
    const Rule rules[] = {
        {VK_SHIFT, 0x2A, 0x36, kTapLeftShift, kTapRightShift, kTapShift, !m.ctrl && !m.alt},
        {VK_CONTROL, 0x1D, 0x11D, kTapLeftCtrl, kTapRightCtrl, kTapCtrl, !m.shift && !m.alt},
        {VK_MENU, 0x38, 0x138, kTapLeftAlt, kTapRightAlt, kTapAlt, !m.shift && !m.ctrl},
    };
    const uint32_t scan = s >> 16;
    for (const Rule& r : rules) {
        if (vk != r.vk) continue;
        if (!imm && !r.othersUp) return 0;
        if (scan == r.leftScan && PlainAction(e, r.left)) return r.left;
        if (scan == r.rightScan && PlainAction(e, r.right)) return r.right;
        if (PlainAction(e, r.either)) return r.either;
        return 0;
    }
    return 0;
}

bool IsCapitalLetter(wchar_t c) { return c >= L'A' && c <= L'Z'; }

// The rules for a key with a text while nothing is composed.
bool StartsInput(const Engine* e, wchar_t c) {
    const DmeConfigData* dme = e->dme;
    const uint32_t options = e->ime ? e->ime->options : 0;
    if (dme->keyClass[c & 0xFF] & (kKeyCommitLead | kKeyCodeStart)) return true;
    if (dme->wildcardChar && c == dme->wildcardChar) return true;
    if (dme->tempEnglishLead && c == dme->tempEnglishLead) return true;
    if (dme->auxiliaryLead && c == dme->auxiliaryLead && !(options & kImeAuxTable)) return true;
    if (dme->secondaryLead && c == dme->secondaryLead && !(options & kImeSearchSecondary) &&
        !(e->state & kStateSecondaryPass))
        return true;
    if (dme->extraLead && c == dme->extraLead) return true;
    if (e->state & kStateFullWidthOutput) return true;
    if (!(e->state & kStateEnglishPunct) && c < 128 && e->ime) {
        const SymbolRecord& r = e->ime->symbols[c];
        if (r.kind != kSymbolNone && r.slots[0] != 0) return true;
    }
    return false;
}

// Step of a key-down that is not eaten: its character is output of the application.
void HandOnOutput(Engine* e, KeyPathState& st, uint32_t keyCode, const wchar_t* text) {
    InputState& in = e->input;
    const wchar_t* out = nullptr;
    if (KeyHasText(text)) {
        static thread_local wchar_t one[2];
        one[0] = text[0];
        one[1] = 0;
        out = one;
    } else if (text && text[0] == kNoTextMarker) {
        if (keyCode == VK_RETURN) out = L"\r\n";
        if (keyCode == VK_HOME) out = L"\n";
    }
    if (!out) {
        in.pickedLength = 0;
        st.savedCommitCount = 0;
        return;
    }
    uint32_t n = 0;
    for (; out[n] && n + 1 < kPickedUnits; ++n) in.pickedText[n] = out[n];
    in.pickedText[n] = 0;
    in.pickedLength = n;
    Engine::AppendOutputText(e, in.pickedText);
    for (uint32_t i = 0; i <= n; ++i) in.outputText[i] = in.pickedText[i];
    in.outputLength = n;
    st.savedCommitCount = 1;
}

KeyVerdict Verdict(KeyVerdictCode c) { return {c}; }

// A key-down the application gets while a composition is open would move the caret or
// selection or edit the text around the composition (Tab, Shift+arrows, Shift+PageUp, F3 ...):
// the composition is ended first, so that none of its text is left behind as typed text.
KeyVerdictCode NotEatenWhile(bool composing, uint32_t vk) {
    return composing && !IsLockKey(vk) ? KeyVerdictCode::kNotEatenEndComposition
                                       : KeyVerdictCode::kNotEaten;
}

}  // namespace

uint32_t ShownSoftKeyboardLayout(const Engine* e) {
    if (!e || !(e->state & kStateSoftKeyboard)) return 0;
    return e->softKeyboardLayout;
}

wchar_t ShownSoftKeyboardChar(const Engine* e, uint32_t virtualKey, bool shifted) {
    return SoftKeyboardCharOf(ShownSoftKeyboardLayout(e), virtualKey, shifted);
}

void ForgetHeldKey() {
    heldScanCode = kNoScanCode;
    heldSince = 0;
}

bool HotkeyWorksWhileClosed(KeyFunctionMask functions) {
    return (functions & keyfn::kToggleIme) != 0;
}

bool KeyHasText(const wchar_t* text) { return text && text[0] && text[0] != kNoTextMarker; }

KeyVerdict ClassifyKey(Engine* e, KeyPathState& st, const KeyQuery& q) {
    if (!e || !e->dme) return Verdict(KeyVerdictCode::kNotEaten);
    InputState& in = e->input;
    const DmeConfigData* dme = e->dme;
    const uint32_t vk = q.virtualKey & 0xFF;
    const bool up = (q.lParam & 0x80000000u) != 0;
    const bool imm = st.frontEnd == FrontEnd::kImm32;
    if (imm) {
        in.keyAction = 0;
        in.keyVk = 0;
        in.keyChar = nullptr;
    }

    // A backspace replay lets Backspace through and ends at the marker key.
    if (e->replayActive) {
        if (vk == VK_BACK) return Verdict(KeyVerdictCode::kNotEaten);
        if (vk == kMarkerKey) {
            if (up) {
                e->replayActive = 0;
                in.keyAction = 0;
                in.keyVk = 0;
                in.keyChar = nullptr;
            } else {
                in.keyAction = keyfn::kRepeatInput;
                in.keyVk = kMarkerKey;
                in.keyChar = GetMarkerKeyText();
            }
            return Verdict(KeyVerdictCode::kEaten);
        }
        // Another key pressed ends the replay; the release of the key that started it may
        // arrive in the middle of the replayed keys.
        if (!up) e->replayActive = 0;
    }

    const Modifiers m = ReadModifiers();
    const uint32_t s = ScanOf(q.lParam);
    const uint64_t now = Platform().tickCount();
    uint32_t keyCode = 0;
    KeyFunctionMask action = 0;
    bool repeatedTest = false;

    if (up) {
        const uint32_t held = heldScanCode;
        const uint64_t since = heldSince;
        heldScanCode = kNoScanCode;
        if (s == 0 || s != st.lastScanCode) {
            st.lastScanCode = kNoScanCode;
            return Verdict(KeyVerdictCode::kNotEaten);
        }
        if (!IsModifierKey(vk) || held != s || now - since >= kTapMilliseconds)
            return Verdict(KeyVerdictCode::kNotEaten);
        const uint32_t normalVk = (vk == VK_LSHIFT || vk == VK_RSHIFT)       ? VK_SHIFT
                                  : (vk == VK_LCONTROL || vk == VK_RCONTROL) ? VK_CONTROL
                                  : (vk == VK_LMENU || vk == VK_RMENU)       ? VK_MENU
                                                                             : vk;
        keyCode = TapCode(e, st, normalVk, s, m);
        if (!keyCode) return Verdict(KeyVerdictCode::kNotEaten);
        action = PlainAction(e, keyCode);
    } else {
        repeatedTest = st.downPending && st.pendingVk == vk && st.pendingLParam == q.lParam;
        st.downPending = true;
        st.pendingVk = vk;
        st.pendingLParam = q.lParam;
        st.lastScanCode = s;
        if (s != heldScanCode) {
            heldScanCode = s;
            heldSince = now;
        }
        if (IsModifierKey(vk)) return Verdict(KeyVerdictCode::kNotEaten);
        // A shortcut reaches the application: what it does to the text (paste, cut, a
        // dialog) must not land inside the composition.
        if (m.ctrl || m.alt) return Verdict(NotEatenWhile(q.composing, vk));
        const bool letter = IsLetterKey(vk);
        const bool shifted = m.caps ? (m.shift != letter) : m.shift;
        keyCode = vk + (shifted ? kKeyTextShifted : 0);
        action = GetKeyFunction(&dme->keys, static_cast<int>(keyCode));
    }

    if (keyCode == 0) return Verdict(KeyVerdictCode::kNotEaten);
    const wchar_t* text = GetKeyText(keyCode);
    const wchar_t first = text ? text[0] : 0;
    if (st.afterDigitChar && st.afterDigitChar != first) st.afterDigitChar = 0;
    if (st.smartRepeatChar && st.smartRepeatChar != first) st.smartRepeatChar = 0;
    const bool hasText = KeyHasText(text);

    bool eaten = false;
    bool decided = false;
    if (action & kAlwaysEatenFunctions) {
        eaten = decided = true;
    }
    const uint32_t options = e->ime ? e->ime->options : 0;
    if (!decided && (e->state & kStateSoftKeyboard)) {
        if (action & keyfn::kClearInput) {
            eaten = decided = true;
        } else if (ShownSoftKeyboardLayout(e) > 1) {
            const wchar_t c = ShownSoftKeyboardChar(e, vk, m.shift);
            eaten = c != 0 && c != L' ';
            decided = true;
        }
    }
    if (!decided && (e->state & (kStateImeClosed | kStateKeyboardDisabled))) {
        eaten = false;
        decided = true;
    }
    if (!decided && (e->state & (kStateEnglishMode | kStateTempEnglish))) {
        in.keyAction = action;
        in.keyVk = keyCode;
        in.keyChar = text;
        eaten = Engine::IsKeyEaten(e, KeyInput{action, text});
        decided = true;
    }
    if (!decided && (options & kImeCapitalStartsEnglish) && hasText && IsCapitalLetter(first) &&
        !m.caps) {
        eaten = decided = true;
    }
    KeyVerdictCode notEaten = KeyVerdictCode::kNotEaten;
    if (!decided && q.composing) {
        decided = true;
        if (e->state & kStateAssociation) {
            const bool commitKey = (action & keyfn::kCommit) && KeyFunctionIndex(action) != 11;
            eaten = (action & kAssociationFunctions) || commitKey || hasText;
            if (!eaten) notEaten = KeyVerdictCode::kNotEatenEndComposition;
        } else {
            eaten = (action & kComposingFunctions) || hasText;
        }
    }
    const KeyFunctionMask savedCommitFunctions =
        imm ? 0x200000000018 : 0x20000000001A;  // repeat and undo input, online word delete
    if (!decided && (action & savedCommitFunctions)) {
        eaten = e->input.outputLength > 0 && st.savedCommitCount > 0;
        decided = true;
    }
    if (!decided && hasText) eaten = StartsInput(e, first);

    if (eaten) {
        in.keyAction = action;
        in.keyVk = keyCode;
        in.keyChar = text;
        return Verdict(KeyVerdictCode::kEaten);
    }
    if (!up && !repeatedTest) HandOnOutput(e, st, keyCode, text);
    if (!up && notEaten == KeyVerdictCode::kNotEaten) notEaten = NotEatenWhile(q.composing, vk);
    return Verdict(notEaten);
}
