// Mode switches and candidate actions that key functions, UI commands and buttons share.
// Each acts on the engine record and asks the front end's host for the rest.
#pragma once
#include <cstdint>

#include "core/record/engine.h"
#include "engine/candidate_pick.h"
#include "textservice/actions/action_host.h"

// Conversion-mode bits, as the framework's conversion compartment and IMM32 carry them.
constexpr uint32_t kConversionNative = 0x1;
constexpr uint32_t kConversionFullShape = 0x8;
constexpr uint32_t kConversionNoConversion = 0x100;
constexpr uint32_t kConversionSymbol = 0x400;

// The soft-keyboard layouts: 1 the PC keyboard ... 13 special symbols.
constexpr uint32_t kSoftKeyboardLayouts = 13;

// The conversion mode for the engine's state: the English bit when English (or closed,
// with closedIsEnglish), the symbol bit unless English punctuation, the full-shape bit in
// full width; the other bits of before are kept.
uint32_t ConversionModeFor(const Engine* engine, uint32_t before, bool closedIsEnglish);

// Commits or drops what is being typed before a mode switch (the typed code as English
// when the settings ask for it).
void CommitBeforeSwitch(Engine* engine, ActionHost& host);

// Opens or closes the input method. 1.
int SetOpenClose(Engine* engine, ActionHost& host, bool open);
// The engine state of Chinese or English input: open; Chinese with the start state's
// punctuation, or English with English punctuation and the symbol pairs forgotten.
void SetInputState(Engine* engine, bool chinese);
// Chinese or English input, opening a closed keyboard. 1.
int SetEnglishMode(Engine* engine, ActionHost& host, bool chinese);
// Full or half width; English or Chinese punctuation. With the state tip. 1.
int ToggleFullWidth(Engine* engine, ActionHost& host, bool full);
int TogglePunctuation(Engine* engine, ActionHost& host, bool english);
// Shows the soft keyboard with a layout (1-13) or hides it (any other layout); a negative
// layout, or show and layout both 0, switches to the opposite of the current state. 0 when
// the front end cannot switch it now.
int ToggleSoftKeyboard(Engine* engine, ActionHost& host, uintptr_t show, int64_t layout);
// The layout a toggle opens with: the last one shown in this process, 1 before any.
uint32_t LastSoftKeyboardLayout();
void SetLastSoftKeyboardLayout(uint32_t layout);
// Writes the last commit again. 1.
int RepeatLastCommit(Engine* engine, ActionHost& host);
// Marks the table entry of a page row deleted (selector 0 or 13 highlighted, 1-10 the row,
// 12 the last) and looks the code up again. 0 in temporary English or without such a row.
int DeleteCandidate(Engine* engine, ActionHost& host, int selector);
// Moves the row's word to the top at once (the settings stay as they are) and looks the
// code up again. 0 in temporary English.
int AdjustCandidateFrequency(Engine* engine, ActionHost& host, int selector);
