// The dictionary window: a small topmost popup beside the candidate window with the
// explanation of the candidate under the pointer, a link to the configuration program's
// dictionary page, dragging, resizing and a 500 ms hide timer.
#pragma once
#include <windows.h>

#include "core/record/engine.h"
#include "ui/candidate/candidate_window.h"

constexpr UINT_PTR kDictHideTimer = 1;
constexpr UINT kDictHideMilliseconds = 500;

// Shows the explanation of an engine candidate (one on the current page) beside the
// candidate window; nothing without dict.dms or when it already shows that candidate.
void ShowDictWindow(Engine* engine, int64_t candidateIndex);
// Fills the rich-edit child with the explanation of a page row and formats it.
void FillDictionaryText(Engine* engine, int64_t row);
// Starts the hide timer when the window exists.
void HideDictWindowSoon(Engine* engine);
void DestroyDictWindow(Engine* engine);
// The engine candidate shown now, -1 for none.
int64_t ShownDictCandidate();

// The configuration program's dictionary page for key: file "<install>config.exe" and
// parameters "/n <GUID text> /dict '<key>'". False when either does not fit.
bool DictConfigLaunch(const Engine* engine, const wchar_t* key, wchar_t (&file)[MAX_PATH],
                      wchar_t (&parameters)[512]);

// Starts the configuration program (ShellExecuteW "open", SW_SHOW); tests replace it. Null
// restores the shell call.
using DictLaunchFunction = void (*)(const wchar_t* file, const wchar_t* parameters);
void SetDictLaunchForTesting(DictLaunchFunction launch);

// The candidate window's dictionary seams.
void FillDictionaryHooks(CandidateWindowHooks& hooks);
