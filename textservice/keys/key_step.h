// The key step: one eaten key (engine->input.keyAction/keyVk/keyChar, left by ClassifyKey)
// run through the engine, with the document changes it causes written in order to a
// DocumentActions list. The text service runs it inside a read/write edit session and turns
// the actions into composition calls; IMM32 turns them into composition string and messages.
//
// The key functions (commit, paging, mode switches ...) run through the dispatcher the front
// end hands to each step with its own host; their operations use the public steps of KeyStep
// below, so a key function changes the document through the same list.
#pragma once
#include <cstdint>

#include "core/record/engine.h"
#include "textservice/keys/document_actions.h"
#include "textservice/keys/key_path_state.h"

class KeyStep;

// Runs the functions of action for the current key; 1 when it did something, 0 when not
// (the caller may then write the key's text).
using KeyFunctionDispatcher = int (*)(KeyStep& step, KeyFunctionMask action);

enum class KeyStepResult : uint8_t {
    kHandled,
    // A function key whose functions did nothing in Chinese input (the TSF session reports
    // S_FALSE).
    kNotHandled,
};

struct KeyStepSetup {
    Engine* engine;
    KeyPathState* state;
    DocumentActions* actions;
    // The document (or input context) holds a composition when the step starts.
    bool composing;
    // The composition shows the code or first candidate (IMM32 always; TSF in the embedded
    // styles or when the host runs the service with activation flags); otherwise it holds a
    // single unmarked space and the code is shown in the candidate window.
    bool documentShowsCode;
    // The front end (CTextService or the IMM32 context bundle), for the dispatcher.
    void* frontEnd;
    // The front end's dispatcher for this step, called with frontEnd; null leaves key
    // functions undone (they report 0).
    KeyFunctionDispatcher dispatcher = nullptr;
};

class KeyStep {
public:
    explicit KeyStep(const KeyStepSetup& setup);

    // The whole step for the key in engine->input.
    KeyStepResult Run();

    // Steps a key function or a command may take.
    // Puts the key character into the code at the caret, looks up and acts on the result.
    void InsertCharAndUpdate();
    // Acts on a lookup result (kLookup* of engine/lookup.h); returns 1.
    int DoEditAction(int lookupResult);
    // Shows the composition and the candidates as they are in the engine.
    void UpdateComposition();
    // Empties and ends the composition without output (and clears the input).
    void CommitCandidate();
    // Commits the row of selector (engine/candidate_pick.h) with learning; association or
    // the end of the composition follow. 0 when the row is not on the page.
    int SelectCandidate(int selector);
    // Writes text as typed output: punctuation conversion, full width, after-digit and
    // smart-repeat replays. Pending input is committed first.
    void CommitText(const wchar_t* text);
    // Commits InputState::pickedText by its pickedAction, then runs a picked command.
    void CommitPending();
    // Ends the composition and clears the input (candidates hidden).
    void EndComposition();
    // Writes the saved last commit again.
    void RepeatLastCommit();

    Engine* engine() const { return e_; }
    KeyPathState& state() const { return st_; }
    DocumentActions& actions() const { return out_; }
    void* frontEnd() const { return frontEnd_; }
    bool composing() const { return composing_; }
    // Command bits (kRunBit*) of the picked commands this step ran.
    uint32_t commandBits() const { return commandBits_; }

private:
    int Dispatch(KeyFunctionMask action);
    void CommitHighlightedOnly();
    void RunFromInputChar();
    void Output(const wchar_t* text, uint32_t length);

    Engine* e_;
    KeyPathState& st_;
    DocumentActions& out_;
    void* frontEnd_;
    KeyFunctionDispatcher dispatcher_;
    bool composing_;
    bool showsCode_;
    int reentries_ = 0;
    uint32_t commandBits_ = 0;
};

// Maps a typed character to its full-width form: U+0021-U+007E by +0xFEE0, the space to
// U+3000; every other character stays.
wchar_t FullWidthChar(wchar_t c);
