#include "core/base/version_text.h"

#include <cwchar>

uint64_t ParseVersion(const wchar_t* text, uint64_t* out) {
    uint64_t value = 0;
    if (text) {
        const wchar_t* p = text;
        for (int part = 0; part < 4; ++part) {
            uint32_t n = 0;
            while (*p >= L'0' && *p <= L'9') {
                n = (n * 10 + static_cast<uint32_t>(*p - L'0')) & 0xFFFF;
                ++p;
            }
            value |= static_cast<uint64_t>(n) << (48 - 16 * part);
            // Skip what follows the digits up to the next point.
            while (*p && *p != L'.') ++p;
            if (*p != L'.') break;
            ++p;
        }
    }
    if (out) *out = value;
    return value;
}

void FormatVersion(uint64_t version, wchar_t (&out)[kVersionTextUnits]) {
    _snwprintf(out, kVersionTextUnits, L"%u.%u.%u.%u", static_cast<unsigned>(version >> 48),
               static_cast<unsigned>((version >> 32) & 0xFFFF),
               static_cast<unsigned>((version >> 16) & 0xFFFF),
               static_cast<unsigned>(version & 0xFFFF));
    out[kVersionTextUnits - 1] = 0;
}
