#include "core/base/text_convert.h"

int Utf16ToUtf8(const wchar_t* src, int unitLimit, char* dst, int capacity) {
    if (!src) return 0;
    int total = 0;
    bool full = false;
    for (int i = 0; i < unitLimit && src[i]; ++i) {
        unsigned u = static_cast<uint16_t>(src[i]);
        unsigned cp = u;
        if (IsHighSurrogate(u)) {
            if (i + 1 >= unitLimit || !IsLowSurrogate(src[i + 1])) return -1;
            cp = CodePointOfPair(u, src[i + 1]);
            ++i;
        }
        char buf[4];
        int n;
        if (cp < 0x80) {
            buf[0] = static_cast<char>(cp);
            n = 1;
        } else if (cp < 0x800) {
            buf[0] = static_cast<char>(0xC0 | (cp >> 6));
            buf[1] = static_cast<char>(0x80 | (cp & 0x3F));
            n = 2;
        } else if (cp < 0x10000) {
            buf[0] = static_cast<char>(0xE0 | (cp >> 12));
            buf[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            buf[2] = static_cast<char>(0x80 | (cp & 0x3F));
            n = 3;
        } else {
            buf[0] = static_cast<char>(0xF0 | (cp >> 18));
            buf[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            buf[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            buf[3] = static_cast<char>(0x80 | (cp & 0x3F));
            n = 4;
        }
        // A character is written whole or not at all.
        if (dst && !full && total + n <= capacity) {
            for (int k = 0; k < n; ++k) dst[total + k] = buf[k];
        } else {
            full = true;
        }
        total += n;
    }
    if (dst && capacity > 0) {
        if (total < capacity && !full) dst[total] = 0;
    }
    return total;
}

int Utf8ToUtf16(const char* src, int byteCount, wchar_t* dst, int capacity) {
    if (!src) return 0;
    const auto* s = reinterpret_cast<const uint8_t*>(src);
    int units = 0;
    int i = 0;
    while (i < byteCount && s[i]) {
        unsigned b = s[i];
        unsigned cp;
        int n;
        if (b < 0x80) {
            cp = b;
            n = 1;
        } else if (b >= 0xC2 && b <= 0xDF) {
            cp = b & 0x1F;
            n = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            cp = b & 0x0F;
            n = 3;
        } else if (b >= 0xF0 && b <= 0xF4) {
            cp = b & 0x07;
            n = 4;
        } else {
            return -1;
        }
        if (i + n > byteCount) break;  // a character cut by the byte count ends the text
        bool ok = true;
        for (int k = 1; k < n; ++k) {
            unsigned c = s[i + k];
            if ((c & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (c & 0x3F);
        }
        if (!ok) return -1;
        i += n;
        if (cp >= 0x10000) {
            if (units + 2 > capacity || !dst) {
                if (!dst) {
                    units += 2;
                    continue;
                }
                break;
            }
            dst[units++] = HighSurrogateOf(cp);
            dst[units++] = LowSurrogateOf(cp);
        } else {
            if (!dst) {
                ++units;
                continue;
            }
            if (units + 1 > capacity) break;
            dst[units++] = static_cast<wchar_t>(cp);
        }
    }
    if (dst && units < capacity) dst[units] = 0;
    return units;
}

int DecodeLengthPrefixedUtf8(const uint8_t* src, wchar_t* dst, int capacity) {
    if (!dst || capacity <= 0) return 0;
    dst[0] = 0;
    if (!src) return 0;
    wchar_t tmp[kMaxLengthPrefixedBytes + 1];
    int n =
        Utf8ToUtf16(reinterpret_cast<const char*>(src + 1), src[0], tmp, kMaxLengthPrefixedBytes);
    if (n < 0) n = 0;
    if (n >= capacity) {
        n = capacity - 1;
        // Never end on half a pair.
        n = UnitsWithoutCutPair(tmp, n);
    }
    for (int i = 0; i < n; ++i) dst[i] = tmp[i];
    dst[n] = 0;
    return n;
}

int EncodeLengthPrefixedUtf8(const wchar_t* src, uint8_t* dst, int capacity) {
    if (!src) return 0;
    char tmp[4 * kMaxLengthPrefixedBytes + 4];
    // Measure the whole text: more than 250 units can never fit 250 bytes.
    int units = 0;
    while (src[units] && units <= kMaxLengthPrefixedBytes) ++units;
    if (units > kMaxLengthPrefixedBytes) return 0;
    int n = Utf16ToUtf8(src, units, tmp, sizeof tmp);
    if (n < 0 || n > kMaxLengthPrefixedBytes) return 0;
    if (!dst) return n + 1;
    if (n + 1 > capacity) return 0;
    dst[0] = static_cast<uint8_t>(n);
    for (int i = 0; i < n; ++i) dst[1 + i] = static_cast<uint8_t>(tmp[i]);
    return n + 1;
}

int Utf16CharCount(const wchar_t* text, int unitLimit) {
    if (!text) return 0;
    int chars = 0;
    for (int i = 0; i < unitLimit && text[i]; ++i) {
        unsigned u = static_cast<uint16_t>(text[i]);
        if (IsHighSurrogate(u)) {
            if (i + 1 >= unitLimit || !IsLowSurrogate(text[i + 1])) return -1;
            ++i;
        } else if (IsLowSurrogate(u)) {
            return -1;
        }
        ++chars;
    }
    return chars;
}
