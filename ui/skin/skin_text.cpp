#include "ui/skin/skin_text.h"

#include <windows.h>

#include <cstdlib>

bool IsWellFormedUtf8(const uint8_t* b, size_t n) {
    size_t i = 0;
    while (i < n) {
        uint8_t lead = b[i++];
        if (lead < 0x80) continue;
        if (lead < 0xC0) return false;
        int more = 0;
        for (uint8_t bit = 0x40; bit && (lead & bit); bit >>= 1) ++more;
        if (size_t(more) > n - i) return false;
        for (int k = 0; k < more; ++k)
            if (b[i + k] < 0x80 || b[i + k] > 0xBF) return false;
        i += more;
    }
    return true;
}

namespace {

wchar_t* FromCodePage(UINT codePage, const uint8_t* bytes, size_t n, int* count) {
    if (n == 0 || n > 0x7FFFFFFF) return nullptr;
    const char* s = reinterpret_cast<const char*>(bytes);
    int units = MultiByteToWideChar(codePage, 0, s, static_cast<int>(n), nullptr, 0);
    if (units <= 0) return nullptr;
    auto* out = static_cast<wchar_t*>(std::calloc(size_t(units) + 1, sizeof(wchar_t)));
    if (!out) return nullptr;
    *count = MultiByteToWideChar(codePage, 0, s, static_cast<int>(n), out, units);
    return out;
}

// UTF-16 units after the two-byte mark, swapped for big-endian, up to a zero unit.
wchar_t* FromUtf16(const uint8_t* bytes, size_t n, bool bigEndian, int* count) {
    size_t units = n / 2 - 1;
    if (units == 0 || units > 0x7FFFFFFF) return nullptr;
    auto* out = static_cast<wchar_t*>(std::calloc(units + 1, sizeof(wchar_t)));
    if (!out) return nullptr;
    size_t k = 0;
    for (; k < units; ++k) {
        const uint8_t* p = bytes + 2 + k * 2;
        wchar_t u = bigEndian ? wchar_t((p[0] << 8) | p[1]) : wchar_t(p[0] | (p[1] << 8));
        if (u == 0) break;
        out[k] = u;
    }
    *count = static_cast<int>(k);
    return out;
}

}  // namespace

wchar_t* DecodeTextBuffer(const uint8_t* b, size_t n, int* count) {
    *count = 0;
    if (!b || n == 0) return nullptr;
    wchar_t* out = nullptr;
    if (n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)
        out = FromCodePage(CP_UTF8, b + 3, n - 3, count);
    else if (n >= 2 && b[0] == 0xFF && b[1] == 0xFE)
        out = FromUtf16(b, n, false, count);
    else if (n >= 2 && b[0] == 0xFE && b[1] == 0xFF)
        out = FromUtf16(b, n, true, count);
    else {
        bool high = false;
        for (size_t i = 0; i < n && !high; ++i) high = b[i] >= 0x80;
        out = FromCodePage(high && IsWellFormedUtf8(b, n) ? CP_UTF8 : CP_ACP, b, n, count);
    }
    if (out && *count <= 0) {
        std::free(out);
        out = nullptr;
        *count = 0;
    }
    return out;
}
