#include "textservice/actions/key_dispatch.h"

#include <windows.h>

#include "core/settings/config_blocks.h"
#include "engine/candidate_entry_menu.h"
#include "engine/commands/command_run.h"
#include "engine/entry_flag_edits.h"
#include "engine/platform.h"
#include "textservice/actions/deferred_prompt.h"
#include "textservice/actions/service_actions.h"

namespace {

using namespace keyfn;

bool Has(KeyFunctionMask w, KeyFunctionMask bits) { return (w & bits) != 0; }

// Turns Caps Lock off with a synthesised press the key path lets through.
void CapsLockOff(ActionHost& host) {
    if (!(PLATFORM_CALL(keyState)(VK_CAPITAL) & 1)) return;
    host.SkipNextKey();
    auto key = PLATFORM_CALL(keyEvent);
    key(VK_CAPITAL, 0);
    key(VK_CAPITAL, KEYEVENTF_KEYUP);
}

void RefreshAfterScheme(Engine* e, ActionHost& host) {
    if (host.Composing())
        host.ActOnLookup(Engine::ProcessInput(e));
    else
        host.RefreshLanguageBar();
}

// Search-range and scheme switches; 0 when w holds none.
int SwitchScheme(Engine* e, ActionHost& host, KeyFunctionMask w) {
    uint32_t& options = e->ime->options;
    const wchar_t* tip;
    if (Has(w, kRangeMainSecondary)) {
        e->state ^= kStateSecondaryPass;
        tip = (e->state & kStateSecondaryPass) ? L"次" : L"常";
    } else if (Has(w, kRangeMainMixed)) {
        options ^= kImeSearchSecondary;
        tip = (options & kImeSearchSecondary) ? L"+次" : L"主";
    } else if (Has(w, kSchemeMainAuxiliary)) {
        if (options & kImeMainTable) {
            options = (options & ~kImeMainTable) | kImeAuxTable;
            tip = L"辅";
        } else {
            options = (options | kImeMainTable) & ~kImeAuxTable;
            tip = L"主";
        }
    } else if (Has(w, kSchemeMainMixed)) {
        if ((options & kImeMainTable) && (options & kImeAuxTable)) {
            options &= ~kImeAuxTable;
            tip = L"主";
        } else {
            options |= kImeMainTable | kImeAuxTable;
            tip = L"混";
        }
    } else {
        return 0;
    }
    host.ShowStateTip(tip);
    RefreshAfterScheme(e, host);
    return 1;
}

struct ConfigRequest {
    KeyFunctionMask bit;
    const wchar_t* request;
};

// In the order the requests are tried.
constexpr ConfigRequest kConfigRequests[] = {
    {kConfigHome, L""},
    {kConfigAbout, L"/do 关于"},
    {kConfigKeys, L"/do 按键设置"},
    {kConfigReverseOutput, L"/do 输出反查"},
    {kConfigReverseClipboard, L"/do 剪贴板反查"},
    {kConfigDictionary, L"/do dict "},
    {kAddWordOnline, L"/do 在线加词"},
    {kConfigHelp, L"/do 帮助首页"},
};

void UndoLastCommit(ActionHost& host) {
    const wchar_t* text = nullptr;
    const int length = host.LastCommit(&text);
    auto key = PLATFORM_CALL(keyEvent);
    for (int i = 0; i < length; ++i) {
        key(VK_BACK, 0);
        key(VK_BACK, KEYEVENTF_KEYUP);
    }
    host.ForgetLastCommit();
}

void PreviousPage(Engine* e) {
    Engine::PrevPage(e);
    if (e->ime && (e->ime->options & kImeStyleTsfEmbedFirst)) Engine::BuildCompositionText(e);
}

// Candidate and code functions while composing.
int DispatchComposing(Engine* e, ActionHost& host, KeyFunctionMask w) {
    const int n = KeyFunctionIndex(w);
    if (Has(w, kCommit)) {
        host.SelectCandidate(n);
        return 1;
    }
    if (Has(w, kAdjustFrequency)) return AdjustCandidateFrequency(e, host, n);
    if (Has(w, kDeleteCandidate)) return DeleteCandidate(e, host, n);
    if (Has(w, kPageUp)) {
        PreviousPage(e);
        host.ShowPage();
        return 1;
    }
    if (Has(w, kPageDown)) {
        Engine::PageDown(e);
        host.ShowPage();
        return 1;
    }
    static const struct {
        KeyFunctionMask bit;
        uint32_t vk;
    } kEdits[] = {
        {kCaretLeft, VK_LEFT}, {kCaretRight, VK_RIGHT},  {kCaretHome, VK_HOME},
        {kCaretEnd, VK_END},   {kDeleteBefore, VK_BACK}, {kDeleteAfter, VK_DELETE},
    };
    for (const auto& edit : kEdits) {
        if (!Has(w, edit.bit)) continue;
        host.ActOnLookup(Engine::EditCode(e, edit.vk));
        return 1;
    }
    if (Has(w, kFirstForward | kFirstBackward)) {
        Engine::MoveHighlight(e, Has(w, kFirstForward) ? -1 : 1);
        host.ShowPage();
        return 1;
    }
    return 0;
}

}  // namespace

int DispatchKeyFunction(Engine* e, ActionHost& host, KeyFunctionMask w) {
    if (!e || w == 0) return 0;
    const bool tsf = host.Kind() == FrontEnd::kTextService;
    if (w == kRefreshAction) {
        RefreshAfterScheme(e, host);
        return 1;
    }
    if (Has(w, kEntryOperationAction)) {
        const int row = static_cast<int>(w & 0xFFFF);
        const int operation = static_cast<int>((w >> 16) & 0xFFFF);
        if (operation == kEntryInfo) {
            DeferPrompt(e, host.OwnerWindow(), DeferredPrompt::kEntryInfo, row);
            return 1;
        }
        if (Engine::EntryOperation(e, host.OwnerWindow(), row, operation))
            host.ActOnLookup(Engine::ProcessInput(e));
        return 1;
    }
    if (Has(w, kClearInput)) {
        if (host.Composing()) {
            host.CommitCandidate();
            return 1;
        }
        if (e->state & kStateSoftKeyboard) {
            ToggleSoftKeyboard(e, host, 1, 0);
            return 1;
        }
    } else {
        const bool englishOrClosed = (e->state & (kStateEnglishMode | kStateImeClosed)) != 0;
        if (Has(w, kToggleIme)) {
            CapsLockOff(host);
            return SetOpenClose(e, host, englishOrClosed);
        }
        if (Has(w, kToggleEnglish)) {
            CapsLockOff(host);
            return SetEnglishMode(e, host, englishOrClosed);
        }
        if (e->ime && SwitchScheme(e, host, w)) return 1;
        if (Has(w, kToggleSoftKeyboard))
            return ToggleSoftKeyboard(e, host, 1, static_cast<int64_t>(e->softKeyboardLayout) + 1);
    }
    if (e->ime && Has(w, kConvertSimplified)) {
        e->ime->options ^= kImeSimplifiedOutput;
        if (tsf) host.ShowStateTip((e->ime->options & kImeSimplifiedOutput) ? L"简" : L"繁");
        host.RefreshLanguageBar();
        return 1;
    }
    if (e->ime && Has(w, kConvertTraditional)) {
        Engine::SetTraditionalOutput(e, !(e->ime->options & kImeTraditionalOutput));
        if (tsf) host.ShowStateTip((e->ime->options & kImeTraditionalOutput) ? L"繁" : L"简");
        host.RefreshLanguageBar();
        return 1;
    }
    if (e->ime && Has(w, kToggleInterface)) {
        e->ime->options ^= kImeStatusHidden;
        host.InterfaceToggled();
        return 1;
    }
    if (e->ime && Has(w, kToggleCandidateWindow)) {
        e->ime->options ^= kImeCandidateHidden;
        host.CandidateWindowToggled();
        return 1;
    }
    for (const ConfigRequest& r : kConfigRequests) {
        if (!Has(w, r.bit)) continue;
        if (tsf) host.EndComposition();
        LaunchConfigProgram(e, r.request);
        return 1;
    }
    if (!host.Composing()) {
        if (Has(w, kRepeatInput)) return RepeatLastCommit(e, host);
        if (Has(w, kUndoInput)) {
            UndoLastCommit(host);
            return 1;
        }
        if (Has(w, kDeleteWordOnline)) {
            DeferPrompt(e, host.OwnerWindow(), DeferredPrompt::kDeleteEntry, 0);
            return 1;
        }
        return 0;
    }
    return DispatchComposing(e, host, w);
}
