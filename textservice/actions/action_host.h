// What a front end does for the key functions and UI commands: the document, its modes and
// the windows. The text service implements it over edit sessions and compartments, the
// IMM32 front end over its input context and IME messages.
#pragma once
#include <windows.h>

#include <cstdint>

#include "textservice/keys/key_path_state.h"

class ActionHost {
public:
    virtual ~ActionHost() = default;
    virtual FrontEnd Kind() const = 0;

    // Document.
    // A composition (text service) or the composing flag (IMM32) is present.
    virtual bool Composing() = 0;
    // The soft keyboard may be switched: the text service needs its edit-sink context.
    virtual bool CanSwitchSoftKeyboard() = 0;
    // Acts on a lookup result code of the engine (what DoEditAction does with it).
    virtual void ActOnLookup(int result) = 0;
    // The page or its highlight changed: show the composition and candidates again.
    virtual void ShowPage() = 0;
    // Commits with an engine selector; 0 when nothing was committed.
    virtual int SelectCandidate(int selector) = 0;
    // Empties and ends the composition (clear input).
    virtual void CommitCandidate() = 0;
    // Ends the composition, keeping nothing of it.
    virtual void EndComposition() = 0;
    // Writes the last commit again.
    virtual void RepeatLastCommit() = 0;
    // Runs the key handler over the engine's current key fields.
    virtual void RunKeyHandler() = 0;
    // The last commit kept for repeat and undo input: its characters, 0 when none.
    virtual int LastCommit(const wchar_t** text) = 0;
    virtual void ForgetLastCommit() = 0;

    // Modes.
    virtual bool ReadOpenState() = 0;
    virtual void WriteOpenState(bool open) = 0;
    virtual uint32_t ReadConversionMode() = 0;
    virtual void WriteConversionMode(uint32_t mode) = 0;
    virtual void RefreshLanguageBar() = 0;
    virtual void UpdateKeyboardState() = 0;
    virtual void ShowStateTip(const wchar_t* text) = 0;
    // The next key event comes from the service itself (a synthesised Caps Lock).
    virtual void SkipNextKey() = 0;
    // The status bar's embedding in the language bar changed: put the buttons up again.
    virtual void ReAddLanguageBarButtons() = 0;

    // Windows.
    // Owner of boxes and pages that actions open.
    virtual HWND OwnerWindow() = 0;
    // ImeConfigData.options bit 0x100 (hide the status bar) changed.
    virtual void InterfaceToggled() = 0;
    // ImeConfigData.options bit 0x400 (hide the candidate window) changed.
    virtual void CandidateWindowToggled() = 0;
    // Shows the soft keyboard with layout 1-13 (the engine's layout is already set).
    virtual void ShowSoftKeyboard(uint32_t layout) = 0;
    virtual void HideSoftKeyboard() = 0;
};
