// The IMM32 key path: whether a key is converted, and converting it.
#pragma once
#include "textservice/imm/ime_context_lock.h"

// Actions eaten in every state: switches, configuration pages, window toggles.
constexpr KeyFunctionMask kAlwaysEatenActions = 0xC7BF03C00003;
// Repeat input, undo input and online word delete: eaten without a code only after a commit.
constexpr KeyFunctionMask kAfterCommitActions = 0x200000000018;

// TRUE when the key goes on to ImeToAsciiEx; the engine's key fields are set then.
BOOL ClassifyImeKey(const ImeContextLock& lock, UINT virtualKey, LPARAM lParam);
// Converts the key ClassifyImeKey accepted; the messages go out through the message buffer.
void ConvertImeKey(const ImeContextLock& lock, UINT virtualKey);
