// Version numbers a.b.c.d packed into 64 bits, 16 bits a part.
#pragma once
#include <cstdint>

constexpr int kVersionTextUnits = 40;

// "a.b.c.d" to (a << 48) | (b << 32) | (c << 16) | d; each part is its leading decimal
// digits (0 when none) kept to 16 bits, missing parts are 0, a null text gives 0. The value
// is also stored through out when given.
uint64_t ParseVersion(const wchar_t* text, uint64_t* out);
// "%d.%d.%d.%d" of the four parts, most significant first.
void FormatVersion(uint64_t version, wchar_t (&out)[kVersionTextUnits]);
