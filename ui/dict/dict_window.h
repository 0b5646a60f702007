// The dictionary window ("QLKXSKIN_DICT"): the explanation of the candidate under the mouse.
#pragma once
#include <windows.h>

#include <string>

#include "core/record/engine.h"

// Starts a program (file, parameters, verb, show); ShellExecuteW by default.
using DictLaunch = void (*)(const wchar_t* file, const wchar_t* parameters, const wchar_t* verb,
                            int show);
// Installs the seam; null restores ShellExecuteW.
void SetDictLaunch(DictLaunch launch);

// Shows the window for candidate (an index into the engine's candidates) beside the candidate
// window; nothing happens when it already shows that candidate, or without the dictionary
// table (dict.dms).
void ShowDictWindow(Engine* engine, int64_t candidate);
// Starts the 500 ms hide timer of an existing window.
void HideDictWindowSoon(Engine* engine);
void DestroyDictWindow(Engine* engine);
// The key and the text the engine's window shows (empty when none).
std::wstring DictWindowKey(Engine* engine);
std::wstring DictWindowText(Engine* engine);
