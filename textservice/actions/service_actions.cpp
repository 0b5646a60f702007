#include "textservice/actions/service_actions.h"

#include "core/settings/config_blocks.h"
#include "core/table/table_format.h"
#include "engine/candidate_entry.h"
#include "engine/candidate_pick.h"
#include "engine/frequency.h"
#include "engine/symbol_display.h"
#include "textservice/keys/key_path_state.h"

namespace {

// The association list doubles as the command state of the front ends.
constexpr uint32_t kCommandState = kStateAssociation;

uint32_t g_lastSoftKeyboardLayout = 1;

bool InTempEnglish(const Engine* e) {
    return e->dme && e->input.codeLength > 0 && e->dme->tempEnglishLead &&
           e->input.code[0] == static_cast<wchar_t>(e->dme->tempEnglishLead);
}

void SetBit(uint32_t& word, uint32_t bit, bool on) { word = on ? word | bit : word & ~bit; }

// Punctuation after switching to Chinese: Chinese when the start state asks for it.
void SetStartPunctuation(Engine* e) {
    const bool chinese = e->ime && (e->ime->startState & kStartStateChinesePunct);
    SetBit(e->state, kStateEnglishPunct, !chinese);
}

}  // namespace

uint32_t ConversionModeFor(const Engine* e, uint32_t before, bool closedIsEnglish) {
    const uint32_t englishBits =
        kStateEnglishMode | kStateTempEnglish | (closedIsEnglish ? kStateImeClosed : 0);
    uint32_t mode = before;
    SetBit(mode, kConversionNoConversion, (e->state & englishBits) != 0);
    SetBit(mode, kConversionSymbol, !(e->state & kStateEnglishPunct));
    SetBit(mode, kConversionFullShape, (e->state & kStateFullWidthOutput) != 0);
    return mode;
}

void CommitBeforeSwitch(Engine* e, ActionHost& host) {
    if (e->state & kCommandState) host.EndComposition();
    if (!host.Composing()) return;
    if (e->ime && (e->ime->options & kImeCommitCodeOnSwitch))
        host.SelectCandidate(kSelectTypedCode);
    else
        host.CommitCandidate();
}

int SetOpenClose(Engine* e, ActionHost& host, bool open) {
    CommitBeforeSwitch(e, host);
    Engine::SetOpenStatus(e, open);
    host.WriteOpenState(!(e->state & kStateImeClosed));
    host.WriteConversionMode(ConversionModeFor(e, host.ReadConversionMode(), false));
    host.RefreshLanguageBar();
    return 1;
}

void SetInputState(Engine* e, bool chinese) {
    e->state &= ~kStateImeClosed;
    if (chinese) {
        e->state &= ~kStateEnglishMode;
        SetStartPunctuation(e);
    } else {
        e->state |= kStateEnglishMode | kStateEnglishPunct;
        ResetSymbolRecords(e);
    }
}

int SetEnglishMode(Engine* e, ActionHost& host, bool chinese) {
    CommitBeforeSwitch(e, host);
    if (!host.ReadOpenState()) host.WriteOpenState(true);
    SetInputState(e, chinese);
    host.WriteConversionMode(ConversionModeFor(e, host.ReadConversionMode(), true));
    host.RefreshLanguageBar();
    host.UpdateKeyboardState();
    return 1;
}

namespace {

// Sets or clears one state bit, then shows it: its own conversion-mode bit (the other bits
// stay as read), state tip, language bar.
int SwitchStateBit(Engine* e, ActionHost& host, uint32_t bit, bool on, uint32_t conversionBit,
                   bool conversionOn, const wchar_t* tip) {
    SetBit(e->state, bit, on);
    uint32_t mode = host.ReadConversionMode();
    SetBit(mode, conversionBit, conversionOn);
    host.WriteConversionMode(mode);
    host.ShowStateTip(tip);
    host.RefreshLanguageBar();
    return 1;
}

}  // namespace

int ToggleFullWidth(Engine* e, ActionHost& host, bool full) {
    return SwitchStateBit(e, host, kStateFullWidthOutput, full, kConversionFullShape, full,
                          full ? L"全" : L"半");
}

int TogglePunctuation(Engine* e, ActionHost& host, bool english) {
    return SwitchStateBit(e, host, kStateEnglishPunct, english, kConversionSymbol, !english,
                          english ? L".," : L"。，");
}

uint32_t LastSoftKeyboardLayout() { return g_lastSoftKeyboardLayout; }
void SetLastSoftKeyboardLayout(uint32_t layout) { g_lastSoftKeyboardLayout = layout; }

int ToggleSoftKeyboard(Engine* e, ActionHost& host, uintptr_t show, int64_t layout) {
    if (!host.CanSwitchSoftKeyboard()) return 0;
    host.EndComposition();
    const bool shown = (e->state & kStateSoftKeyboard) != 0;
    e->softKeyboardLayout = 0;
    if (layout < 0 || (show == 0 && layout == 0)) layout = shown ? 0 : g_lastSoftKeyboardLayout;
    if (layout < 1 || layout > kSoftKeyboardLayouts) {
        host.HideSoftKeyboard();
        e->state &= ~kStateSoftKeyboard;
        return 1;
    }
    e->state |= kStateSoftKeyboard;
    e->softKeyboardLayout = static_cast<uint32_t>(layout);
    host.ShowSoftKeyboard(e->softKeyboardLayout);
    g_lastSoftKeyboardLayout = e->softKeyboardLayout;
    return 1;
}

int RepeatLastCommit(Engine*, ActionHost& host) {
    const wchar_t* text = nullptr;
    if (host.LastCommit(&text) > 0) host.RepeatLastCommit();
    return 1;
}

int DeleteCandidate(Engine* e, ActionHost& host, int selector) {
    if (InTempEnglish(e) || selector == kSelectTypedCode) return 0;
    const int64_t index = SelectedCandidate(e, selector);
    if (index < 0) return 0;
    uint8_t* entry = MainTableEntryOf(e, e->candidates[index]);
    if (!entry) return 0;
    StoreU32(entry, LoadU32(entry) | kFlagDeleted);
    NoteTableChange(e->mainTable);
    host.ActOnLookup(Engine::ProcessInput(e));
    return 1;
}

int AdjustCandidateFrequency(Engine* e, ActionHost& host, int selector) {
    if (InTempEnglish(e) || !e->ime) return 0;
    // A private copy: other processes read the mapped word meanwhile.
    AdjustFrequencyByOptions(e, selector, e->ime->listOptions | kListFreqToTop);
    host.ActOnLookup(Engine::ProcessInput(e));
    return 1;
}
