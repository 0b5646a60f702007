// The candidate window as the front ends drive it: create once a skin is loaded, show at the
// caret after each composition or candidate change, hide, destroy with the engine record.
#pragma once
#include <windows.h>

#include "core/record/engine.h"
#include "ui/windows/ui_state_block.h"

// Seams to windows that live elsewhere: the popup menus and the dictionary window. Any slot
// may be null. candidateIndex is an index into the engine's candidates (the one shown in the
// slot under the pointer, the embedded-first mode taken into account).
struct CandidateWindowHooks {
    void (*candidateMenu)(Engine* engine, int64_t candidateIndex, POINT screen);
    void (*functionMenu)(Engine* engine, POINT screen);
    void (*showDictionary)(Engine* engine, int64_t candidateIndex);
    // Starts the dictionary window's 500 ms hide timer when it exists.
    void (*hideDictionarySoon)(Engine* engine);
    // Destroys the dictionary window when it exists.
    void (*destroyDictionary)(Engine* engine);
};
void SetCandidateWindowHooks(const CandidateWindowHooks* hooks);

constexpr UINT kCandidateRelayoutMessage = WM_USER + 100;

// Creates the window (hidden) when the record has a loaded skin and none exists yet.
bool CreateCandidateWindow(Engine* engine, const CandidateHost& host);
// Lays out for the current page and shows it below caret (screen pixels); hides it when
// there is nothing to show.
void ShowCandidateWindow(Engine* engine, const RECT& caret);
// Moves the shown window to a new caret rectangle.
void MoveCandidateWindow(Engine* engine, const RECT& caret);
// Lays out again and resizes without showing.
void RelayoutCandidateWindow(Engine* engine);
// Shows the laid-out window at its placement and paints it.
void UpdateCandidateWindow(Engine* engine);
void HideCandidateWindow(Engine* engine);
void DestroyCandidateWindow(Engine* engine);
