#include "engine/candidate_page.h"

#include <cstring>
#include <cwchar>

#include "core/base/text_convert.h"
#include "core/table/code_table.h"
#include "engine/candidates.h"
#include "engine/commands/command_entry.h"
#include "engine/effective_settings.h"
#include "engine/symbol_display.h"

namespace {

constexpr int kRowMaxUnits = kRowTextUnits - 1;  // 129 characters and the terminator

struct Word {
    wchar_t text[kRowTextUnits];
    int length;
};

// Decodes count bytes of UTF-8 into a word of at most 129 units.
void DecodeWord(const uint8_t* bytes, int count, Word* w) {
    int n = count > 0
                ? Utf8ToUtf16(reinterpret_cast<const char*>(bytes), count, w->text, kRowMaxUnits)
                : 0;
    if (n < 0) n = 0;
    if (n > kRowMaxUnits) n = kRowMaxUnits;
    w->text[n] = 0;
    w->length = static_cast<int>(wcsnlen(w->text, kRowMaxUnits));
}

void ClearRow(PageRow* row) {
    row->length = 0;
    row->text[0] = 0;
}

// The text a candidate shows: the word of a code entry, the text of a list or text entry from
// the association key on. False for kinds without such a text.
bool ShownText(const Engine* e, const Candidate& c, Word* w) {
    w->length = 0;
    w->text[0] = 0;
    if (!c.entry) return false;
    if (c.kind & (kKindHasCodeAndWord | kKindHasCodeAndWordAlt)) {
        const uint8_t* word = EntryWord(c.entry);
        DecodeWord(word + 1, word[0], w);
        return true;
    }
    if (c.kind & kKindLengthPrefixedText) {
        const uint8_t* text = c.entry + 4;
        int skip = 0;
        // The association key leads association entries only; built-in texts show whole
        // outside the association list.
        bool association = (e->state & kStateAssociation) != 0;
        if (association || c.kind != kKindTextEntry) {
            skip = e->input.searchKey.length;
            if (skip > 0 && e->ime && (e->ime->features & kFeatAssocHashForm)) ++skip;
        }
        if (skip > text[0]) skip = text[0];
        DecodeWord(text + 1 + skip, text[0] - skip, w);
        return true;
    }
    return false;
}

// Appends src to dst (length *len), never past the row.
void Append(wchar_t* dst, int* len, const wchar_t* src, int count) {
    for (int i = 0; i < count && *len < kRowMaxUnits; ++i) dst[(*len)++] = src[i];
    dst[*len] = 0;
}

// One row of a form: "%s(%s)" of the form and the original when they differ, else "%s".
void SetFormRow(PageRow* display, PageRow* commit, const wchar_t* form, int formLen,
                const Word& original) {
    bool same = formLen == original.length &&
                std::wmemcmp(form, original.text, static_cast<size_t>(formLen)) == 0;
    if (same) {
        SetRowText(display, form, formLen);
        ClearRow(commit);
        return;
    }
    wchar_t text[kRowTextUnits];
    int len = 0;
    text[0] = 0;
    Append(text, &len, form, formLen);
    Append(text, &len, L"(", 1);
    Append(text, &len, original.text, original.length);
    Append(text, &len, L")", 1);
    SetRowText(display, text, len);
    SetRowText(commit, form, formLen);
}

int CharUnits(const wchar_t* s) { return CharUnitsAt(s, 2); }

// Value of a key/value entry as UTF-16.
int EntryValue(const uint8_t* entry, wchar_t* out, int capacity) {
    int bytes = static_cast<int>(LoadU32(entry)) - 3 - entry[4];
    if (bytes < 0) bytes = 0;
    int n =
        Utf8ToUtf16(reinterpret_cast<const char*>(KeyValueValue(entry)), bytes, out, capacity - 1);
    if (n < 0) n = 0;
    if (n > capacity - 1) n = capacity - 1;
    out[n] = 0;
    return static_cast<int>(wcsnlen(out, static_cast<size_t>(n)));
}

struct Forms {
    Word items[kMaxScriptForms];
    int count;
};

// Script forms of a word: each form of a single character, or the word converted character
// by character. At least the word itself.
void ScriptForms(const Engine* e, const Word& word, Forms* forms) {
    forms->count = 0;
    const MappedFile* table = ScriptTable(e);
    if (table && word.length > 0 && CharUnits(word.text) == word.length) {
        KeyMatchList* list = nullptr;
        int n = CodeTable::FindByKey(table, word.text, &list);
        for (int i = 0; list && i < n && forms->count < kMaxScriptForms; ++i) {
            Word& f = forms->items[forms->count];
            f.length = EntryValue(list->entries[i], f.text, kRowTextUnits);
            if (f.length > 0) ++forms->count;
        }
        FreeKeyMatchList(list);
    } else if (table && word.length > 0) {
        Word& f = forms->items[0];
        f.length = 0;
        for (int i = 0; i < word.length;) {
            int units = CharUnits(word.text + i);
            if (i + units > word.length) units = word.length - i;
            wchar_t ch[3] = {word.text[i], units == 2 ? word.text[i + 1] : L'\0', 0};
            KeyMatchList* list = nullptr;
            wchar_t form[kRowTextUnits];
            int formLen = 0;
            if (CodeTable::FindByKey(table, ch, &list) > 0 && list)
                formLen = EntryValue(list->entries[0], form, kRowTextUnits);
            FreeKeyMatchList(list);
            if (formLen > 0)
                Append(f.text, &f.length, form, formLen);
            else
                Append(f.text, &f.length, ch, units);
            i += units;
        }
        forms->count = 1;
    }
    if (forms->count == 0) {
        forms->items[0] = word;
        forms->count = 1;
    }
}

// Rows for one candidate at row (forward: downwards; backward: upwards). Returns rows placed.
int FillCandidate(Engine* e, int64_t index, int64_t row, bool forward) {
    CandidatePage& p = e->page;
    const Candidate& c = e->candidates[index];
    ClearRow(&p.rowText[row]);
    ClearRow(&p.rowCommit[row]);
    if (!c.entry) return 0;
    if (c.kind & (kKindHasCodeAndWord | kKindHasCodeAndWordAlt)) {
        Word word;
        ShownText(e, c, &word);
        if (ExpandCommandEntry(e, word.text, &p.rowText[row], &p.rowCommit[row]) > 0) {
            p.rowCandidate[row] = index;
            return 1;
        }
        return EngineRuntime::ConvertPageScript(e, index, row, forward);
    }
    if (c.kind & kKindLengthPrefixedText)
        return EngineRuntime::ConvertPageScript(e, index, row, forward);
    if (c.kind & kKindKeyValue) {
        wchar_t value[kRowTextUnits];
        int n = EntryValue(c.entry, value, kRowTextUnits);
        SetRowText(&p.rowText[row], value, n);
        SetRowText(&p.rowCommit[row], value, n);
        p.rowCandidate[row] = index;
        return 1;
    }
    return 0;
}

void RebuildPreview(Engine* e) {
    if (ImeOptions(e) & kImeStyleTsfEmbedFirst) EngineRuntime::BuildCompositionText(e);
}

int64_t PageSizeOf(const Engine* e) {
    return e->ime ? static_cast<int64_t>(CandidatesPerPage(e->ime->listOptions)) : kDefaultPageSize;
}

}  // namespace

uint32_t SetRowText(PageRow* row, const wchar_t* text, int count) {
    int n = 0;
    for (; n < count && n < kRowMaxUnits && text[n]; ++n) row->text[n] = text[n];
    row->text[n] = 0;
    row->length = static_cast<uint32_t>(n);
    return row->length;
}

const MappedFile* ScriptTable(const Engine* e) {
    uint32_t options = ImeOptions(e);
    if (options & kImeTraditionalOutput) return e->traditionalTable;
    if (options & kImeSimplifiedOutput) return e->simplifiedTable;
    return nullptr;
}

int EngineRuntime::ConvertPageScript(Engine* e, int64_t index, int64_t row, bool forward) {
    if (!e || index < 0 || index >= e->candidateCount) return 0;
    CandidatePage& p = e->page;
    Word word;
    if (!ShownText(e, e->candidates[index], &word)) return 0;
    Forms forms;
    ScriptForms(e, word, &forms);
    int placed = 0;
    if (forward) {
        int from =
            (index == p.pageStart && p.startContinues > 0) ? static_cast<int>(p.startContinues) : 0;
        if (from >= forms.count) from = 0;
        for (int f = from; f < forms.count; ++f) {
            int64_t r = row + placed;
            if (r >= p.pageSize) {
                p.endContinues = f;
                break;
            }
            SetFormRow(&p.rowText[r], &p.rowCommit[r], forms.items[f].text, forms.items[f].length,
                       word);
            p.rowCandidate[r] = index;
            ++placed;
        }
    } else {
        int end = (index == p.pageEnd && p.endContinues > 0) ? static_cast<int>(p.endContinues)
                                                             : forms.count;
        if (end > forms.count) end = forms.count;
        for (int f = end - 1; f >= 0; --f) {
            int64_t r = row - placed;
            if (r < 0) {
                p.startContinues = f + 1;
                break;
            }
            SetFormRow(&p.rowText[r], &p.rowCommit[r], forms.items[f].text, forms.items[f].length,
                       word);
            p.rowCandidate[r] = index;
            ++placed;
        }
    }
    return placed;
}

void EngineRuntime::NextPage(Engine* e) {
    if (!e || e->candidateCount <= 0) return;
    CandidatePage& p = e->page;
    p.highlight = 0;
    p.pageSize = PageSizeOf(e);
    int64_t first = p.endContinues ? p.pageEnd : p.pageEnd + 1;
    if (first < 0) first = 0;
    p.pageStart = first;
    p.startContinues = p.endContinues;
    p.endContinues = 0;
    p.rowCount = 0;
    int64_t last = -1;
    for (int64_t i = first; i < e->candidateCount && p.rowCount < p.pageSize; ++i) {
        OrderCandidatesUpTo(e, i);
        int n = FillCandidate(e, i, p.rowCount, true);
        p.rowCount += n;
        last = i;
        if (p.endContinues) break;
    }
    if (last >= 0) p.pageEnd = last;
}

void EngineRuntime::PrevPage(Engine* e) {
    if (!e || e->candidateCount <= 0) return;
    CandidatePage& p = e->page;
    // The first page has nothing before it.
    if (p.pageStart <= 0 && !p.startContinues) return;
    p.highlight = 0;
    p.pageSize = PageSizeOf(e);
    int64_t last = p.startContinues ? p.pageStart : p.pageStart - 1;
    if (last >= e->candidateCount) last = e->candidateCount - 1;
    OrderCandidatesUpTo(e, last);
    p.pageEnd = last;
    p.endContinues = p.startContinues;
    p.startContinues = 0;
    int64_t filled = 0, first = last;
    for (int64_t i = last; i >= 0 && filled < p.pageSize; --i) {
        filled += FillCandidate(e, i, p.pageSize - 1 - filled, false);
        first = i;
        if (p.startContinues) break;
    }
    p.pageStart = first;
    p.rowCount = filled;
    // Reaching candidate 0 before the page was full: the rows move to the top.
    int64_t gap = p.pageSize - filled;
    if (gap > 0) {
        for (int64_t r = 0; r < filled; ++r) {
            p.rowText[r] = p.rowText[r + gap];
            p.rowCommit[r] = p.rowCommit[r + gap];
            p.rowCandidate[r] = p.rowCandidate[r + gap];
        }
        for (int64_t r = filled; r < p.pageSize; ++r) {
            ClearRow(&p.rowText[r]);
            ClearRow(&p.rowCommit[r]);
        }
    }
}

int EngineRuntime::PageDown(Engine* e) {
    if (!e || e->candidateCount <= 0) return 0;
    if (!e->page.endContinues && e->page.pageEnd + 1 >= e->candidateCount) return 0;
    NextPage(e);
    e->page.highlight = 0;
    RebuildPreview(e);
    return 1;
}

int EngineRuntime::MoveHighlight(Engine* e, int step) {
    if (!e || e->candidateCount <= 0) return 0;
    CandidatePage& p = e->page;
    p.highlight += step;
    if (p.highlight < 0) {
        if (p.pageStart > 0 || p.startContinues) {
            PrevPage(e);
            p.highlight = p.rowCount > 0 ? p.rowCount - 1 : 0;
        } else {
            p.highlight = 0;
        }
    } else if (p.highlight >= p.rowCount) {
        if (p.endContinues || p.pageEnd + 1 < e->candidateCount) {
            NextPage(e);
            p.highlight = 0;
        } else {
            p.highlight = p.rowCount > 0 ? p.rowCount - 1 : 0;
        }
    }
    RebuildPreview(e);
    return 1;
}

void EngineRuntime::BuildCompositionText(Engine* e) {
    if (!e) return;
    InputState& in = e->input;
    const CandidatePage& p = e->page;
    uint32_t n = 0;
    if ((ImeOptions(e) & kImeStyleTsfEmbedFirst) && p.highlight >= 0 && p.highlight < p.rowCount &&
        p.highlight < kPageRows) {
        const PageRow& row = p.rowText[p.highlight];
        uint32_t len = row.length < kMaxCodeUnits ? row.length : kMaxCodeUnits;
        for (; n < len && row.text[n]; ++n) in.compositionText[n] = row.text[n];
        in.compositionCaret = n;
    } else {
        bool keyRoots = e->ime && (e->ime->features & kFeatKeyRoots);
        uint32_t len = in.codeLength < kMaxCodeUnits ? in.codeLength : kMaxCodeUnits;
        for (; n < len; ++n) {
            wchar_t c = in.code[n];
            if (keyRoots && (c < 128 || (c >= 0xFF0A && c <= 0xFF19))) c = MapSymbolChar(e, c);
            in.compositionText[n] = c;
        }
        in.compositionCaret = in.caret <= n ? in.caret : n;
    }
    for (uint32_t i = 0; i < n; ++i)
        if (in.compositionText[i] < 32)
            in.compositionText[i] = static_cast<wchar_t>(0xFF00 + in.compositionText[i]);
    in.compositionText[n] = 0;
    in.compositionLength = n;
}
