// Output text through the punctuation records: replacements, alternating paired quotes,
// nesting book-title marks and brackets that put the caret back between them.
#pragma once
#include <cstdint>

#include "core/settings/config_blocks.h"

// Converts text character by character through records (the 128 punctuation records of
// ImeConfigData.symbols; kind-2 toggles flip as they are used). Writes at most capacity - 1
// units to out, always terminated; a replacement that does not fit whole is left out with
// everything after it. Returns the units written.
int ExpandPunctuationOutput(SymbolRecord* records, const wchar_t* text, wchar_t* out, int capacity);
