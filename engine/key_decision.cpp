#include "engine/key_decision.h"

#include <cstring>

#include "engine/effective_settings.h"
#include "engine/lookup.h"

namespace {

bool IsDigitByte(uint32_t c) { return (c >= '0' && c <= '9') || (c >= 0x10 && c <= 0x19); }
bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

// code with ch inserted at the caret, cut to the code's room.
void BuildTrialCode(const InputState& in, wchar_t ch, wchar_t (&trial)[kMaxCodeUnits + 1]) {
    uint32_t len = in.codeLength > kMaxCodeUnits ? kMaxCodeUnits : in.codeLength;
    uint32_t caret = in.caret > len ? len : in.caret;
    uint32_t n = 0;
    for (uint32_t i = 0; i < caret && n < kMaxCodeUnits; ++i) trial[n++] = in.code[i];
    if (n < kMaxCodeUnits) trial[n++] = ch;
    for (uint32_t i = caret; i < len && n < kMaxCodeUnits; ++i) trial[n++] = in.code[i];
    trial[n] = 0;
}

bool HasCandidates(const Engine* e) { return e->candidateCount > 0; }

}  // namespace

bool IsKeyName(const wchar_t* text) { return text && text[0] == L'键'; }

int Engine::ClassifyInputChar(Engine* e, wchar_t ch) {
    if (!e || !e->dme) return kCharNotTaken;
    InputState& in = e->input;
    wchar_t trial[kMaxCodeUnits + 1];
    BuildTrialCode(in, ch, trial);
    if (!trial[0]) return kCharNotTaken;
    uint8_t key[kKeyBufferBytes] = {};
    bool leadDropped = false;
    if (NormaliseCode(e, trial, key, &leadDropped) == kCodeEmpty) return kCharNotTaken;
    const uint32_t keyLength = key[0];

    // A character outside the byte range stands for the key byte it became.
    uint32_t c = ch;
    if (ch > 255) {
        const uint32_t caret = in.caret > in.codeLength ? in.codeLength : in.caret;
        const uint32_t pos = leadDropped && caret > 0 ? caret - 1 : caret;
        c = pos < keyLength ? key[1 + pos] : 0;
    }
    const DmeConfigData* dme = e->dme;
    const uint8_t f = dme->keyClass[c & 0xFF];
    const uint32_t wildcard = WildcardChar(e);
    const uint32_t imeOptions = ImeOptions(e);
    const uint32_t inputOptions = InputOptions(e);
    const uint32_t tempLead = dme->tempEnglishLead;

    if (in.codeLength == 0) {
        if ((e->state & kStateAssociation) && in.keyAction != 0) return kCharCommitFirst;
        if (f & kKeyCommitLead) {
            return HasLongerCodes(e, key, nullptr) == 0 ? kCharInsert : kCharNotTaken;
        }
        const bool wildcardStarts =
            wildcard && c == wildcard &&
            (inputOptions & (kInputWildcardFirstKey | kInputWildcardRepeat));
        if (!wildcardStarts) {
            const bool secondaryOff =
                !(imeOptions & kImeSearchSecondary) && !(e->state & kStateSecondaryPass);
            const bool lead =
                (tempLead && c == tempLead) ||
                (dme->secondaryLead && c == dme->secondaryLead && secondaryOff) ||
                (dme->auxiliaryLead && c == dme->auxiliaryLead && !(imeOptions & kImeAuxTable)) ||
                (dme->extraLead && c == dme->extraLead);
            if (!lead && !(f & kKeyCodeStart)) return kCharNotTaken;
        }
        return kCharInsert;
    }

    if (!(wildcard && c == wildcard)) {
        if (tempLead && in.code[0] == tempLead) {
            uint8_t raw[kKeyBufferBytes] = {};
            if (IsDigitByte(c) && BuildRawKey(trial, raw) >= 2 && IsDigitByte(raw[2]))
                return kCharInsert;
            if (c == ' ') return HasCandidates(e) ? kCharCommitFirst : kCharInsert;
            if (c != tempLead) return kCharCommitFirst;
            if (in.codeLength == 1) return HasCandidates(e) ? kCharLeadAgain : kCharNotTaken;
            e->candidateCount = 0;
            return kCharLeadAgain;
        }
        const uint8_t last = keyLength ? key[keyLength] : 0;
        if (!(dme->keyClass[last] & kKeyCodeEnd)) {
            if (f & kKeyCodeContinue) {
                return HasCodesWithPrefix(e, key) == 1 ? kCharCommitFirst : kCharInsert;
            }
            return (f & kKeyCodeStart) ? kCharCommitFirst : kCharNotTaken;
        }
        if (HasCodesWithPrefix(e, key) == 1) {
            if (e->candidateCount == 1 && e->page.rowCount == 1) return kCharCodeEnd;
            return e->candidateCount > 1 ? kCharNotTaken : kCharCommitFirst;
        }
    }
    return kCharInsert;
}

int Engine::ClassifySelectKey(Engine* e) {
    if (!e) return kSelectNotTaken;
    InputState& in = e->input;
    const wchar_t ch = in.keyChar && !IsKeyName(in.keyChar) ? in.keyChar[0] : 0;
    if (IsAsciiLetter(ch)) return kSelectInsert;
    if (in.codeLength == 0) return kSelectNotTaken;
    if (ch && std::wcschr(L".@:'-/", ch)) return kSelectInsert;
    if (ch == L' ') {
        const bool act =
            (e->state & kStateTempEnglish) || (e->candidateCount > 0 && e->page.rowCount > 0 &&
                                               in.codeLength < e->page.rowText[0].length);
        if (!act) return kSelectNotTaken;
        in.keyAction = keyfn::kCommit;
        in.keyVk = 0;
        in.keyChar = nullptr;
        return kSelectAct;
    }
    if (ch >= L'0' && ch <= L'9') {
        if (!e->englishTable) return kSelectInsert;
        const int n = ch == L'0' ? 10 : ch - L'0';
        if (n > e->page.pageSize) return kSelectNotTaken;
        in.keyAction = static_cast<KeyFunctionMask>(n) * 256 + keyfn::kCommit;
        return kSelectAct;
    }
    return kSelectNotTaken;
}

bool Engine::IsKeyEaten(Engine* e, const KeyInput& key) {
    if (!e) return false;
    const bool hasText = key.text && key.text[0] && !IsKeyName(key.text);
    if (e->state & kStateEnglishMode) {
        if (hasText && ((e->state & kStateFullWidthOutput) || !(e->state & kStateEnglishPunct)))
            return true;
        if (!e->englishTable) return false;
    }
    if (e->input.codeLength > 0) {
        if (key.action & kCodeKeyFunctions) return true;
    } else if (key.action & (keyfn::kRepeatInput | keyfn::kUndoInput)) {
        return e->input.pickedLength > 0;
    }
    return hasText;
}
