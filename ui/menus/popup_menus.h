// The four popup menus: prepared for the engine's state, built, tracked at a point and
// their choice carried out.
#pragma once
#include <windows.h>

#include <cstdint>

#include "core/record/engine.h"

// Shows menu at a screen point for owner and returns the chosen id (0 for none). The
// default tracks it with TrackPopupMenu and TPM_RETURNCMD.
using MenuTracker = uint64_t (*)(HMENU menu, HWND owner, POINT at);
// Installs a tracker (kept by pointer); null restores the default.
void SetMenuTracker(MenuTracker tracker);

// Each returns the id chosen (0 for none), after carrying it out.
uint64_t ShowFunctionMenu(Engine* engine, HWND owner, POINT at);
// candidateIndex: index into the engine's candidates.
uint64_t ShowCandidateMenu(Engine* engine, int64_t candidateIndex, HWND owner, POINT at);
uint64_t ShowSoftKeyboardMenu(Engine* engine, HWND owner, POINT at);
uint64_t ShowStatusMenu(Engine* engine, HWND owner, POINT at);
