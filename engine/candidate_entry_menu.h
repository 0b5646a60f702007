// The candidate menu's entry edits (Engine::EntryOperation) and the confirmation that
// deletes or restores the entry committed last.
#pragma once
#include <windows.h>

#include "core/record/engine.h"
#include "engine/entry_flag_edits.h"

// Address of the dictionary page; the word goes percent-encoded behind it.
inline constexpr wchar_t kDictPageAddress[] = L"https://dict.zantor.net/dic/index.php?c=";

// Asks whether to delete the main-table entry committed last, or to restore it when it is
// deleted already, and does what the user answers. Nothing when the last commit was not a
// main-table entry still listed in main.dmg, or main.dmg is a private copy. Returns 1.
int ConfirmDeleteEntry(Engine* engine, HWND owner);

// Display text of a table text (length-prefixed UTF-8): keypad bytes as U+FF0A..U+FF19.
// out holds capacity units, always terminated; returns the units written.
int EntryTextForDisplay(const uint8_t* lengthPrefixed, wchar_t* out, int capacity);
