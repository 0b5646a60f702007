#include "ui/windows/engine_windows.h"

#include "core/base/text_convert.h"

void DestroyEngineWindows(Engine* e) {
    if (!e) return;
    for (HWND* w : {&e->windows.dictWindow, &e->windows.tipWindow, &e->windows.softKeyboardWindow,
                    &e->windows.statusWindow, &e->windows.candidateWindow}) {
        HWND window = *w;
        *w = nullptr;
        if (window && IsWindow(window)) DestroyWindow(window);
    }
}

int WideToUtf8Bounded(const wchar_t* text, char* out, size_t capacity) {
    if (!text) return -1;
    size_t used = 0;
    int need = 0;
    bool full = false;
    auto put = [&](const uint8_t* bytes, int n) {
        // A character goes in whole or not at all, nothing after one that did not fit, and
        // the terminator keeps its byte.
        if (!full && out && used + n < capacity) {
            for (int i = 0; i < n; ++i) out[used++] = static_cast<char>(bytes[i]);
        } else {
            full = true;
        }
        need += n;
    };
    for (int i = 0; i < 128 && text[i]; ++i) {
        uint32_t c = static_cast<uint16_t>(text[i]);
        if (IsHighSurrogate(c)) {
            uint32_t low = (i + 1 < 128) ? static_cast<uint16_t>(text[i + 1]) : 0;
            if (!IsLowSurrogate(low)) {
                if (out && capacity) out[used] = 0;
                return -1;
            }
            c = CodePointOfPair(c, low);
            ++i;
        }
        uint8_t b[4];
        int n;
        if (c < 0x80) {
            b[0] = uint8_t(c), n = 1;
        } else if (c < 0x800) {
            b[0] = uint8_t(0xC0 | (c >> 6)), b[1] = uint8_t(0x80 | (c & 0x3F)), n = 2;
        } else if (c < 0x10000) {
            b[0] = uint8_t(0xE0 | (c >> 12)), b[1] = uint8_t(0x80 | ((c >> 6) & 0x3F));
            b[2] = uint8_t(0x80 | (c & 0x3F)), n = 3;
        } else {
            b[0] = uint8_t(0xF0 | (c >> 18)), b[1] = uint8_t(0x80 | ((c >> 12) & 0x3F));
            b[2] = uint8_t(0x80 | ((c >> 6) & 0x3F)), b[3] = uint8_t(0x80 | (c & 0x3F)), n = 4;
        }
        put(b, n);
    }
    if (out && capacity) out[used] = 0;
    return need;
}
