#include "textservice/actions/ui_command_handler.h"

#include "core/settings/config_blocks.h"
#include "engine/commands/command_run.h"
#include "engine/ui_command.h"
#include "textservice/actions/key_dispatch.h"
#include "textservice/actions/service_actions.h"

namespace {

// Marks the engine while the IMM32 handler runs.
class UiCommandMark {
public:
    UiCommandMark(Engine* e, bool on) : e_(on ? e : nullptr) {
        if (e_) e_->state |= kStateUiCommand;
    }
    ~UiCommandMark() {
        if (e_) e_->state &= ~kStateUiCommand;
    }
    UiCommandMark(const UiCommandMark&) = delete;
    UiCommandMark& operator=(const UiCommandMark&) = delete;

private:
    Engine* e_;
};

void RunKeyHandler(Engine* e, ActionHost& host, KeyFunctionMask action) {
    SetCommandKey(e, action);
    host.RunKeyHandler();
}

void SetOptionBits(Engine* e, uint32_t mask, uint32_t bits) {
    if (e->ime) e->ime->options = (e->ime->options & ~mask) | bits;
}

// Width, punctuation and script codes: the engine state first, then what the front end
// shows of it.
int ModeCommand(Engine* e, ActionHost& host, uint32_t code) {
    const wchar_t* tip = nullptr;
    switch (code) {
        case uicmd::kFullWidth:
            e->state |= kStateFullWidthOutput;
            SetOptionBits(e, kImeTraditionalOutput, 0);
            tip = L"全";
            break;
        case uicmd::kHalfWidth:
            e->state &= ~kStateFullWidthOutput;
            tip = L"半";
            break;
        case uicmd::kEnglishPunct:
            e->state |= kStateEnglishPunct;
            tip = L".,";
            break;
        case uicmd::kChinesePunct:
            e->state &= ~kStateEnglishPunct;
            tip = L"。，";
            break;
        case uicmd::kTraditionalToggle:
            if (e->ime) Engine::SetTraditionalOutput(e, !(e->ime->options & kImeTraditionalOutput));
            break;
        case uicmd::kSimplifiedToggle:
            if (e->ime) e->ime->options ^= kImeSimplifiedOutput;
            break;
        default:
            return 0;
    }
    const bool tsf = host.Kind() == FrontEnd::kTextService;
    if (tsf && !tip) return 1;  // the script switches change the settings alone
    if (!tsf) {
        host.WriteConversionMode(ConversionModeFor(e, host.ReadConversionMode(), true));
        return 1;
    }
    host.ShowStateTip(tip);
    // The switch's own bit only: the English bit belongs to the input mode.
    const uint32_t own = code == uicmd::kFullWidth || code == uicmd::kHalfWidth
                             ? kConversionFullShape
                             : kConversionSymbol;
    host.WriteConversionMode((host.ReadConversionMode() & ~own) |
                             (ConversionModeFor(e, 0, false) & own));
    host.RefreshLanguageBar();
    return 1;
}

// Chinese or English input as the IMM32 handler sets it.
void ImmInputMode(Engine* e, ActionHost& host, bool chinese) {
    SetInputState(e, chinese);
    if (!chinese) host.CommitCandidate();
    host.WriteConversionMode(ConversionModeFor(e, host.ReadConversionMode(), true));
}

}  // namespace

void SetCommandKey(Engine* e, KeyFunctionMask action) {
    static const wchar_t kEmptyText[] = L"";
    e->input.keyVk = 0;
    e->input.keyChar = kEmptyText;
    e->input.keyAction = action;
}

int HandleMenuCommand(Engine* e, uint32_t code) {
    if (!e) return 0;
    switch (code) {
        case uicmd::kSettings:
            LaunchConfigProgram(e, L"");
            return 1;
        case uicmd::kKeyboardMap:
            ShowHelpTopic(e, L"keyboardmap.html", 600, 500);
            return 1;
        case uicmd::kAbout:
            LaunchConfigProgram(e, L"/do about");
            return 1;
        case uicmd::kHelpHome:
            LaunchConfigProgram(e, L"/do help");
            return 1;
        case uicmd::kAddUserWord:
            LaunchConfigProgram(e, L"/do tianjiayonghuci");
            return 1;
        case uicmd::kCheckUpdate:
            LaunchConfigProgram(e, L"/do update");
            return 1;
        default:
            return 0;
    }
}

int HandleUICommand(Engine* e, ActionHost* host, uint32_t code, uintptr_t first, uintptr_t second) {
    const bool imm = host && host->Kind() == FrontEnd::kImm32;
    if (code == uicmd::kStatusEmbedToggle) {
        if (imm) return 1;  // the IMM32 front end has no language-bar buttons
        if (e && e->ime) e->ime->options ^= kImeStatusEmbedded;
        if (e && host) host->ReAddLanguageBarButtons();
        return 1;
    }
    if (!e || !host) return 0;
    UiCommandMark mark(e, imm);
    if (HandleMenuCommand(e, code)) return 1;
    switch (code) {
        case uicmd::kPickCandidate:
            RunKeyHandler(e, *host, WithKeyFunctionIndex(keyfn::kCommit, static_cast<int>(first)));
            return 1;
        case uicmd::kNextPage:
            RunKeyHandler(e, *host, keyfn::kPageDown);
            return 1;
        case uicmd::kPrevPage:
            RunKeyHandler(e, *host, keyfn::kPageUp);
            return 1;
        case uicmd::kChineseInput:
        case uicmd::kEnglishInput: {
            const bool chinese = code == uicmd::kChineseInput;
            if (imm)
                ImmInputMode(e, *host, chinese);
            else
                SetEnglishMode(e, *host, chinese);
            return 1;
        }
        case uicmd::kKeyboardOnOff:
            return 1;
        case uicmd::kSoftKeyboard:
            ToggleSoftKeyboard(e, *host, first,
                               static_cast<int64_t>(static_cast<intptr_t>(second)));
            return 1;
        case uicmd::kCandidateMenu:
            RunKeyHandler(e, *host,
                          EntryOperationAction(static_cast<int>(first), static_cast<int>(second)));
            return 1;
        case uicmd::kInputScheme:
            SetOptionBits(e, kImeMainTable | kImeAuxTable,
                          second == 0   ? kImeMainTable | kImeAuxTable
                          : second == 1 ? kImeMainTable
                                        : kImeAuxTable);
            RunKeyHandler(e, *host, kRefreshAction);
            return 1;
        case uicmd::kSecondarySearch:
            SetOptionBits(e, kImeSearchSecondary | kImeSecondaryOnEmpty,
                          second == 0   ? kImeSearchSecondary
                          : second == 1 ? 0
                                        : kImeSecondaryOnEmpty);
            RunKeyHandler(e, *host, kRefreshAction);
            return 1;
        default:
            if (ModeCommand(e, *host, code)) return 1;
            return imm ? 1 : 0;
    }
}
