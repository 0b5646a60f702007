// Binding an engine record to an input context and releasing it again.
#pragma once
#include "textservice/imm/ime_context_lock.h"

// ImeSelect(TRUE): blocks set up, engine record and session created, start state applied.
// True when the context holds an engine afterwards.
bool SelectContext(HIMC himc);
// ImeSelect(FALSE): mode written back, input cleared, record freed.
void DeselectContext(HIMC himc);
