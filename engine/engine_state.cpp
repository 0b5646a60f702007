// Input state of the engine record: reset, open and close, script output.
#include <cstring>

#include "core/record/engine.h"
#include "engine/symbol_display.h"

void Engine::ResetInput(Engine* e) {
    if (e) e->ClearInput();
}

int Engine::SetOpenStatus(Engine* e, bool open) {
    if (!e) return 0;
    e->state &= ~kStateEnglishMode;
    if (open) {
        e->state &= ~(kStateImeClosed | kStateEnglishPunct);
        if (!(e->ime && (e->ime->startState & kStartStateChinesePunct)))
            e->state |= kStateEnglishPunct;
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
