// Operations of the IMM32 key path on a locked input context: filling the composition
// string and candidate list from the engine, committing, clearing and the key functions.
#pragma once
#include "textservice/imm/ime_context_lock.h"

// The typed code as reading string, the engine's composition text with its caret and
// converted attributes as composition string; result fields emptied. Sends nothing.
void FillCompositionString(const ImeContextLock& lock);
// The current page's rows (at most the block's ten slots, 127 characters each) into the
// candidate list, with count and selection.
void FillCandidateList(const ImeContextLock& lock);

// After a change of the typed code: the lookup and what its result asks for. Nonzero when
// something was shown.
int ImeProcessInput(const ImeContextLock& lock);
// What a lookup result r (of Engine::ProcessInput) asks for; as ImeProcessInput.
int ImeActOnLookup(const ImeContextLock& lock, int r);
// Commits the row selector picks (selectors of Engine::SelectCandidate). 0 when the engine
// picked nothing.
int ImeSelectCandidate(const ImeContextLock& lock, int selector);
// Commits text as the result string (the twin of committing text into a document).
void ImeOutputText(const ImeContextLock& lock, const wchar_t* text, DWORD length);
// Commits the key's own text (punctuation and full width applied).
void ImeOutputKeyText(const ImeContextLock& lock);
// Ends the input: engine input reset, composition and candidates emptied, the clear group
// sent when candidates were shown, and WM_IME_ENDCOMPOSITION when sendEnd.
void ImeClearInput(const ImeContextLock& lock, bool sendEnd);
// Inserts the key's character into the code and processes the new code; 0 when the code is
// full.
int ImeInsertCharAndUpdate(const ImeContextLock& lock);
// Runs the key functions of action word w. 1 when it did something.
int ImeExecuteKeyFunction(const ImeContextLock& lock, KeyFunctionMask w);
// Mode commands (UICommand 259-262 and 0x2001-0x2006). 1 when handled.
int ImeModeCommand(const ImeContextLock& lock, uint32_t code);
// Rebuilds the engine's mode flags from the context's conversion mode.
void EngineFlagsFromConversion(const ImeContextLock& lock);
// Writes the engine's mode flags into the conversion mode and tells the application.
void ConversionFromEngineFlags(const ImeContextLock& lock);
// Shows, places or hides the candidate window after a change.
void ShowImeWindows(const ImeContextLock& lock);
// Anchor of the candidate window from the context's forms or the caret.
void ImePlaceCandidates(const ImeContextLock& lock);
