// Reading text files of any byte-order mark into UTF-16.
#pragma once
#include <cstddef>

// Decodes bytes by their byte-order mark: UTF-8, UTF-16LE, UTF-16BE, otherwise well-formed
// UTF-8 with at least one byte of 0x80 or above, otherwise the ANSI code page. The result is
// NUL-terminated and freed by the caller with free(); null when out of memory. length gets
// the unit count when given.
wchar_t* DecodeTextByBom(const unsigned char* bytes, size_t count, size_t* length = nullptr);

// Reads a whole file and decodes it: 0 success (out owned by the caller, free()), 1 the file
// cannot be opened or read, 2 no memory, -1 empty path or no output.
int ReadTextFile(const wchar_t* path, wchar_t** out, size_t* length = nullptr);
