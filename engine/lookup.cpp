#include "engine/lookup.h"

#include <cstring>

#include "core/base/text_convert.h"
#include "engine/candidates.h"
#include "engine/code_ranges.h"
#include "engine/effective_settings.h"
#include "engine/list_cache.h"
#include "engine/marked_positions.h"
#include "engine/number_candidates.h"
#include "engine/symbol_display.h"
#include "engine/table_scan.h"

namespace {

constexpr char kCommandPrefix[] = "$kxcmd(";
constexpr int32_t kPrefetchDistance = 32;

bool IsLead(uint8_t keyByte, uint8_t lead) { return lead != 0 && keyByte == lead; }

uint8_t FirstKeyByte(const Engine* e) {
    return e->input.codeLength ? CharToKeyIndex(e->input.code[0]) : 0;
}

// The configured wildcard: the mapped field, which the lookup never changes.
uint8_t TypedWildcard(const Engine* e) { return e->dme ? e->dme->wildcardChar : 0; }

bool WordIsCommand(const uint8_t* word) {
    size_t n = sizeof(kCommandPrefix) - 1;
    return word[0] >= n && std::memcmp(word + 1, kCommandPrefix, n) == 0;
}

int Utf8Chars(const uint8_t* text) { return Utf8CharCount(text); }

// UTF-8 of text cut at a whole character to capacity bytes.
int EncodeBounded(const wchar_t* text, int units, uint8_t* out, int capacity) {
    int total = 0;
    for (int i = 0; i < units && text[i];) {
        int n = CharUnitsAt(text + i, units - i);
        char buf[8];
        int bytes = Utf16ToUtf8(text + i, n, buf, sizeof buf);
        if (bytes <= 0 || total + bytes > capacity) break;
        std::memcpy(out + total, buf, static_cast<size_t>(bytes));
        total += bytes;
        i += n;
    }
    return total;
}

bool TempEnglishLead(const Engine* e, uint8_t b) { return IsLead(b, e->dme->tempEnglishLead); }

// Result 5 or 6 of the empty-code commit, from the key that made the code empty.
int EmptyTopResult(const Engine* e) {
    const InputState& in = e->input;
    uint32_t at = in.caret > 0 && in.caret <= in.codeLength ? in.caret - 1 : in.codeLength - 1;
    uint8_t k = CharToKeyIndex(in.code[at]);
    if (k == 0) return kLookupCommitPreviousOtherKey;
    uint8_t f = e->dme->keyClass[k];
    if ((f & kKeyCommitLead) || (f & kKeyCodeStart) || IsLead(k, TypedWildcard(e)) ||
        TempEnglishLead(e, k))
        return kLookupCommitPreviousCodeKey;
    return kLookupCommitPreviousOtherKey;
}

int CommitRules(Engine* e, const uint8_t* key) {
    const DmeConfigData* dme = e->dme;
    uint32_t io = InputOptions(e);
    bool exactLengths = (io & kInputExactLengths) != 0;
    unsigned L = key[0];
    if (e->page.rowCount > 0 || HasLongerCodes(e, key, nullptr) == 0) {
        const Candidate& first = e->candidates[0];
        if (e->page.rowCount != 1 || e->candidateCount < 1 || first.kind == kTempTableKind ||
            (first.hint[0] && (io & kInputAutoCommitFullCode)))
            return kLookupShown;
        bool lengthFree = (dme->keyClass[FirstKeyByte(e)] & kKeyCommitLead) ||
                          (dme->keyClass[key[L]] & kKeyCodeEnd);
        if (!lengthFree) {
            unsigned n = dme->autoCommitLength;
            if (n == 0) return kLookupShown;
            if (exactLengths ? L != n : L < n) return kLookupShown;
        }
        return HasLongerCodes(e, key, first.entry) == 1 ? kLookupCommitFirst : kLookupShown;
    }
    unsigned top = dme->emptyTopLength;
    if (e->hasPreviousFirst && top != 0 &&
        (!e->previousFirst.hint[0] || !(io & kInputEmptyTopFullCode)) &&
        (exactLengths ? L == top + 1 : L > top)) {
        e->candidates[0] = e->previousFirst;
        e->candidateCount = 1;
        EngineRuntime::FinishCandidates(e);
        return EmptyTopResult(e);
    }
    unsigned clear = dme->emptyClearLength;
    if (clear != 0 && (exactLengths ? L == clear : L >= clear)) return kLookupClear;
    return kLookupShown;
}

void ExactSearchBoth(Engine* e, const uint8_t* key) {
    ScopedBits plain(e->lookup.inputOptions, 0, kInputPrefixSearch | kInputLongerOnEmpty);
    SearchTable(e, e->mainTable, key, false, kMainTableKind);
    SearchTable(e, e->tempTable, key, false, kTempTableKind);
}

bool SecondaryFallback(const Engine* e) {
    uint32_t s = e->lookup.imeOptions;
    return !(e->state & kStateSecondaryPass) && (s & kImeMainTable) && (s & kImeSecondaryOnEmpty) &&
           !(s & kImeSearchSecondary);
}

// Nothing found and the scheme falls back on the secondary entries: search them.
void SecondaryPassOnEmpty(Engine* e, const uint8_t* key) {
    if (e->candidateCount == 0 && SecondaryFallback(e)) {
        e->state |= kStateSecondaryPass;
        SearchMainAndTemp(e, key);
        e->state &= ~kStateSecondaryPass;
    }
}

int LookupInputScoped(Engine* e) {
    InputState& in = e->input;
    // 1. The first candidate of the previous lookup serves the empty-code commit.
    if (e->candidateCount > 0) {
        e->previousFirst = e->candidates[0];
        e->hasPreviousFirst = 1;
    } else {
        e->hasPreviousFirst = 0;
    }
    e->candidateCount = 0;
    // A typed code ends any association list and its key; number texts mark their own list.
    e->state &= ~(kStateAssociation | kStateNumberCandidates);
    in.searchKey.length = 0;

    // 2-3. Raw and normalised keys.
    if (in.codeLength > kMaxCodeUnits) in.codeLength = kMaxCodeUnits;
    in.code[in.codeLength] = 0;
    uint8_t raw[kKeyBufferBytes];
    if (in.codeLength == 0 || BuildRawKey(in.code, raw) == 0) return kLookupEmpty;
    uint8_t key[kKeyBufferBytes];
    bool leadDropped = false;
    int kind = NormaliseCode(e, in.code, key, &leadDropped);
    if (kind == kCodeEmpty) return kLookupEmpty;

    // 4. The wildcard alone offers the last output again.
    uint8_t wildcard = TypedWildcard(e);
    if (raw[0] == 1 && IsLead(raw[1], wildcard) && in.outputLength > 0 &&
        (e->lookup.inputOptions & kInputWildcardRepeat)) {
        uint32_t units = in.outputLength < kOutputUnits ? in.outputLength : kOutputUnits - 1;
        int n = EncodeBounded(in.outputText, static_cast<int>(units), e->messageEntry.text,
                              kMessageTextBytes);
        e->messageEntry.flags = 0;
        e->messageEntry.length = static_cast<uint8_t>(n);
        if (n > 0)
            EngineRuntime::AddCandidate(e, reinterpret_cast<const uint8_t*>(&e->messageEntry),
                                        kKindTextEntry, kWeightText, 0);
    }

    // 5. The wildcard is a plain character from here on; prefix search from showNextLength.
    e->lookup.wildcardChar = 0;
    unsigned showNext = e->dme->showNextLength;
    if (showNext != 0 && key[0] >= showNext)
        e->lookup.inputOptions |= kInputPrefixSearch;
    else
        e->lookup.inputOptions &= ~kInputPrefixSearch;

    // 6. The searches.
    if (kind == kCodeWildcard) {
        e->state |= kStateWildcard;
        {
            ScopedBits plain(e->lookup.inputOptions, 0, kInputPrefixSearch | kInputLongerOnEmpty);
            SearchTable(e, e->mainTable, raw, false, kMainTableKind);
        }
        int64_t before = e->candidateCount;
        {
            ScopedBits secondary(e->lookup.imeOptions, kImeSearchSecondary, 0);
            e->lookup.wildcardChar = wildcard;
            SearchWildcard(e, key);
            e->lookup.wildcardChar = 0;
        }
        if (e->candidateCount == before &&
            (e->lookup.inputOptions & (kInputPrefixSearch | kInputLongerOnEmpty)))
            SearchMainAndTemp(e, raw);
        if (!leadDropped) {
            EngineRuntime::FinishCandidates(e);
            return kLookupShown;
        }
    } else {
        e->state &= ~kStateWildcard;
        if (leadDropped) {
            ExactSearchBoth(e, raw);
        } else if (ListCacheApplies(e, raw)) {
            // No lead: the searches below end in the secondary pass only.
            if (!ServeCachedList(e, raw)) {
                SearchMainAndTemp(e, raw);
                SecondaryPassOnEmpty(e, key);
                OrderCandidates(e);
                KeepCachedList(e, raw);
            }
            ShowFirstPage(e);
            return CommitRules(e, key);
        } else {
            SearchMainAndTemp(e, raw);
        }
    }

    // 7. Leads.
    if (key[0] > 0) {
        uint8_t first = FirstKeyByte(e);
        uint32_t s = e->lookup.imeOptions;
        if (TempEnglishLead(e, first)) {
            int r = BuildNumberCandidates(e, key);
            if (r == kLookupCommitFirst) return r;
        } else if (IsLead(first, e->dme->auxiliaryLead) && !(s & kImeAuxTable)) {
            ScopedBits auxOnly(e->lookup.imeOptions, kImeAuxTable,
                               kImeMainTable | kImeSearchSecondary);
            SearchMainAndTemp(e, key);
        } else if (IsLead(first, e->dme->secondaryLead) && !(s & kImeSearchSecondary) &&
                   !(e->state & kStateSecondaryPass)) {
            ScopedBits secondaryOnly(e->lookup.imeOptions, kImeSearchSecondary,
                                     kImeMainTable | kImeAuxTable);
            SearchMainAndTemp(e, key);
        }
        if (leadDropped) {
            EngineRuntime::FinishCandidates(e);
            return kLookupShown;
        }
        SecondaryPassOnEmpty(e, key);
    }

    // 8. Finish and decide.
    EngineRuntime::FinishCandidates(e);
    return CommitRules(e, key);
}

}  // namespace

bool IsEnglishPassThrough(const Engine* e, int result) {
    return e && result == kProcessEnglishPassThrough && (e->state & kStateEnglishMode) &&
           !(e->state & kStateTempEnglish) && !e->englishTable;
}

int BuildRawKey(const wchar_t* code, uint8_t* key) {
    int n = 0;
    for (; code && code[n] && n < kKeyMaxBytes; ++n) {
        wchar_t c = code[n];
        uint8_t b;
        if (c < 128)
            b = static_cast<uint8_t>(c);
        else if (c >= 0xFF0A && c <= 0xFF19)
            b = static_cast<uint8_t>(c - 0xFF00);
        else
            break;
        key[1 + n] = b;
    }
    key[0] = static_cast<uint8_t>(n);
    key[1 + n] = 0;
    return n;
}

int NormaliseCode(Engine* e, const wchar_t* code, uint8_t* key, bool* leadDropped) {
    *leadDropped = false;
    key[0] = 0;
    key[1] = 0;
    if (!e || !e->dme || !code) return kCodeEmpty;
    const DmeConfigData* dme = e->dme;
    uint32_t s = ImeOptions(e);
    uint8_t first = CharToKeyIndex(code[0]);
    if (code[0] && first) {
        bool drop = IsLead(first, dme->tempEnglishLead) || IsLead(first, dme->extraLead) ||
                    (IsLead(first, dme->secondaryLead) && !(s & kImeSearchSecondary) &&
                     !(e->state & kStateSecondaryPass)) ||
                    (IsLead(first, dme->auxiliaryLead) && !(s & kImeAuxTable));
        *leadDropped = drop;
    }
    BuildRawKey(*leadDropped ? code + 1 : code, key);
    bool marked = false;
    uint8_t wildcard = WildcardChar(e);
    if (!*leadDropped && wildcard) {
        for (unsigned i = 1; i <= key[0]; ++i)
            if (key[i] == wildcard) {
                key[i] = kWildcardByte;
                marked = true;
            }
    }
    if (marked) return kCodeWildcard;
    return (*leadDropped || key[0] > 0) ? kCodePlain : kCodeEmpty;
}

int NormaliseCode(Engine* e, const wchar_t* code, uint8_t* key) {
    bool dropped;
    return NormaliseCode(e, code, key, &dropped);
}

uint32_t MatchEntry(Engine* e, const uint8_t* entry, const uint8_t* key) {
    const uint8_t* code = EntryCode(entry);
    const uint8_t* word = EntryWord(entry);
    unsigned showWords = e->dme->showWordsLength;
    if (showWords != 0 && key[0] < showWords && Utf8Chars(word) > 1 && !WordIsCommand(word))
        return 0;
    uint32_t io = InputOptions(e);
    unsigned kl = key[0], cl = code[0];
    if (io & kInputWildcardMatching) {
        if (cl < kl) return 0;
        for (unsigned i = 1; i <= kl; ++i)
            if (key[i] != kWildcardByte && key[i] != code[i]) return 0;
        if (kl == 1 && (cl != 1 || !(io & kInputWildcardFirstKey))) return 0;
        if ((io & kInputWildcardSingle) && Utf8Chars(word) != 1) return 0;
        // 64 at equal length, one less per further code byte, never below 1.
        int w = 64 + static_cast<int>(kl) - static_cast<int>(cl);
        return static_cast<uint32_t>(w < 1 ? 1 : w);
    }
    if (io & kInputPrefixSearch) {
        if (!CodeStartsWith(code, key)) return 0;
        if (cl == kl) return kWeightExact;
        if (EntryClassOf(LoadU32(entry)) == kClassAuxCode && kl <= 2) return 0;
        return kWeightLonger;
    }
    return CompareLengthPrefixed(code, key) == 0 ? kWeightExact : 0;
}

void SearchTable(Engine* e, const MappedFile* table, const uint8_t* key, bool prefix,
                 uint8_t kind) {
    if (!e || !table || !key || key[0] == 0) return;
    int wild = 0;
    for (unsigned i = 1; i <= key[0]; ++i)
        if (key[i] == kWildcardByte) {
            wild = static_cast<int>(i);
            break;
        }
    PositionRange range;
    uint32_t typed;
    if (wild) {
        if (wild == 1) return;
        range = CodeTable::GetPrefixRangeFrom(table, key, wild - 1);
        typed = static_cast<uint32_t>(wild - 1);
    } else {
        range =
            prefix ? CodeTable::GetPrefixRange(table, key) : CodeTable::GetCodeRange(table, key);
        typed = key[0];
    }
    uint8_t wildcard = TypedWildcard(e);
    if (e->input.codeLength && IsLead(CharToKeyIndex(e->input.code[0]), wildcard)) typed = 0;
    TableView v = MakeTableView(table);
    if (PlainScanApplies(e, v, key)) {
        ScanPlainRange(e, table, v, range, key, kind, typed);
        return;
    }
    if (range.end > v.count) range.end = v.count;
    // Past the ordinary limit only marked entries are admitted: step over the others.
    MarkedPositions marks;
    bool marksTried = false;
    for (int32_t pos = range.first; pos < range.end; ++pos) {
        if (e->candidateCount >= kMarkedCandidateLimit) break;
        if (e->candidateCount >= kTableCandidateLimit && table == e->mainTable) {
            if (!marksTried) {
                marksTried = true;
                marks.Open(table);
            }
            pos = marks.Next(pos, range.end);
            if (pos >= range.end) break;
        }
        // Entries lie in the heap in file order, not code order: fetch ahead.
        if (pos + kPrefetchDistance < range.end) {
            uint32_t ahead = v.OffsetAt(pos + kPrefetchDistance);
            if (ahead < v.size) __builtin_prefetch(v.base + ahead);
        }
        const uint8_t* entry = v.EntryAt(pos);
        if (!entry) continue;
        uint32_t w = MatchEntry(e, entry, key);
        if (!w) continue;
        uint32_t flags = LoadU32(entry);
        int64_t limit = (flags & (kFlagPinned | kFlagFirstLines)) ? kMarkedCandidateLimit
                                                                  : kTableCandidateLimit;
        if (e->candidateCount < limit) EngineRuntime::AddCandidate(e, entry, kind, w, typed);
    }
}

namespace {

// First entry in [from, end) of table, other than skip, that passes the class filter.
bool AnyPassing(Engine* e, const MappedFile* table, int32_t from, int32_t end,
                const uint8_t* skip) {
    TableView v = MakeTableView(table);
    for (int32_t pos = from; pos < end; ++pos) {
        const uint8_t* entry = v.EntryAt(pos);
        if (!entry || entry == skip) continue;
        uint32_t flags = LoadU32(entry);
        if (flags & kFlagDeleted) continue;
        if (ClassFilter(e, flags) == kAddAdded) return true;
    }
    return false;
}

}  // namespace

int HasLongerCodes(Engine* e, const uint8_t* key, const uint8_t* skipEntry) {
    if (!e || !key || key[0] == 0) return 1;
    const MappedFile* tables[] = {e->mainTable, e->tempTable};
    for (const MappedFile* t : tables) {
        if (!t) continue;
        PositionRange all = CodeTable::GetPrefixRange(t, key);
        if (all.first >= all.end) continue;
        PositionRange same = CodeTable::GetCodeRange(t, key);
        int32_t from = same.end > all.first ? same.end : all.first;
        if (AnyPassing(e, t, from, all.end, skipEntry)) return 0;
    }
    return 1;
}

int HasCodesWithPrefix(Engine* e, const uint8_t* key) {
    if (!e || !key || key[0] == 0) return 1;
    const MappedFile* tables[] = {e->mainTable, e->tempTable};
    for (const MappedFile* t : tables) {
        if (!t) continue;
        PositionRange all = CodeTable::GetPrefixRange(t, key);
        if (AnyPassing(e, t, all.first, all.end, nullptr)) return 0;
    }
    return 1;
}

void SearchMainAndTemp(Engine* e, const uint8_t* key) {
    LookupScope scope(e);
    if (e->lookup.inputOptions & kInputPrefixSearch) {
        SearchTable(e, e->mainTable, key, true, kMainTableKind);
        SearchTable(e, e->tempTable, key, true, kTempTableKind);
        return;
    }
    int64_t before = e->candidateCount;
    SearchTable(e, e->mainTable, key, false, kMainTableKind);
    SearchTable(e, e->tempTable, key, false, kTempTableKind);
    if (e->candidateCount == before && SecondaryFallback(e)) {
        e->state |= kStateSecondaryPass;
        SearchTable(e, e->mainTable, key, false, kMainTableKind);
        SearchTable(e, e->tempTable, key, false, kTempTableKind);
        e->state &= ~kStateSecondaryPass;
    }
    if (e->candidateCount == before && (e->lookup.inputOptions & kInputLongerOnEmpty)) {
        ScopedBits prefix(e->lookup.inputOptions, kInputPrefixSearch, 0);
        SearchTable(e, e->mainTable, key, true, kMainTableKind);
        SearchTable(e, e->tempTable, key, true, kTempTableKind);
    }
}

void SearchWildcard(Engine* e, const uint8_t* key) {
    LookupScope scope(e);
    ScopedBits wildcard(e->lookup.inputOptions, kInputWildcardMatching, 0);
    if (key[0] == 0) return;
    if (key[1] != kWildcardByte) {
        SearchTable(e, e->mainTable, key, true, kMainTableKind);
        return;
    }
    bool lone = key[0] == 1;
    if (lone && !(e->lookup.inputOptions & kInputWildcardFirstKey)) return;
    uint8_t trial[kKeyBufferBytes];
    std::memcpy(trial, key, key[0] + 2u);
    for (int c = 1; c < 256; ++c) {
        if (!(e->dme->keyClass[c] & kKeyCodeStart)) continue;
        trial[1] = static_cast<uint8_t>(c);
        SearchTable(e, e->mainTable, trial, !lone, kMainTableKind);
    }
}

int LookupInput(Engine* e) {
    if (!e || !e->ime || !e->dme) return kLookupEmpty;
    LookupScope scope(e);
    int r = LookupInputScoped(e);
    e->state &= ~kStateSecondaryPass;
    return r;
}

int EngineRuntime::ProcessInput(Engine* e) {
    if (!e || !e->ime || !e->dme) return kLookupEmpty;
    if (e->state & (kStateEnglishMode | kStateTempEnglish)) {
        if (e->englishTable) {
            LookupTempEnglish(e);
            BuildCompositionText(e);
            return kLookupShown;
        }
        if (!(e->state & kStateTempEnglish)) return kProcessEnglishPassThrough;
    }
    int r = LookupInput(e);
    if (r == kLookupShown) BuildCompositionText(e);
    return r;
}
