#include "core/tabletools/table_text_decode.h"

#include "core/base/text_convert.h"

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

// Length of the valid UTF-8 sequence at s (left bytes available) and its code point;
// 0 when none starts there.
int Sequence(const uint8_t* s, int left, uint32_t* cp) {
    unsigned b = s[0];
    if (b == 0) return 0;
    if (b < 0x80) {
        *cp = b;
        return 1;
    }
    int n;
    uint32_t v;
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
        v = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        v = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        v = b & 0x07;
    } else {
        return 0;
    }
    if (n > left) return 0;
    for (int k = 1; k < n; ++k) {
        if ((s[k] & 0xC0) != 0x80) return 0;
        v = (v << 6) | (s[k] & 0x3F);
    }
    // Overlong forms, surrogates and values above U+10FFFF are no characters.
    if ((n == 3 && v < 0x800) || (n == 4 && (v < 0x10000 || v > 0x10FFFF)) || IsSurrogate(v))
        return 0;
    *cp = v;
    return n;
}

}  // namespace

int DecodeTableBytes(const uint8_t* lengthPrefixed, wchar_t* out, int capacity, bool keypadForms) {
    if (!out || capacity <= 0) return 0;
    out[0] = 0;
    if (!lengthPrefixed) return 0;
    const int count = lengthPrefixed[0];
    const uint8_t* s = lengthPrefixed + 1;
    int units = 0;
    for (int i = 0; i < count;) {
        uint32_t cp = 0;
        int n = Sequence(s + i, count - i, &cp);
        if (n == 0) {
            cp = kReplacement;
            n = 1;
        } else if (keypadForms && cp >= 0x0A && cp <= 0x19) {
            cp += 0xFF00;
        }
        int need = cp >= 0x10000 ? 2 : 1;
        if (units + need > capacity - 1) break;
        if (need == 2) {
            out[units++] = HighSurrogateOf(cp);
            out[units++] = LowSurrogateOf(cp);
        } else {
            out[units++] = static_cast<wchar_t>(cp);
        }
        i += n;
    }
    out[units] = 0;
    return units;
}

int DecodeTableCode(const uint8_t* code, wchar_t* out, int capacity) {
    return DecodeTableBytes(code, out, capacity, true);
}

int DecodeTableWord(const uint8_t* word, wchar_t* out, int capacity) {
    return DecodeTableBytes(word, out, capacity, false);
}
