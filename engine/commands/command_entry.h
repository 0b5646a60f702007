// Command entries ("$kxcmd(" words) on the candidate page.
#pragma once
#include "core/record/engine.h"

constexpr int kCommandTextUnits = 512;  // a text after unescaping

// Fills the display and commit rows of a command entry; 0 when the word is not one (the
// page then shows it as a plain word). Returns the display length.
int ExpandCommandEntry(Engine* engine, const wchar_t* word, PageRow* display, PageRow* commit);

// True for "$kxcmd(" ... ")" words of more than 10 characters.
bool IsCommandEntryWord(const wchar_t* word);

// Resolves the escapes of text into out (count units, always terminated): "\1" ",", "\2"
// "(", "\3" ")", "\4" "<", "\5" ">", "\\" "\", "\r" CR LF, "\s" space, "\t" tab; any other
// "\x" stays. Returns the units written.
int Unescape(const wchar_t* text, wchar_t* out, int count);
