#include "core/tabletools/table_text.h"

#include <climits>
#include <cstring>

#include "core/base/text_convert.h"

namespace {

inline bool IsLineEnd(wchar_t c) { return c == L'\r' || c == L'\n'; }

const wchar_t* const kTagTexts[kTableTagCount] = {
    L"#删", L"#序", L"#类", L"#用", L"#次", L"#辅", L"#固",
};

// Leftmost occurrence of a two-unit tag in [0, length), or length when none.
size_t FindTag(const wchar_t* s, size_t length, const wchar_t* tag, bool hashEscapes) {
    for (size_t i = 0; i + 1 < length; ++i) {
        if (s[i] != tag[0] || s[i + 1] != tag[1]) continue;
        if (hashEscapes && i > 0 && s[i - 1] == L'#') continue;
        return i;
    }
    return length;
}

}  // namespace

const TableTag kBuilderTagOrder[kTableTagCount] = {
    TableTag::kDelete,    TableTag::kOrder, TableTag::kCategory, TableTag::kUser,
    TableTag::kSecondary, TableTag::kAux,   TableTag::kPinned,
};
const TableTag kImporterTagOrder[kTableTagCount] = {
    TableTag::kOrder, TableTag::kCategory, TableTag::kUser,   TableTag::kSecondary,
    TableTag::kAux,   TableTag::kPinned,   TableTag::kDelete,
};

bool NextTextLine(const wchar_t* text, size_t textLength, size_t* pos, TextLine* line) {
    if (!text || !pos || !line) return false;
    size_t i = *pos;
    while (i < textLength && IsLineEnd(text[i])) ++i;
    if (i >= textLength) {
        *pos = textLength;
        return false;
    }
    size_t start = i;
    while (i < textLength && !IsLineEnd(text[i])) ++i;
    line->start = start;
    line->length = i - start;
    *pos = i;
    return true;
}

size_t CountLineEnds(const wchar_t* text, size_t textLength) {
    size_t n = 1;
    for (size_t i = 0; text && i < textLength; ++i) n += IsLineEnd(text[i]) ? 1 : 0;
    return n;
}

size_t CountTextLines(const wchar_t* text, size_t textLength) {
    size_t n = 1;
    for (size_t i = 0; text && i < textLength; ++i) {
        if (text[i] == L'\n') {
            ++n;
        } else if (text[i] == L'\r') {
            ++n;
            if (i + 1 < textLength && text[i + 1] == L'\n') ++i;
        }
    }
    return n;
}

TableLineKind ClassifyTableLine(const wchar_t* line, size_t length, size_t* dataStart) {
    if (dataStart) *dataStart = 0;
    if (length >= 2 && line[0] == L'/' && line[1] == L'/') {
        if (length >= 3 && line[2] == L'/') {
            if (dataStart) *dataStart = 1;
            return TableLineKind::kData;
        }
        return TableLineKind::kComment;
    }
    if (length > kDirectivePrefixUnits &&
        std::memcmp(line, kDirectivePrefix, kDirectivePrefixUnits * sizeof(wchar_t)) == 0) {
        return TableLineKind::kDirective;
    }
    return TableLineKind::kData;
}

bool NextTableDirective(const wchar_t* text, size_t textLength, size_t* pos, TableDirective* out) {
    if (!text || !pos || !out) return false;
    for (size_t i = *pos; i + kDirectivePrefixUnits <= textLength; ++i) {
        if (text[i] != L'-' ||
            std::memcmp(text + i, kDirectivePrefix, kDirectivePrefixUnits * sizeof(wchar_t)) != 0) {
            continue;
        }
        size_t k = i + kDirectivePrefixUnits;
        size_t end = k;
        while (end < textLength && !IsLineEnd(text[end])) ++end;
        size_t eq = k;
        while (eq < end && text[eq] != L'=') ++eq;
        out->key = text + k;
        out->keyLength = eq - k;
        if (eq < end) {
            out->value = text + eq + 1;
            out->valueLength = end - eq - 1;
        } else {
            out->value = nullptr;
            out->valueLength = 0;
        }
        *pos = k;
        return true;
    }
    *pos = textLength;
    return false;
}

bool TextEquals(const wchar_t* s, size_t length, const wchar_t* literal) {
    if (!s || !literal) return false;
    size_t n = wcslen(literal);
    return n == length && std::memcmp(s, literal, n * sizeof(wchar_t)) == 0;
}

bool TextStartsWith(const wchar_t* s, size_t length, const wchar_t* literal, size_t* rest) {
    if (!s || !literal) return false;
    size_t n = wcslen(literal);
    if (n > length || std::memcmp(s, literal, n * sizeof(wchar_t)) != 0) return false;
    if (rest) *rest = n;
    return true;
}

int32_t ParseTableDecimal(const wchar_t* s, size_t length) {
    if (!s) return 0;
    size_t i = 0;
    while (i < length && (s[i] == L' ' || s[i] == L'\t')) ++i;
    bool negative = false;
    if (i < length && (s[i] == L'-' || s[i] == L'+')) negative = s[i++] == L'-';
    int64_t v = 0;
    for (; i < length && s[i] >= L'0' && s[i] <= L'9'; ++i) {
        v = v * 10 + (s[i] - L'0');
        if (v > static_cast<int64_t>(INT32_MAX) + 1) v = static_cast<int64_t>(INT32_MAX) + 1;
    }
    if (negative) v = -v;
    if (v > INT32_MAX) v = INT32_MAX;
    return static_cast<int32_t>(v);
}

size_t ParseTableTags(wchar_t* codePart, size_t length, const TableTag* order, int orderCount,
                      bool hashEscapes, TableTags* out) {
    if (!out) return 0;
    std::memset(out, 0, sizeof *out);
    if (!codePart || !order) return 0;
    const size_t whole = length;
    for (int k = 0; k < orderCount; ++k) {
        auto t = static_cast<int>(order[k]);
        if (t < 0 || t >= kTableTagCount) continue;
        size_t at = FindTag(codePart, length, kTagTexts[t], hashEscapes);
        if (at >= length) continue;
        out->found[t] = true;
        // The number runs from behind the tag up to the next cut or other unit.
        size_t from = at + 2;
        if (order[k] == TableTag::kOrder) {
            out->order = ParseTableDecimal(codePart + from, whole - from);
        } else if (order[k] == TableTag::kCategory) {
            out->category = ParseTableDecimal(codePart + from, whole - from);
        }
        codePart[at] = 0;
        length = at;
    }
    return length;
}

size_t UnescapeTableWord(wchar_t* word, size_t length, bool spaceEscape) {
    if (!word) return 0;
    size_t j = 0;
    for (size_t i = 0; i < length; ++i) {
        wchar_t c = word[i];
        if (c == L'\\' && i + 1 < length) {
            wchar_t n = word[i + 1];
            if (n == L'\\') {
                word[j++] = L'\\';
                ++i;
                continue;
            }
            if (n == L'r') {  // two units become two units: CR LF
                word[j++] = L'\r';
                word[j++] = L'\n';
                ++i;
                continue;
            }
            if (n == L't') {
                word[j++] = L'\t';
                ++i;
                continue;
            }
            if (n == L's' && spaceEscape) {
                word[j++] = L' ';
                ++i;
                continue;
            }
        }
        word[j++] = c;
    }
    if (j < length) word[j] = 0;  // an unchanged word keeps the caller's terminator
    return j;
}

int EncodeTableText(const wchar_t* text, size_t units, bool mapKeypad, uint8_t* dst, int capacity) {
    if (!text) return 0;
    int64_t total = 0;
    for (size_t i = 0; i < units; ++i) {
        unsigned u = static_cast<uint16_t>(text[i]);
        if (IsHighSurrogate(u)) {
            if (i + 1 >= units || !IsLowSurrogate(text[i + 1])) return -1;
            ++i;
            total += 4;
        } else if (IsLowSurrogate(u)) {
            return -1;
        } else {
            if (mapKeypad) u = KeypadByteOf(static_cast<wchar_t>(u));
            total += u < 0x80 ? 1 : u < 0x800 ? 2 : 3;
        }
        if (total > INT_MAX / 2) return INT_MAX / 2;  // far above every limit
    }
    if (!dst || total > capacity) return static_cast<int>(total);
    int w = 0;
    for (size_t i = 0; i < units; ++i) {
        unsigned cp = static_cast<uint16_t>(text[i]);
        if (IsHighSurrogate(cp)) {
            cp = CodePointOfPair(cp, text[i + 1]);
            ++i;
        } else if (mapKeypad) {
            cp = KeypadByteOf(static_cast<wchar_t>(cp));
        }
        if (cp < 0x80) {
            dst[w++] = static_cast<uint8_t>(cp);
        } else if (cp < 0x800) {
            dst[w++] = static_cast<uint8_t>(0xC0 | (cp >> 6));
            dst[w++] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            dst[w++] = static_cast<uint8_t>(0xE0 | (cp >> 12));
            dst[w++] = static_cast<uint8_t>(0x80 | ((cp >> 6) & 0x3F));
            dst[w++] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
        } else {
            dst[w++] = static_cast<uint8_t>(0xF0 | (cp >> 18));
            dst[w++] = static_cast<uint8_t>(0x80 | ((cp >> 12) & 0x3F));
            dst[w++] = static_cast<uint8_t>(0x80 | ((cp >> 6) & 0x3F));
            dst[w++] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
        }
    }
    return w;
}

int EncodeKeypadCode(const wchar_t* src, uint8_t* dst, int capacity) {
    if (!src) return 0;
    size_t units = 0;
    while (src[units] && units <= kMaxLengthPrefixedBytes) ++units;
    if (units > kMaxLengthPrefixedBytes) return 0;
    int n = EncodeTableText(src, units, true, nullptr, 0);
    if (n < 0 || n > kMaxLengthPrefixedBytes) return 0;
    if (!dst) return n + 1;
    if (n + 1 > capacity) return 0;
    dst[0] = static_cast<uint8_t>(n);
    EncodeTableText(src, units, true, dst + 1, n);
    return n + 1;
}
