// The input method's option-section codec: kind 1 the input options, kind 2 the interface
// options. The exported object of kind 2 and the set( command both call through it.
#pragma once
#include "core/settings/option_codec.h"

// Applies one pair of the section of kind to block; 1 when the kind is known.
int ReadOptionSection(void* block, const wchar_t* key, const wchar_t* value, int kind);
// Writes the section body of kind into buffer (count units); other kinds leave the buffer
// untouched. 1 when written.
int WriteOptionSection(void* block, wchar_t* buffer, int count, int kind);

// The module's own table (release slot empty: it is never freed).
const OptionSectionCodec& InputMethodOptionCodec();
