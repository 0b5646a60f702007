// What the IMM32 front end keeps per input context beside the engine record. The record's
// UI-command target points at it (owner), so windows and menus reach the context.
#pragma once
#include <windows.h>

#include <cstdint>

#include "core/record/engine.h"
#include "textservice/imm/imm_driver.h"
#include "textservice/keys/key_path_state.h"

// ImeSession::uiWord
constexpr uint32_t kUiConverting = 0x80000000;  // while a key is being converted
constexpr uint32_t kUiCandidatePlaced = 0x100;
constexpr uint32_t kUiCandidateOpen = 0x1;
constexpr uint32_t kUiCandidateClosedByUser = 0x10000000;

struct ImeSession {
    HIMC himc;
    HWND focusWindow;        // the context's window while locked
    bool composing;          // a composition has been started towards the application
    HWND compositionWindow;  // the window that composition was started in
    bool candidatesShown;    // IMN_OPENCANDIDATE sent and not yet closed
    uint32_t uiWord;
    KeyPathState keys;  // the shared key path's state of this context
    // Caps Lock presses the input method synthesised that are still to come back.
    int skippedCapsLocks;
    POINT candidateAnchor;  // screen position for the candidate window
    SIZE caretBox;
    // The application set the context's font: the candidate window uses lfFont.
    bool applicationFont;
    // The application draws the candidate list itself (WM_IME_SETCONTEXT without
    // ISC_SHOWUICANDIDATEWINDOW): the candidate window stays hidden.
    bool applicationDrawsCandidates;
};

// Creates the session of a fresh engine record and hooks it as the record's UI-command
// target. Null when memory is short.
ImeSession* AttachSession(Engine* engine, HIMC himc);
// Unhooks and frees the session of engine (null allowed).
void DetachSession(Engine* engine);
// The session of engine, or null.
ImeSession* SessionOf(Engine* engine);
