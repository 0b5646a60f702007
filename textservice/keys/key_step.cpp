#include "textservice/keys/key_step.h"

#include <windows.h>

#include <cstring>

#include "core/table/list_table.h"
#include "engine/candidate_pick.h"
#include "engine/commands/command_pick.h"
#include "engine/commands/command_run.h"
#include "engine/key_decision.h"
#include "engine/key_texts.h"
#include "engine/lookup.h"
#include "engine/platform.h"
#include "engine/punctuation_output.h"
#include "textservice/keys/key_classify.h"

namespace {

// Typed output (at most kOutputUnits - 1 units and a terminator) goes through pickedText.
static_assert(kOutputUnits <= kPickedUnits);

uint32_t Length(const wchar_t* s, uint32_t max) {
    uint32_t n = 0;
    while (s && n < max && s[n]) ++n;
    return n;
}

bool IsCapital(wchar_t c) { return c >= L'A' && c <= L'Z'; }

}  // namespace

wchar_t FullWidthChar(wchar_t c) {
    if (c == L' ') return L'\u3000';
    if (c >= 0x21 && c <= 0x7E) return static_cast<wchar_t>(c + 0xFEE0);
    return c;
}

KeyStep::KeyStep(const KeyStepSetup& s)
    : e_(s.engine),
      st_(*s.state),
      out_(*s.actions),
      frontEnd_(s.frontEnd),
      dispatcher_(s.dispatcher),
      composing_(s.composing),
      showsCode_(s.documentShowsCode) {}

int KeyStep::Dispatch(KeyFunctionMask action) {
    if (!action || !dispatcher_) return 0;
    return dispatcher_(*this, action);
}

KeyStepResult KeyStep::Run() {
    if (!e_ || !e_->dme) return KeyStepResult::kHandled;
    InputState& in = e_->input;
    if (!(e_->state & kStateAssociation)) in.searchKey.length = 0;

    // A symbol layout on the soft keyboard types its own characters.
    if ((e_->state & kStateSoftKeyboard) && !(in.keyAction & keyfn::kClearInput)) {
        if (ShownSoftKeyboardLayout(e_) > 1) {
            const bool shift = Platform().keyState(VK_SHIFT) < 0;
            const wchar_t c = ShownSoftKeyboardChar(e_, in.keyVk & 0xFF, shift);
            if (c && c != L' ') {
                in.pickedText[0] = c;
                in.pickedText[1] = 0;
                in.pickedLength = 1;
                in.pickedAction = kActionCommitPicked;
                CommitPending();
                if (composing_) EndComposition();
                return KeyStepResult::kHandled;
            }
        }
    }

    const wchar_t* text = in.keyChar;
    if (text && text[0] == kNoTextMarker) {
        const int done = Dispatch(in.keyAction);
        if (!done && !(e_->state & (kStateEnglishMode | kStateTempEnglish)))
            return KeyStepResult::kNotHandled;
        return KeyStepResult::kHandled;
    }
    if (!e_->replayActive) {
        if (!KeyHasText(text)) {
            Dispatch(in.keyAction);
            return KeyStepResult::kHandled;
        }
        if (!(e_->state & (kStateEnglishMode | kStateTempEnglish))) {
            const uint32_t options = e_->ime ? e_->ime->options : 0;
            const bool caps = (Platform().keyState(VK_CAPITAL) & 1) != 0;
            const uint8_t lead = e_->dme->tempEnglishLead;
            const bool leadTyped = lead && in.codeLength > 0 && in.code[0] == lead;
            if (!(options & kImeCapitalStartsEnglish) || !IsCapital(text[0]) || caps || leadTyped) {
                RunFromInputChar();
                return KeyStepResult::kHandled;
            }
            if (composing_ && in.codeLength > 0) CommitHighlightedOnly();
            if (composing_) {
                const wchar_t* keep = in.keyChar;
                const KeyFunctionMask action = in.keyAction;
                const uint32_t vk = in.keyVk;
                EndComposition();
                in.keyChar = keep;
                in.keyAction = action;
                in.keyVk = vk;
            }
            e_->state |= kStateTempEnglish;
        }
        switch (Engine::ClassifySelectKey(e_)) {
            case kSelectInsert:
                InsertCharAndUpdate();
                break;
            case kSelectAct:
                if (!Dispatch(in.keyAction)) CommitText(text);
                break;
            case kSelectNotTaken:
                CommitText(text);
                break;
            default:
                Dispatch(in.keyAction);
                break;
        }
        return KeyStepResult::kHandled;
    }

    // The marker key at the end of a backspace replay: the saved output goes in place of
    // what the replay removed.
    Engine::AppendOutputText(e_, in.outputText);
    if (composing_) out_.Add(DocumentActionKind::kClearComposition);
    out_.Add(DocumentActionKind::kCommitText, in.outputText,
             Length(in.outputText, in.outputLength));
    out_.Add(DocumentActionKind::kEndComposition);
    composing_ = false;
    if (!st_.savedKey.present) return KeyStepResult::kHandled;
    in.keyVk = st_.savedKey.keyCode;
    in.keyAction = st_.savedKey.action;
    in.keyChar = st_.savedKey.text;
    st_.savedKey = {};
    e_->replayActive = 0;
    RunFromInputChar();
    return KeyStepResult::kHandled;
}

void KeyStep::RunFromInputChar() {
    InputState& in = e_->input;
    const wchar_t* text = in.keyChar;
    if (!KeyHasText(text)) return;
    const bool association = (e_->state & kStateAssociation) != 0;
    switch (Engine::ClassifyInputChar(e_, text[0])) {
        case kCharInsert:
            if (association && composing_) {
                const wchar_t* keep = in.keyChar;
                const KeyFunctionMask action = in.keyAction;
                const uint32_t vk = in.keyVk;
                EndComposition();
                in.keyChar = keep;
                in.keyAction = action;
                in.keyVk = vk;
            }
            InsertCharAndUpdate();
            return;
        case kCharCommitFirst:
            if (Dispatch(in.keyAction)) return;
            if (!association) {
                InsertCharAndUpdate();
            } else {
                EndComposition();
                CommitText(text);
            }
            return;
        case kCharCodeEnd:
            CommitText(text);
            return;
        case kCharLeadAgain:
            SelectCandidate(e_->candidateCount > 0 ? kSelectHighlighted : kSelectTypedCode);
            return;
        default:
            break;
    }
    const uint32_t features = e_->ime ? e_->ime->features : 0;
    const uint32_t options = e_->ime ? e_->ime->options : 0;
    const uint32_t space = features & kFeatSpaceMask;
    if (in.codeLength > 0 && e_->candidateCount == 0 && text[0] == L' ' && space) {
        if (space & kFeatSpaceEnglish) {
            SelectCandidate(kSelectTypedCode);
        } else if (space & kFeatSpaceEnglishSpace) {
            CommitText(L" ");
        } else {
            CommitCandidate();
        }
        return;
    }
    if (Dispatch(in.keyAction)) return;
    if (e_->candidateCount > 0 && (options & kImeNonCodeKeyCommits)) {
        CommitText(text);
    } else if (!composing_ || in.codeLength == 0) {
        CommitText(text);
    } else if (space & kFeatSpaceEnglish) {
        // The character joins the code; the composition shows it with no candidates.
        if (in.codeLength < kMaxCodeUnits) {
            Engine::InsertKeyChar(e_);
            e_->candidateCount = 0;
            e_->page.rowCount = 0;
            EngineRuntime::BuildCompositionText(e_);
            UpdateComposition();
        }
    } else if (space & kFeatSpaceClear) {
        const wchar_t* keep = in.keyChar;
        EndComposition();
        in.keyChar = keep;
        CommitText(text);
    } else {
        CommitText(text);
    }
}

void KeyStep::InsertCharAndUpdate() {
    InputState& in = e_->input;
    if (in.codeLength >= kMaxCodeUnits) return;
    Engine::InsertKeyChar(e_);
    DoEditAction(Engine::ProcessInput(e_));
}

int KeyStep::DoEditAction(int result) {
    InputState& in = e_->input;
    switch (result) {
        case kLookupClear: {
            wchar_t code[kMaxCodeUnits + 1];
            const uint32_t n = in.codeLength > kMaxCodeUnits ? kMaxCodeUnits : in.codeLength;
            std::memcpy(code, in.code, n * sizeof(wchar_t));
            code[n] = 0;
            Engine::AppendOutputText(e_, code);
            CommitCandidate();
            return 1;
        }
        case kLookupCommitFirst:
            EngineRuntime::FinishCandidates(e_);
            SelectCandidate(kSelectHighlighted);
            return 1;
        case kLookupCommitPreviousCodeKey: {
            const wchar_t* keep = in.keyChar;
            EngineRuntime::FinishCandidates(e_);
            SelectCandidate(1);
            if (e_->replayActive) {
                st_.savedKey = {true, in.keyVk, in.keyAction, keep};
                return 1;
            }
            Engine::ResetInput(e_);
            in.keyChar = keep;
            // The key starts the next code: handled once more, never in a loop.
            if (reentries_ < 1) {
                ++reentries_;
                Run();
            }
            return 1;
        }
        case kLookupCommitPreviousOtherKey:
            CommitText(in.keyChar);
            return 1;
        default:
            UpdateComposition();
            return 1;
    }
}

void KeyStep::UpdateComposition() {
    InputState& in = e_->input;
    DocumentAction* a;
    if (e_->state & kStateAssociation) {
        a = out_.Add(DocumentActionKind::kUpdateComposition, L" ", 1, 1);
        if (a) a->mark = CompositionMark::kConverted;
    } else if (in.codeLength == 0) {
        // Nothing typed any more: nothing to compose, and nothing of it stays in the document.
        CommitCandidate();
        return;
    } else if (showsCode_) {
        a = out_.Add(DocumentActionKind::kUpdateComposition, in.compositionText,
                     Length(in.compositionText, in.compositionLength), in.compositionCaret);
        if (a) a->mark = CompositionMark::kInput;
    } else {
        a = out_.Add(DocumentActionKind::kUpdateComposition, L" ", 1, 0);
        if (a) a->mark = CompositionMark::kNone;
    }
    composing_ = true;
    out_.Add(DocumentActionKind::kUpdateCandidates);
}

void KeyStep::CommitCandidate() {
    if (composing_) out_.Add(DocumentActionKind::kClearComposition);
    EndComposition();
}

void KeyStep::EndComposition() {
    Engine::ResetInput(e_);
    e_->input.keyChar = nullptr;
    out_.Add(DocumentActionKind::kHideCandidates);
    if (composing_) out_.Add(DocumentActionKind::kEndComposition);
    composing_ = false;
}

void KeyStep::CommitHighlightedOnly() {
    const int64_t r = Engine::SelectCandidate(e_, kSelectHighlighted);
    if (r < 0) return;
    Engine::AdjustFrequency(e_, kSelectHighlighted);
    Engine::CommitCandidate(e_, kSelectHighlighted);
    CommitPending();
}

int KeyStep::SelectCandidate(int selector) {
    InputState& in = e_->input;
    const int64_t r = Engine::SelectCandidate(e_, selector);
    if (r < 0) return 0;
    if (in.pickedAction == kActionNewKey) {
        const uint32_t n = in.pickedLength > kMaxCodeUnits ? kMaxCodeUnits : in.pickedLength;
        std::memcpy(in.code, in.pickedText, n * sizeof(wchar_t));
        in.code[n] = 0;
        in.codeLength = n;
        in.caret = n;
        in.pickedAction = 0;
        DoEditAction(Engine::ProcessInput(e_));
        return 1;
    }
    if (selector != kSelectTypedCode) {
        Engine::AdjustFrequency(e_, selector);
        Engine::CommitCandidate(e_, selector);
    }
    const uint32_t keyCode = in.keyVk;
    const bool functionKey = in.keyChar && in.keyChar[0] == kNoTextMarker;
    CommitPending();
    if (selector == kSelectTop && functionKey && (keyCode & 0xFF)) {
        const uint8_t vk = static_cast<uint8_t>(keyCode & 0xFF);
        Platform().keyEvent(vk, 0);
        Platform().keyEvent(vk, KEYEVENTF_KEYUP);
    }
    if (EngineRuntime::ClearInputAndAssociate(e_) > 0) {
        EngineRuntime::FinishCandidates(e_);
        e_->state |= kStateAssociation;
        UpdateComposition();
    } else {
        EndComposition();
    }
    return 1;
}

void KeyStep::Output(const wchar_t* text, uint32_t n) {
    InputState& in = e_->input;
    if (composing_) out_.Add(DocumentActionKind::kClearComposition);
    if (n == 0) return;
    Engine::AppendOutputText(e_, text);
    out_.Add(DocumentActionKind::kCommitText, text, n);
    // The saved last commit, for repeat and undo input.
    const uint32_t keep = n < kOutputUnits - 1 ? n : kOutputUnits - 1;
    std::memmove(in.outputText, text, keep * sizeof(wchar_t));
    in.outputText[keep] = 0;
    in.outputLength = keep;
    st_.savedCommitCount = keep;
    // The association key of what was written.
    const int bytes = CutUtf8Text(in.outputText, static_cast<int>(keep), kSearchKeyBytes,
                                  in.searchKey.bytes, nullptr);
    in.searchKey.length = static_cast<uint8_t>(bytes > 0 ? bytes : 0);
}

void KeyStep::CommitPending() {
    InputState& in = e_->input;
    const uint32_t action = in.pickedAction;
    const bool writes = (action & kActionCommitPicked) || !(action & kActionRunAfterCommit);
    if (writes) {
        wchar_t text[kPickedUnits];
        const uint32_t n = Length(
            in.pickedText, in.pickedLength < kPickedUnits - 1 ? in.pickedLength : kPickedUnits - 1);
        std::memcpy(text, in.pickedText, n * sizeof(wchar_t));
        text[n] = 0;
        Output(text, n);
    } else if (composing_) {
        out_.Add(DocumentActionKind::kClearComposition);
    }
    if (action & kActionRunAfterCommit) commandBits_ |= RunPickedCommand(e_);
}

void KeyStep::CommitText(const wchar_t* text) {
    InputState& in = e_->input;
    if (!text || !text[0]) return;
    const wchar_t typed = text[0] < 32 ? static_cast<wchar_t>(text[0] + 32) : text[0];
    if (composing_ && in.codeLength > 0) {
        if (e_->candidateCount == 0) in.code[--in.codeLength] = 0;
        if (in.caret > in.codeLength) in.caret = in.codeLength;
        CommitHighlightedOnly();
    } else if (!(e_->state & kStateAssociation)) {
        in.pickedLength = 0;
    }
    SymbolRecord* records = e_->ime ? e_->ime->symbols : nullptr;
    const wchar_t one[2] = {typed, 0};
    wchar_t out[kOutputUnits] = {};
    int n = 0;

    if (st_.afterDigitChar && typed == st_.afterDigitChar && records) {
        // The character typed after a digit becomes its converted form in place.
        n = ExpandPunctuationOutput(records, one, out, kOutputUnits);
        std::memcpy(in.outputText, out, (n + 1) * sizeof(wchar_t));
        in.outputLength = static_cast<uint32_t>(n);
        st_.savedCommitCount = static_cast<uint32_t>(n);
        st_.afterDigitChar = 0;
        e_->replayActive = 1;
        const EnginePlatform& p = Platform();
        p.keyEvent(VK_BACK, 0);
        p.keyEvent(VK_BACK, KEYEVENTF_KEYUP);
        p.keyEvent(kMarkerKey, 0);
        p.keyEvent(kMarkerKey, KEYEVENTF_KEYUP);
        if (composing_) EndComposition();
        return;
    }
    if (st_.smartRepeatChar && typed == st_.smartRepeatChar && records) {
        // A smart symbol typed twice goes back to the character itself.
        const int symbolChars = ExpandPunctuationOutput(records, one, out, kOutputUnits);
        in.outputText[0] = typed;
        in.outputText[1] = 0;
        in.outputLength = 1;
        st_.savedCommitCount = 1;
        st_.smartRepeatChar = 0;
        Engine::ReplayBackspaces(e_, symbolChars);
        if (composing_) EndComposition();
        return;
    }
    const DmeConfigData* dme = e_->dme;
    const bool afterDigit = (dme->keyClass[typed & 0xFF] & kKeyEnglishPunctAfterDigit) &&
                            st_.savedCommitCount > 0 && in.outputLength == 1 &&
                            in.outputText[0] >= L'0' && in.outputText[0] <= L'9' &&
                            in.pickedLength == 0;
    if (afterDigit) {
        out[0] = typed;
        n = 1;
        if (records && typed < 128 && records[typed].kind == kSymbolSmart && in.codeLength == 0) {
            wchar_t converted[kOutputUnits];
            const int m = ExpandPunctuationOutput(records, one, converted, kOutputUnits);
            if (!(m == 1 && converted[0] == typed)) st_.afterDigitChar = typed;
        }
    } else {
        if (!(e_->state & kStateEnglishPunct) && records) {
            if (typed < 128 && records[typed].kind == kSymbolSmart) {
                const wchar_t* t = records[typed].slots;
                const bool bookMarks = !std::wcsncmp(t, L"《〈", 3) || !std::wcsncmp(t, L"〉》", 3);
                if (!bookMarks && !(t[0] == typed && t[1] == 0)) st_.smartRepeatChar = typed;
            }
            n = ExpandPunctuationOutput(records, one, out, kOutputUnits);
        } else {
            out[0] = typed;
            n = 1;
        }
        if (e_->state & kStateFullWidthOutput)
            for (int i = 0; i < n; ++i) out[i] = FullWidthChar(out[i]);
    }
    out[n] = 0;
    in.searchKey.length = 0;
    std::memcpy(in.pickedText, out, (n + 1) * sizeof(wchar_t));
    in.pickedLength = static_cast<uint32_t>(n);
    in.pickedAction = kActionCommitPicked;
    CommitPending();
    if (composing_) EndComposition();
}

void KeyStep::RepeatLastCommit() {
    InputState& in = e_->input;
    if (in.outputLength == 0 || st_.savedCommitCount == 0) return;
    wchar_t text[kOutputUnits];
    const uint32_t n = in.outputLength < kOutputUnits - 1 ? in.outputLength : kOutputUnits - 1;
    std::memcpy(text, in.outputText, n * sizeof(wchar_t));
    text[n] = 0;
    Output(text, n);
    out_.Add(DocumentActionKind::kEndComposition);
    composing_ = false;
}
