#include "engine/punctuation_output.h"

#include <windows.h>

#include <cwchar>

#include "engine/platform.h"
#include "engine/symbol_display.h"

namespace {

constexpr wchar_t kBookOpen[] = L"《〈";
constexpr wchar_t kBookClose[] = L"〉》";

// The caret goes back one place: a held Shift is released first so that the arrow is not
// read as a selection.
void PlayCaretLeft() {
    const EnginePlatform& p = Platform();
    if (p.keyState(VK_SHIFT) < 0) {
        p.keyEvent(VK_SHIFT, KEYEVENTF_KEYUP);
        p.keyEvent(VK_SHIFT, KEYEVENTF_KEYUP | KEYEVENTF_EXTENDEDKEY);
    }
    p.keyEvent(VK_LEFT, KEYEVENTF_EXTENDEDKEY);
    p.keyEvent(VK_LEFT, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP);
}

// Book-title marks nest: the outer pair 《》, inner pairs 〈〉.
void BookTitleText(const wchar_t* text, wchar_t (&out)[kSymbolTextUnits]) {
    int& depth = BookTitleDepth();
    if (std::wcscmp(text, kBookOpen) == 0) {
        out[0] = depth == 0 ? L'《' : L'〈';
        out[1] = 0;
        ++depth;
    } else if (std::wcscmp(text, kBookClose) == 0) {
        out[0] = depth <= 1 ? L'》' : L'〉';
        out[1] = 0;
        if (depth > 0) --depth;
    } else {
        std::wcscpy(out, text);
    }
}

}  // namespace

int ExpandPunctuationOutput(SymbolRecord* records, const wchar_t* text, wchar_t* out,
                            int capacity) {
    if (!out || capacity <= 0) return 0;
    out[0] = 0;
    if (!text) return 0;
    int n = 0;
    for (const wchar_t* s = text; *s; ++s) {
        const wchar_t c = *s;
        wchar_t piece[kSymbolTextUnits] = {};
        bool caretLeft = false;
        SymbolRecord* r = records && c < 128 ? &records[c] : nullptr;
        const uint16_t kind = r ? r->kind : 0;
        if (kind == kSymbolText || kind == kSymbolSmart) {
            wchar_t first[kSymbolTextUnits];
            SymbolText(r, first, kSymbolTextUnits);
            BookTitleText(first, piece);
        } else if (kind == kSymbolPair) {
            wchar_t& toggle = r->slots[kSymbolPairToggle];
            SymbolPairText(r, toggle ? 1 : 0, piece, kSymbolTextUnits);
            toggle = toggle ? 0 : 1;
        } else if (kind == kSymbolCaretLeft) {
            SymbolText(r, piece, kSymbolTextUnits);
            caretLeft = true;
        } else {
            piece[0] = c < 32 ? static_cast<wchar_t>(c + 32) : c;
        }
        const int len = static_cast<int>(std::wcslen(piece));
        if (n + len > capacity - 1) break;
        std::wmemcpy(out + n, piece, len);
        n += len;
        out[n] = 0;
        if (caretLeft) PlayCaretLeft();
    }
    return n;
}
