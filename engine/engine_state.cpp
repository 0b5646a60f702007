// Input state of the engine record: reset, open and close, script output.
#include <cstring>

#include "core/engine.h"
#include "engine/symbol_display.h"

void Engine::ResetInput(Engine* e) {
    if (!e) return;
    InputState& in = e->input;
    in.codeLength = 0;
    in.caret = 0;
    std::memset(in.code, 0, sizeof in.code);
    in.compositionLength = 0;
    in.compositionCaret = 0;
    std::memset(in.compositionText, 0, sizeof in.compositionText);
    in.pickedLength = 0;
    in.keyVk = 0;
    in.keyAction = 0;
    e->candidateCount = 0;
    e->page.pageStart = 0;
    e->page.startContinues = 0;
    e->page.pageEnd = 0;
    e->page.endContinues = 0;
    e->page.highlight = 0;
    e->page.rowCount = 0;
    e->state &= kStateResetMask;
}

void EngineRuntime::ForgetTableViews(Engine* e) {
    if (!e) return;
    Engine::ResetInput(e);
    e->hasPreviousFirst = 0;
    std::memset(&e->previousFirst, 0, sizeof e->previousFirst);
    e->input.committedEntry = nullptr;
    e->input.committedKind = 0;
}

int Engine::SetOpenStatus(Engine* e, bool open) {
    if (!e) return 0;
    e->state &= ~kStateEnglishMode;
    if (open) {
        e->state &= ~(kStateImeClosed | kStateEnglishPunct);
        if (!(e->ime && (e->ime->startState & kStateChinesePunct))) e->state |= kStateEnglishPunct;
    } else {
        e->state |= kStateEnglishPunct | kStateImeClosed;
        ResetSymbolRecords(e);
    }
    return 1;
}

int Engine::SetTraditionalOutput(Engine* e, bool on) {
    if (!e || !e->ime) return 0;
    if (on)
        e->ime->options = (e->ime->options | kImeTraditionalOutput) & ~kImeSimplifiedOutput;
    else
        e->ime->options &= ~kImeTraditionalOutput;
    return 1;
}
