// Command entries ("$kxcmd(" words) on the candidate page.
#pragma once
#include "core/engine.h"

// Fills the display and commit rows of a command entry; 0 when the word is not one (the
// page then shows it as a plain word).
int ExpandCommandEntry(Engine* engine, const wchar_t* word, PageRow* display, PageRow* commit);
