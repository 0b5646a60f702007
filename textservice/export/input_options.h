// Text form of the input options ("[-DME设置-]" body) over a DmeConfigData block.
#pragma once
#include <cstdint>
#include <string_view>

#include "core/settings/config_blocks.h"

// Applies one key=value pair; keys are compared exactly, an unknown key changes nothing.
void ParseInputOptions(DmeConfigData* dme, std::wstring_view key, std::wstring_view value);

// Writes the whole section body into buffer (count units, always terminated when count > 0);
// text past the buffer's end is cut. The length written, without the terminator.
int WriteInputOptions(const DmeConfigData* dme, wchar_t* buffer, int count);

// One-byte character of an option: below 128 as itself, the keypad characters U+FF0A..U+FF19
// as 0x0A..0x19, anything else 0 (unset).
uint8_t OptionCharByte(wchar_t c);
// The character an option byte is shown as: a keypad byte 0x0A..0x19 as U+FF00 + c (which
// reads back as that byte), any other as itself.
wchar_t OptionByteChar(uint8_t c);
