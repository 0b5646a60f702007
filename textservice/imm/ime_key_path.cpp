#include "textservice/imm/ime_key_path.h"

#include "engine/candidate_pick.h"
#include "engine/commands/command_pick.h"
#include "engine/platform.h"
#include "textservice/actions/key_dispatch.h"
#include "textservice/actions/key_step_host.h"
#include "textservice/actions/service_actions.h"
#include "textservice/actions/ui_command_handler.h"
#include "textservice/imm/ime_input.h"
#include "textservice/imm/ime_messages.h"
#include "textservice/imm/ime_windows.h"
#include "textservice/keys/key_classify.h"
#include "textservice/keys/key_step.h"

namespace {

// Modes and windows of an input context, over a running key step.
class ImmActionHost final : public KeyStepActionHost {
public:
    ImmActionHost(KeyStep& step, const ImeContextLock& lock)
        : KeyStepActionHost(step), lock_(lock) {}

    bool CanSwitchSoftKeyboard() override { return true; }
    void ShowPage() override {
        pageChanged = true;
        step_.UpdateComposition();
    }
    bool ReadOpenState() override { return lock_.ic()->fOpen != FALSE; }
    void WriteOpenState(bool open) override { lock_.ic()->fOpen = open ? TRUE : FALSE; }
    uint32_t ReadConversionMode() override { return lock_.ic()->fdwConversion; }
    void WriteConversionMode(uint32_t mode) override {
        // Temporary English is no English input: the application would hand it back as such.
        const uint32_t state = step_.engine()->state;
        if ((state & kStateTempEnglish) && !(state & kStateEnglishMode))
            mode &= ~DWORD{IME_CMODE_NOCONVERSION};
        lock_.ic()->fdwConversion = mode;
        SendModeChangeGroup(lock_);
    }
    // IMM32 has no language bar: the applications learn of the change by the open status.
    void RefreshLanguageBar() override { SendCapsLockGroup(lock_); }
    void UpdateKeyboardState() override {}
    void ShowStateTip(const wchar_t*) override {}
    // A Caps Lock press the key function synthesised comes back: it passes unconverted.
    void SkipNextKey() override {
        ++lock_.session()->skippedCapsLocks;
        synthesisedCapsLock = true;
    }
    void ReAddLanguageBarButtons() override {}
    HWND OwnerWindow() override { return lock_.ic()->hWnd; }
    void InterfaceToggled() override {
        GenerateImeMessage(lock_, WM_IME_NOTIFY, kNotifyRefreshStatus, 0);
    }
    void CandidateWindowToggled() override {
        GenerateImeMessage(lock_, WM_IME_NOTIFY, kNotifyPlaceCandidates, 0);
        ShowImeWindows(lock_);
    }
    void ShowSoftKeyboard(uint32_t) override {
        ImeWindows().showSoftKeyboard(step_.engine(), lock_.ic()->hWnd);
    }
    void HideSoftKeyboard() override { ImeWindows().destroySoftKeyboard(step_.engine()); }

    bool pageChanged = false;
    bool synthesisedCapsLock = false;

private:
    const ImeContextLock& lock_;
};

// The step's front end: the host of its input context, set once the step exists.
struct StepFrame {
    ImmActionHost* host;
};

// The key functions of a step run with the host the step carries.
int ImmDispatch(KeyStep& step, KeyFunctionMask action) {
    auto* frame = static_cast<StepFrame*>(step.frontEnd());
    if (!frame || !frame->host) return 0;
    return DispatchKeyFunction(step.engine(), *frame->host, action);
}

bool Composing(const ImeContextLock& lock) { return lock.session()->composing; }

// After a picked command: a convert( change reaches the conversion mode (else the next mode
// notice would undo it), a set( change the status display.
void AfterCommands(Engine* e, ImmActionHost& host, uint32_t ran) {
    if (ran & kRunBitConvert)
        host.WriteConversionMode(ConversionModeFor(e, host.ReadConversionMode(), false));
    if (ran & kRunBitSet) host.InterfaceToggled();
    if (ran & (kRunBitConvert | kRunBitSet)) host.RefreshLanguageBar();
}

// Runs body(step, host) in a key step of the context and carries out its actions.
template <typename Body>
void InStep(const ImeContextLock& lock, Body body) {
    DocumentActions actions;
    StepFrame frame{nullptr};
    KeyStep step({lock.engine(), &lock.session()->keys, &actions, Composing(lock), true, &frame,
                  &ImmDispatch});
    ImmActionHost host(step, lock);
    frame.host = &host;
    lock.session()->uiWord |= kUiConverting;
    body(step, host);
    ApplyDocumentActions(lock, actions, host.pageChanged);
    AfterCommands(lock.engine(), host, step.commandBits());
    lock.session()->uiWord &= ~kUiConverting;
}

}  // namespace

void ApplyDocumentActions(const ImeContextLock& lock, const DocumentActions& actions,
                          bool pageChanged) {
    ImeSession* s = lock.session();
    bool pendingUpdate = false;
    // The windows follow once the application has its messages.
    bool showWindows = false;
    for (int i = 0; i < actions.count; ++i) {
        const DocumentAction& a = actions.items[i];
        switch (a.kind) {
            case DocumentActionKind::kUpdateComposition:
                if (!s->composing) SendStartGroup(lock);
                FillCompositionString(lock, a.text, a.length, a.caret);
                pendingUpdate = true;
                break;
            case DocumentActionKind::kClearComposition:
                FillCompositionString(lock, L"", 0, 0);
                pendingUpdate = true;
                break;
            case DocumentActionKind::kUpdateCandidates:
                FillCandidateList(lock);
                if (pageChanged) {
                    SendPageChangeGroup(lock);
                    pendingUpdate = false;
                } else if (lock.engine()->candidateCount > 0 || s->candidatesShown) {
                    SendCandidatesShownGroup(lock);
                }
                showWindows = true;
                break;
            case DocumentActionKind::kHideCandidates:
                if (s->candidatesShown) pendingUpdate = false;
                ImeHideCandidates(lock);
                showWindows = false;
                break;
            case DocumentActionKind::kCommitText:
                // The application empties the composition before the result: put in its
                // place, the result would take the code's text into an edit control's undo,
                // and Ctrl+Z would bring the code back as text.
                if (s->composing && (pendingUpdate || lock.cs()->dwCompStrLen > 0)) {
                    FillCompositionString(lock, L"", 0, 0);
                    SendCompositionGroup(lock);
                }
                WriteResultString(lock, a.text, a.length);
                SendResultGroup(lock);
                s->composing = false;
                pendingUpdate = false;
                break;
            case DocumentActionKind::kEndComposition:
                // What is left of the composition ends with it: only a result stays.
                if (lock.cs()->dwCompStrLen > 0) {
                    FillCompositionString(lock, L"", 0, 0);
                    pendingUpdate = true;
                }
                if (pendingUpdate) SendCompositionGroup(lock);
                pendingUpdate = false;
                if (s->composing) {
                    GenerateImeMessage(lock, WM_IME_ENDCOMPOSITION, 0, 0);
                    s->composing = false;
                }
                break;
        }
    }
    if (pendingUpdate) SendCompositionGroup(lock);
    if (showWindows) ShowImeWindows(lock);
}

BOOL ProcessImeKey(const ImeContextLock& lock, UINT virtualKey, LPARAM lParam) {
    Engine* e = lock.engine();
    if (!e->dme) return FALSE;
    ImeSession* s = lock.session();
    if ((virtualKey & 0xFF) == VK_CAPITAL && !(lParam & 0x80000000) && s->skippedCapsLocks > 0) {
        --s->skippedCapsLocks;
        return FALSE;
    }
    KeyPathState& keys = s->keys;
    const KeyVerdict v =
        ClassifyKey(e, keys, {virtualKey, static_cast<uint32_t>(lParam), Composing(lock)});
    if (v.eaten()) return TRUE;
    FinishKeyDown(keys);
    if (v.code == KeyVerdictCode::kNotEatenEndComposition) ImeClearInput(lock, true);
    // Caps Lock that is not converted: English punctuation follows it when the settings ask.
    if ((virtualKey & 0xFF) == VK_CAPITAL && !(lParam & 0x80000000)) {
        if (e->ime && (e->ime->features & kFeatCapsEnglishPunct)) {
            if (PLATFORM_CALL(keyState)(VK_CAPITAL) & 1) {
                e->state |= kStateEnglishPunct;
                lock.ic()->fdwConversion &= ~DWORD{IME_CMODE_SYMBOL};
            } else {
                e->state &= ~kStateEnglishPunct;
                lock.ic()->fdwConversion |= IME_CMODE_SYMBOL;
            }
        }
        SendCapsLockGroup(lock);
    }
    return FALSE;
}

void ConvertImeKey(const ImeContextLock& lock) {
    Engine* e = lock.engine();
    if (e->state & kStateAssociation) GenerateImeMessage(lock, WM_IME_STARTCOMPOSITION, 0, 0);
    const uint32_t keyCode = e->input.keyVk;
    KeyStepResult result = KeyStepResult::kHandled;
    bool synthesised = false;
    InStep(lock, [&](KeyStep& step, ImmActionHost& host) {
        result = step.Run();
        synthesised = host.synthesisedCapsLock;
    });
    FinishKeyDown(lock.session()->keys);
    if (result == KeyStepResult::kNotHandled && (e->state & kStateAssociation) &&
        lock.session()->composing)
        ImeClearInput(lock, true);
    if ((keyCode & 0xFF) == VK_CAPITAL && result == KeyStepResult::kHandled) {
        // Caps Lock did a key function: its toggle is put back, unless the function pressed
        // Caps Lock itself already (that press put it back). The press passes unconverted.
        if (!synthesised) {
            ++lock.session()->skippedCapsLocks;
            PLATFORM_CALL(keyEvent)(VK_CAPITAL, KEYEVENTF_KEYUP);
            PLATFORM_CALL(keyEvent)(VK_CAPITAL, 0);
        }
        SendCapsLockGroup(lock);
    }
}

void ImeExecuteKeyFunction(const ImeContextLock& lock, KeyFunctionMask w) {
    SetCommandKey(lock.engine(), w);
    InStep(lock, [](KeyStep& step, ImmActionHost&) { step.Run(); });
}

int RunImeUICommand(const ImeContextLock& lock, uint32_t code, uintptr_t first, uintptr_t second) {
    int r = 1;
    InStep(lock, [&](KeyStep&, ImmActionHost& host) {
        r = HandleUICommand(lock.engine(), &host, code, first, second);
    });
    return r;
}

void ImeCommitTypedCode(const ImeContextLock& lock) {
    InStep(lock, [](KeyStep& step, ImmActionHost&) { step.SelectCandidate(kSelectTypedCode); });
}
