// Executes the functions bound to a key (the 64-bit action word) for either front end.
#pragma once
#include "core/record/engine.h"
#include "core/settings/key_functions.h"
#include "textservice/actions/action_host.h"

// The refresh word: look the code up again, or refresh the language bar.
constexpr KeyFunctionMask kRefreshAction = ~KeyFunctionMask{0};
// Candidate-menu operation: the operation in bits 16-31, the page row in bits 0-15.
constexpr KeyFunctionMask kEntryOperationAction = 0x100000000000;

constexpr KeyFunctionMask EntryOperationAction(int row, int operation) {
    return kEntryOperationAction | (static_cast<KeyFunctionMask>(operation & 0xFFFF) << 16) |
           static_cast<KeyFunctionMask>(row & 0xFFFF);
}

// 1 when something was done, 0 when not (the caller then writes the key's text). The
// custom words are not executed here.
int DispatchKeyFunction(Engine* engine, ActionHost& host, KeyFunctionMask action);
