// The IMM32 side of the shared key path: classification and key step over an input context,
// their document actions carried out as composition string, candidate list and messages.
#pragma once
#include "textservice/imm/ime_context_lock.h"
#include "textservice/keys/document_actions.h"

// ImeProcessKey: TRUE when the key goes on to ImeToAsciiEx.
BOOL ProcessImeKey(const ImeContextLock& lock, UINT virtualKey, LPARAM lParam);
// ImeToAsciiEx: the key step for the key ProcessImeKey took.
void ConvertImeKey(const ImeContextLock& lock);
// Runs the functions of action word w as a key without a character would (hotkeys).
void ImeExecuteKeyFunction(const ImeContextLock& lock, KeyFunctionMask w);
// The UICommand handler's work on a locked context.
int RunImeUICommand(const ImeContextLock& lock, uint32_t code, uintptr_t first, uintptr_t second);
// Commits the code as typed (a switch that keeps the code) and ends the composition.
void ImeCommitTypedCode(const ImeContextLock& lock);

// Carries out the actions of a key step on the context. pageChanged: the page moved (the
// candidate window is placed again after the update).
void ApplyDocumentActions(const ImeContextLock& lock, const DocumentActions& actions,
                          bool pageChanged);
