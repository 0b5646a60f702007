#include "engine/commands/command_entry.h"

#include <cwchar>

#include "engine/candidate_page.h"
#include "engine/commands/macros.h"

namespace {

constexpr wchar_t kPrefix[] = L"$kxcmd(";
constexpr size_t kPrefixLength = 7;
constexpr size_t kMinWordLength = 11;
constexpr size_t kMaxWordLength = 4096;

// Unescapes the count units of text (not terminated) and expands its macros into row.
void FillRow(Engine* e, const wchar_t* text, size_t count, PageRow* row) {
    wchar_t raw[kCommandTextUnits + 1];
    size_t n = count < kCommandTextUnits ? count : kCommandTextUnits;
    wmemcpy(raw, text, n);
    raw[n] = 0;
    wchar_t plain[kCommandTextUnits];
    Unescape(raw, plain, kCommandTextUnits);
    wchar_t expanded[kMacroOutputUnits + 1];
    const int length = ExpandMacros(e, plain, expanded);
    SetRowText(row, expanded, length);
}

}  // namespace

bool IsCommandEntryWord(const wchar_t* word) {
    if (!word) return false;
    const size_t length = wcsnlen(word, kMaxWordLength);
    return length >= kMinWordLength && length < kMaxWordLength &&
           wcsncmp(word, kPrefix, kPrefixLength) == 0 && word[length - 1] == L')';
}

int Unescape(const wchar_t* text, wchar_t* out, int count) {
    if (!out || count <= 0) return 0;
    int n = 0;
    auto put = [&](wchar_t c) {
        if (n < count - 1) out[n++] = c;
    };
    for (size_t i = 0; text && text[i] && n < count - 1; ++i) {
        const wchar_t c = text[i];
        if (c != L'\\' || !text[i + 1]) {
            put(c);
            continue;
        }
        const wchar_t next = text[++i];
        switch (next) {
            case L'1':
                put(L',');
                break;
            case L'2':
                put(L'(');
                break;
            case L'3':
                put(L')');
                break;
            case L'4':
                put(L'<');
                break;
            case L'5':
                put(L'>');
                break;
            case L'\\':
                put(L'\\');
                break;
            case L'r':
                // Never half a line break at the end.
                if (n >= count - 2) {
                    out[n] = 0;
                    return n;
                }
                put(L'\r');
                put(L'\n');
                break;
            case L's':
                put(L' ');
                break;
            case L't':
                put(L'\t');
                break;
            default:
                put(L'\\');
                put(next);
        }
    }
    out[n] = 0;
    return n;
}

int ExpandCommandEntry(Engine* e, const wchar_t* word, PageRow* display, PageRow* commit) {
    if (!e || !display || !commit || !IsCommandEntryWord(word)) return 0;
    const wchar_t* body = word + kPrefixLength;
    const size_t bodyLength = wcslen(word) - kPrefixLength - 1;
    size_t comma = bodyLength;
    for (size_t i = bodyLength; i > 0; --i) {
        if (body[i - 1] == L',') {
            comma = i - 1;
            break;
        }
    }
    if (comma == bodyLength) {
        FillRow(e, body, bodyLength, commit);
        FillRow(e, body, bodyLength, display);
    } else {
        FillRow(e, body, comma, commit);
        FillRow(e, body + comma + 1, bodyLength - comma - 1, display);
    }
    if (display->length == 0) {
        // Nothing to show: the page treats the word as plain, with no command behind it.
        commit->length = 0;
        commit->text[0] = 0;
    }
    return static_cast<int>(display->length);
}
