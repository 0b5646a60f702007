#include "ui/dict/dict_text.h"

#include <cstring>
#include <cwchar>

#include "core/base/text_convert.h"
#include "core/table/code_table.h"
#include "core/table/table_format.h"

namespace {

bool StartsWith(const wchar_t* text, uint32_t length, const wchar_t* prefix) {
    const size_t n = wcslen(prefix);
    return length >= n && std::wmemcmp(text, prefix, n) == 0;
}

bool Holds(const wchar_t* text, uint32_t length, const wchar_t* part) {
    const size_t n = wcslen(part);
    for (uint32_t i = 0; i + n <= length; ++i) {
        if (std::wmemcmp(text + i, part, n) == 0) return true;
    }
    return false;
}

// Copies at most kDictKeyUnits - 1 units, cut before a lone high half.
void CopyKey(const wchar_t* text, uint32_t length, wchar_t (&key)[kDictKeyUnits]) {
    int n = length < kDictKeyUnits - 1 ? static_cast<int>(length) : kDictKeyUnits - 1;
    if (n < static_cast<int>(length)) n = UnitsWithoutCutPair(text, n);
    std::wmemcpy(key, text, n);
    key[n] = 0;
}

// The first value of key in the table, decoded; false when there is none.
bool FirstValue(const MappedFile* table, const wchar_t* key, wchar_t (&out)[kDictTextUnits]) {
    KeyMatchList* list = nullptr;
    if (CodeTable::FindByKey(table, key, &list) <= 0 || !list) return false;
    const uint8_t* e = list->count > 0 ? list->entries[0] : nullptr;
    int units = 0;
    if (e) {
        int bytes = static_cast<int>(LoadU32(e)) - 3 - e[4];
        if (bytes < 0) bytes = 0;
        units = Utf8ToUtf16(reinterpret_cast<const char*>(KeyValueValue(e)), bytes, out,
                            kDictTextUnits - 1);
    }
    FreeKeyMatchList(list);
    if (!e) return false;
    out[units > 0 ? units : 0] = 0;
    return true;
}

bool Kept(wchar_t c) { return !(c <= 64 || (c >= 91 && c <= 96) || (c >= 123 && c <= 254)); }

}  // namespace

bool IsDictCommandText(const wchar_t* text, uint32_t length) {
    if (!text) return false;
    for (const wchar_t* p : {L"run(", L"help(", L"set(", L"convert(", L"skbd(", L"config("}) {
        if (StartsWith(text, length, p)) return true;
    }
    return Holds(text, length, L"keyboard(") || Holds(text, length, L"newkey(");
}

int64_t DictPageRow(const Engine* e, int64_t candidateIndex) {
    if (!e || candidateIndex < 0) return -1;
    const int64_t rows = e->page.rowCount < kPageRows ? e->page.rowCount : kPageRows;
    for (int64_t r = 0; r < rows; ++r) {
        if (e->page.rowCandidate[r] == candidateIndex) return r;
    }
    return -1;
}

void DictLookupKey(const Engine* e, int64_t row, wchar_t (&key)[kDictKeyUnits]) {
    key[0] = 0;
    if (!e || row < 0 || row >= kPageRows) return;
    const PageRow& shown = e->page.rowText[row];
    const PageRow& commit = e->page.rowCommit[row];
    const uint32_t shownLength = shown.length < kRowTextUnits ? shown.length : kRowTextUnits;
    const uint32_t commitLength = commit.length < kRowTextUnits ? commit.length : kRowTextUnits;
    if (commitLength == 0 || IsDictCommandText(commit.text, commitLength))
        CopyKey(shown.text, shownLength, key);
    else
        CopyKey(commit.text, commitLength, key);
}

bool DictExplanation(const MappedFile* table, const wchar_t* key, wchar_t (&text)[kDictTextUnits]) {
    text[0] = 0;
    if (!key) return false;
    bool found = FirstValue(table, key, text);
    if (!found) {
        wchar_t letters[kDictKeyUnits];
        int n = 0;
        for (const wchar_t* p = key; *p && n < kDictKeyUnits - 1; ++p) {
            if (Kept(*p)) letters[n++] = *p;
        }
        letters[n] = 0;
        found = FirstValue(table, n ? letters : kDictFallbackKey, text);
    }
    if (!found) {
        const size_t n = wcsnlen(key, kDictTextUnits - 1);
        std::wmemcpy(text, key, n);
        text[n] = 0;
        return false;
    }
    if (wchar_t* end = std::wcsstr(text, L"\r\n \r\n")) *end = 0;
    return true;
}
