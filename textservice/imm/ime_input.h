// Operations on a locked input context: the composition string and candidate list filled
// from the engine, the result string, clearing the input, modes and the candidate window.
#pragma once
#include "textservice/imm/ime_context_lock.h"

// The typed code as reading string, text (length units, caret) as composition string with
// converted attributes; result fields emptied. Sends nothing.
void FillCompositionString(const ImeContextLock& lock, const wchar_t* text, DWORD length,
                           DWORD caret);
// The current page's rows (at most the block's ten slots, 127 characters each) into the
// candidate list, with count and selection.
void FillCandidateList(const ImeContextLock& lock);
// text as result string (and result clause); the composition emptied. Sends nothing.
void WriteResultString(const ImeContextLock& lock, const wchar_t* text, DWORD length);
// Empties the candidate list and, when candidates were shown, sends the clear group without
// the end message; the candidate window goes.
void ImeHideCandidates(const ImeContextLock& lock);
// Ends the input: engine input reset, a result string kept as last commit, composition and
// candidates emptied, the clear group sent when candidates were shown, and
// WM_IME_ENDCOMPOSITION when sendEnd.
void ImeClearInput(const ImeContextLock& lock, bool sendEnd);
// The focus left the window that shows the composition: the input ends without output, and
// that window, which IMM32 no longer delivers generated messages to, is sent the emptied
// composition and its end itself, so that none of the code stays in its text.
void ImeEndCompositionOnFocusLoss(const ImeContextLock& lock);
// Rebuilds the engine's mode flags from the context's conversion mode.
void EngineFlagsFromConversion(const ImeContextLock& lock);
// Shows, places or hides the candidate window after a change.
void ShowImeWindows(const ImeContextLock& lock);
// Anchor of the candidate window from the context's forms or the caret.
void ImePlaceCandidates(const ImeContextLock& lock);
