#include "core/base/url_encode.h"

#include <cstdint>

#include "core/base/text_convert.h"

namespace {

// UTF-8 bytes of one code point; returns their count.
int EncodeUtf8(uint32_t cp, uint8_t (&bytes)[4]) {
    if (cp < 0x80) {
        bytes[0] = static_cast<uint8_t>(cp);
        return 1;
    }
    if (cp < 0x800) {
        bytes[0] = static_cast<uint8_t>(0xC0 | cp >> 6);
        bytes[1] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        bytes[0] = static_cast<uint8_t>(0xE0 | cp >> 12);
        bytes[1] = static_cast<uint8_t>(0x80 | (cp >> 6 & 0x3F));
        bytes[2] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
        return 3;
    }
    bytes[0] = static_cast<uint8_t>(0xF0 | cp >> 18);
    bytes[1] = static_cast<uint8_t>(0x80 | (cp >> 12 & 0x3F));
    bytes[2] = static_cast<uint8_t>(0x80 | (cp >> 6 & 0x3F));
    bytes[3] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
    return 4;
}

}  // namespace

int UrlEncodeText(const wchar_t* text, wchar_t* out, int capacity) {
    if (!out || capacity <= 0) return 0;
    static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
    int n = 0;
    for (const wchar_t* p = text; p && *p; ++p) {
        wchar_t u = *p;
        if (u < 0x80) {
            if (n + 1 >= capacity) break;
            out[n++] = u;
            continue;
        }
        uint32_t cp = u;
        int units = 1;
        if (IsHighSurrogate(u) && IsLowSurrogate(p[1])) {
            cp = CodePointOfPair(u, p[1]);
            units = 2;
        } else if (IsHighSurrogate(u) || IsLowSurrogate(u)) {
            cp = 0xFFFD;
        }
        uint8_t bytes[4];
        int count = EncodeUtf8(cp, bytes);
        if (n + 3 * count >= capacity) break;
        for (int i = 0; i < count; ++i) {
            out[n++] = L'%';
            out[n++] = kHex[bytes[i] >> 4];
            out[n++] = kHex[bytes[i] & 0xF];
        }
        p += units - 1;
    }
    out[n] = 0;
    return n;
}
