// Decoding of skin text files by byte-order mark.
#pragma once
#include <cstddef>
#include <cstdint>

// A new NUL-terminated buffer (free with std::free) and its character count in *count;
// null with *count 0 when there is no text.
wchar_t* DecodeTextBuffer(const uint8_t* bytes, size_t byteCount, int* count);

// True when the bytes are well-formed UTF-8 sequences by lead-byte length.
bool IsWellFormedUtf8(const uint8_t* bytes, size_t byteCount);
