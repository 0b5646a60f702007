#include "engine/candidates.h"

#include <algorithm>
#include <cstring>

#include "core/base/text_convert.h"
#include "core/table/code_table.h"
#include "engine/candidate_page.h"
#include "engine/effective_settings.h"
#include "engine/symbol_display.h"

namespace {

bool HasCodeAndWord(uint8_t kind) {
    return (kind & (kKindHasCodeAndWord | kKindHasCodeAndWordAlt)) != 0;
}

}  // namespace

// Units [from, from + 2) of an entry's code: bytes below 32 as U+FF00 + byte, the rest UTF-8.
void CodeHint(const uint8_t* code, uint32_t from, wchar_t hint[3]) {
    hint[0] = hint[1] = hint[2] = 0;
    unsigned len = code[0] < kMaxLengthPrefixedBytes ? code[0] : kMaxLengthPrefixedBytes;
    const uint8_t* p = code + 1;
    const uint8_t* end = p + len;
    uint32_t unit = 0;
    int taken = 0;
    while (p < end && taken < 2 && unit <= kMaxCodeUnits) {
        wchar_t buf[2];
        int n = 1, bytes = 1;
        uint8_t b = *p;
        if (b < 0x20) {
            buf[0] = static_cast<wchar_t>(0xFF00 + b);
        } else if (b < 0x80) {
            buf[0] = b;
        } else {
            bytes = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
            if (end - p < bytes) break;
            wchar_t tmp[3];
            n = Utf8ToUtf16(reinterpret_cast<const char*>(p), bytes, tmp, 3);
            if (n <= 0) break;
            if (n > 2) n = 2;
            buf[0] = tmp[0];
            buf[1] = tmp[1];
        }
        for (int i = 0; i < n; ++i, ++unit)
            if (unit >= from && taken < 2) hint[taken++] = buf[i];
        p += bytes;
    }
}

namespace {

int CompareWords(const Candidate& a, const Candidate& b) {
    const uint8_t* wa = CandidateWord(a);
    const uint8_t* wb = CandidateWord(b);
    // Candidates without a word sort behind and never count as duplicates.
    if (!wa || !wb) return wa ? -1 : (wb ? 1 : 0);
    return CompareLengthPrefixed(wa, wb);
}

bool SameWord(const Candidate& a, const Candidate& b) {
    const uint8_t* wa = CandidateWord(a);
    const uint8_t* wb = CandidateWord(b);
    return wa && wb && CompareLengthPrefixed(wa, wb) == 0;
}

uint32_t EntryFlags(const Candidate& c) { return c.entry ? LoadU32(c.entry) : 0; }

}  // namespace

const uint8_t* CandidateWord(const Candidate& c) {
    if (!c.entry) return nullptr;
    if (HasCodeAndWord(c.kind)) return EntryWord(c.entry);
    if (c.kind & kKindLengthPrefixedText) return c.entry + 4;
    return nullptr;
}

const uint8_t* CandidateCode(const Candidate& c) {
    if (!c.entry || !HasCodeAndWord(c.kind)) return nullptr;
    return EntryCode(c.entry);
}

int Utf8CharCount(const uint8_t* text) {
    if (!text) return 0;
    int n = 0;
    for (unsigned i = 1; i <= text[0]; ++i)
        if ((text[i] & 0xC0) != 0x80) ++n;
    return n;
}

int ClassFilter(const Engine* e, uint32_t flags) {
    uint32_t cls = EntryClassOf(flags);
    if (cls == kClassNone) return kAddAdded;
    uint32_t s = ImeOptions(e);
    if (s & kImeMainTable) {
        if (cls == kClassAuxCode) return (s & kImeAuxTable) ? kAddAdded : kAddNotAuxiliary;
        if (cls == kClassSecondary)
            return ((e->state & kStateSecondaryPass) || (s & kImeSearchSecondary))
                       ? kAddAdded
                       : kAddNotSecondary;
        return (e->state & kStateSecondaryPass) ? kAddNotAuxiliary : kAddAdded;
    }
    if (s & kImeAuxTable) return cls == kClassAuxCode ? kAddAdded : kAddAuxiliaryOnly;
    return cls == kClassSecondary ? kAddAdded : kAddSecondaryOnly;
}

int EngineRuntime::AddCandidate(Engine* e, const uint8_t* entry, uint8_t kind, uint32_t weight,
                                uint32_t typedLength) {
    if (!e || !entry) return kAddAdded;
    uint32_t flags = LoadU32(entry);
    if (flags & kFlagDeleted) return kAddDeleted;
    int filter = ClassFilter(e, flags);
    if (filter) return filter;
    if (kind == 0 && weight == 0) return kAddAdded;
    if (e->candidateCount >= kMaxCandidates) return kAddFull;
    if (e->candidateCount <= 0) {
        e->candidateCount = 0;
        e->orderPending = 0;  // a new list
        e->hintsPending = 0;
    }
    Candidate& c = e->candidates[e->candidateCount];
    c.entry = entry;
    c.kind = kind;
    c.weight = weight;
    c.hint[0] = c.hint[1] = c.hint[2] = 0;
    if (kind & kKindHasCodeAndWord) {
        CodeHint(EntryCode(entry), typedLength, c.hint);
        if (e->ime && (e->ime->features & kFeatKeyRoots))
            for (int i = 0; i < 2 && c.hint[i]; ++i) c.hint[i] = MapSymbolChar(e, c.hint[i]);
    }
    ++e->candidateCount;
    return kAddAdded;
}

// The first eight bytes of a word, big-endian and zero-padded: comparing these orders words
// as a bytewise comparison of the length-prefixed words does, up to a tie.
uint64_t WordPrefix(const uint8_t* word) {
    uint64_t v = 0;
    unsigned n = word[0] < 8 ? word[0] : 8;
    for (unsigned i = 0; i < 8; ++i) v = (v << 8) | (i < n ? word[1 + i] : 0);
    return v;
}

void EngineRuntime::MergeDuplicates(Engine* e) {
    if (!e->ime || !(e->ime->features & kFeatMergeSameWord)) return;
    int64_t n = e->candidateCount;
    if (n < 2) return;
    // Sort by shown word through packed keys; candidates without a word go last.
    CandidateSortKey* keys = e->sortKeys;
    for (int64_t i = 0; i < n; ++i) {
        if (i + 16 < n) __builtin_prefetch(e->candidates[i + 16].entry);
        const uint8_t* w = CandidateWord(e->candidates[i]);
        keys[i].major = w ? WordPrefix(w) : UINT64_MAX;
        keys[i].minor = w ? 0 : 1;
        keys[i].index = static_cast<uint32_t>(i);
    }
    const Candidate* cands = e->candidates;
    std::sort(keys, keys + n, [cands](const CandidateSortKey& a, const CandidateSortKey& b) {
        if (a.major != b.major) return a.major < b.major;
        if (a.minor != b.minor) return a.minor < b.minor;
        int r = CompareWords(cands[a.index], cands[b.index]);
        if (r) return r < 0;
        return a.index < b.index;
    });
    Candidate* scratch = e->mergeScratch;
    for (int64_t i = 0; i < n; ++i) scratch[i] = e->candidates[keys[i].index];
    int64_t out = 0;
    for (int64_t i = 0; i < n;) {
        Candidate best = scratch[i];
        int64_t j = i + 1;
        for (; j < n && keys[j].major == keys[i].major && SameWord(scratch[i], scratch[j]); ++j) {
            const Candidate& c = scratch[j];
            if (c.weight > best.weight ||
                (c.weight == best.weight &&
                 (EntryFlags(c) & 0xFFFFF) > (EntryFlags(best) & 0xFFFFF)))
                best = c;
        }
        e->candidates[out++] = best;
        i = j;
    }
    e->candidateCount = out;
}

int EngineRuntime::CompareCandidates(const Candidate* a, const Candidate* b, const Engine* e) {
    if (a->weight != b->weight) return a->weight > b->weight ? -1 : 1;
    if (!(e->state & kStateAssociation) && e->ime) {
        uint32_t list = e->ime->listOptions;
        if (list & kListSingleFirst) {
            int ca = Utf8CharCount(CandidateWord(*a)), cb = Utf8CharCount(CandidateWord(*b));
            if (ca != cb) return ca < cb ? -1 : 1;
        } else if (list & kListByCode) {
            const uint8_t* ka = CandidateCode(*a);
            const uint8_t* kb = CandidateCode(*b);
            if (ka && kb) {
                int r = CompareLengthPrefixed(ka, kb);
                if (r) return r;
            }
        }
    }
    uint32_t fa = EntryFlags(*a) & 0x4000FFFF, fb = EntryFlags(*b) & 0x4000FFFF;
    if (fa != fb) return fa > fb ? -1 : 1;
    if (a->entry != b->entry) return a->entry < b->entry ? -1 : 1;
    return 0;
}

namespace {

// Packed order keys of candidates [from, end) and their comparison: weight, the list
// option's key, flags, address, and the index for the same entry listed twice.
struct OrderKeys {
    const Candidate* cands;
    bool byCode;

    bool operator()(const CandidateSortKey& a, const CandidateSortKey& b) const {
        if (a.major != b.major) return a.major < b.major;
        const Candidate& ca = cands[a.index];
        const Candidate& cb = cands[b.index];
        if (byCode) {
            const uint8_t* ka = CandidateCode(ca);
            const uint8_t* kb = CandidateCode(cb);
            if (ka && kb) {
                int r = CompareLengthPrefixed(ka, kb);
                if (r) return r < 0;
            }
        }
        if (a.minor != b.minor) return a.minor < b.minor;
        if (ca.entry != cb.entry) return ca.entry < cb.entry;
        return a.index < b.index;
    }
};

// Bytes 10xxxxxx of x, one bit (bit 7 of the byte) each, counted.
inline int Continuing(uint64_t x) {
    uint64_t m = (x & ~(x << 1) & 0x8080808080808080ull) >> 7;
    return static_cast<int>((m * 0x0101010101010101ull) >> 56);
}

// Utf8CharCount for words of up to sixteen bytes by two overlapping loads inside the word,
// without a loop whose end the processor mispredicts; longer words by the loop.
int WordChars(const uint8_t* text) {
    if (!text) return 0;
    unsigned n = text[0];
    const uint8_t* p = text + 1;
    if (n > 16 || n < 4) return Utf8CharCount(text);
    uint64_t a, b;
    if (n >= 8) {
        std::memcpy(&a, p, 8);
        std::memcpy(&b, p + n - 8, 8);
        b = n > 8 ? b >> (8 * (16 - n)) : 0;  // without the bytes already in a
    } else {
        uint32_t x, y;
        std::memcpy(&x, p, 4);
        std::memcpy(&y, p + n - 4, 4);
        a = x;
        b = static_cast<uint64_t>(y) >> (8 * (8 - n));
    }
    return static_cast<int>(n) - Continuing(a) - Continuing(b);
}

OrderKeys MakeKeys(Engine* e, int64_t from, int64_t end) {
    uint32_t list = (!(e->state & kStateAssociation) && e->ime) ? e->ime->listOptions : 0;
    bool singleFirst = (list & kListSingleFirst) != 0;
    CandidateSortKey* keys = e->sortKeys;
    for (int64_t i = from; i < end; ++i) {
        if (i + 16 < end) __builtin_prefetch(e->candidates[i + 16].entry);
        const Candidate& c = e->candidates[i];
        uint64_t major = static_cast<uint64_t>(~c.weight) << 32;
        if (singleFirst) major |= static_cast<uint32_t>(WordChars(CandidateWord(c)));
        keys[i].major = major;
        keys[i].minor = ~(EntryFlags(c) & 0x4000FFFF);
        keys[i].index = static_cast<uint32_t>(i);
    }
    return {e->candidates, !singleFirst && (list & kListByCode)};
}

// Puts candidates [from, end) in the order of their keys there.
void Permute(Engine* e, int64_t from, int64_t end) {
    std::memcpy(e->mergeScratch + from, e->candidates + from, sizeof(Candidate) * (end - from));
    for (int64_t i = from; i < end; ++i) e->candidates[i] = e->mergeScratch[e->sortKeys[i].index];
}

// A hash of a length-prefixed word, eight bytes at a time; only where it puts a word in the
// table below depends on it.
uint32_t WordHash(const uint8_t* w) {
    unsigned n = w[0];
    const uint8_t* p = w + 1;
    uint64_t h = 0x9E3779B97F4A7C15ull ^ n;
    for (; n >= 8; n -= 8, p += 8) {
        uint64_t x;
        std::memcpy(&x, p, 8);
        h = (h ^ x) * 0xFF51AFD7ED558CCDull;
    }
    uint64_t x = 0;
    for (unsigned i = 0; i < n; ++i) x |= static_cast<uint64_t>(p[i]) << (8 * i);
    h = (h ^ x) * 0xC4CEB9FE1A85EC53ull;
    return static_cast<uint32_t>(h >> 32);
}

// MergeDuplicates by a table of words instead of a sort: the same survivors (of equal words
// the larger weight, then the larger flags & 0xFFFFF, then the first listed), in list order.
// The order that follows does not depend on the survivors' places.
void MergeByWords(Engine* e) {
    if (!e->ime || !(e->ime->features & kFeatMergeSameWord)) return;
    int64_t n = e->candidateCount;
    if (n < 2) return;
    constexpr uint32_t kSlots = 16384;  // a power of two above four times the 3000 candidates
    constexpr uint16_t kFree = 0xFFFF;
    static_assert(kSlots >= 4 * kMaxCandidates && kMaxCandidates < kFree);
    uint16_t slots[kSlots];
    // At least four times as many slots as candidates (most words find a free slot at once,
    // as the processor predicts); only those are cleared.
    uint32_t size = 64;
    while (size < 4 * static_cast<uint32_t>(n)) size *= 2;
    const uint32_t mask = size - 1;
    std::memset(slots, 0xFF, size * sizeof slots[0]);
    Candidate* c = e->candidates;
    int64_t out = 0;
    for (int64_t i = 0; i < n; ++i) {
        if (i + 16 < n) __builtin_prefetch(c[i + 16].entry);
        const uint8_t* w = CandidateWord(c[i]);
        if (!w) {
            c[out++] = c[i];
            continue;
        }
        uint32_t h = WordHash(w);
        for (uint32_t at = h & mask;; at = (at + 1) & mask) {
            if (slots[at] == kFree) {
                slots[at] = static_cast<uint16_t>(out);
                c[out++] = c[i];
                break;
            }
            Candidate& kept = c[slots[at]];
            const uint8_t* kw = CandidateWord(kept);
            if (CompareLengthPrefixed(kw, w) != 0) continue;
            const Candidate& next = c[i];
            if (next.weight > kept.weight ||
                (next.weight == kept.weight &&
                 (EntryFlags(next) & 0xFFFFF) > (EntryFlags(kept) & 0xFFFFF)))
                kept = next;
            break;
        }
    }
    e->candidateCount = out;
}

// Candidates [0, kOrderedAhead) become the first of [0, n) by less, in order; the others
// fill the rest in no particular order. One pass keeps the best so far in a bounded heap
// (its worst on top); then only the chosen and the ones they displace move.
void PlaceFirst(Engine* e, int64_t n, const OrderKeys& less) {
    CandidateSortKey* keys = e->sortKeys;
    CandidateSortKey best[kOrderedAhead];
    std::copy(keys, keys + kOrderedAhead, best);
    std::make_heap(best, best + kOrderedAhead, less);
    for (int64_t i = kOrderedAhead; i < n; ++i) {
        if (!less(keys[i], best[0])) continue;
        std::pop_heap(best, best + kOrderedAhead, less);
        best[kOrderedAhead - 1] = keys[i];
        std::push_heap(best, best + kOrderedAhead, less);
    }
    std::sort_heap(best, best + kOrderedAhead, less);
    // Chosen candidates from behind the front leave holes there; the unchosen ones of the
    // front move into them.
    bool chosen[kOrderedAhead] = {};
    int64_t holes[kOrderedAhead];
    int holeCount = 0;
    Candidate first[kOrderedAhead];
    for (int64_t k = 0; k < kOrderedAhead; ++k) {
        uint32_t at = best[k].index;
        first[k] = e->candidates[at];
        if (at < kOrderedAhead)
            chosen[at] = true;
        else
            holes[holeCount++] = at;
    }
    Candidate* c = e->candidates;
    int next = 0;
    for (int64_t i = 0; i < kOrderedAhead; ++i)
        if (!chosen[i]) c[holes[next++]] = c[i];
    std::copy(first, first + kOrderedAhead, c);
}

bool HintsPending(const Engine* e) {
    return e->hintsPending > 0 && e->hintsPending == e->candidateCount &&
           e->hintsFrom < e->candidateCount;
}

// Gives the hints left for later of candidates [from, end).
void LaterHints(Engine* e, int64_t from, int64_t end) {
    for (int64_t i = from; i < end; ++i) {
        Candidate& c = e->candidates[i];
        if (c.hint[2] != kHintLater) continue;
        bool keyRoots = c.hint[1] != 0;
        CodeHint(EntryCode(c.entry), c.hint[0], c.hint);
        if (keyRoots)
            for (int k = 0; k < 2 && c.hint[k]; ++k) c.hint[k] = MapSymbolChar(e, c.hint[k]);
    }
}

// The first pages' hints now, the others' when a reader reaches them.
void FirstHints(Engine* e) {
    int64_t n = e->candidateCount;
    e->hintsPending = 0;
    if (n <= 2 * kOrderedAhead) {
        LaterHints(e, 0, n);
        return;
    }
    LaterHints(e, 0, kOrderedAhead);
    e->hintsPending = n;
    e->hintsFrom = kOrderedAhead;
}

bool OrderPending(const Engine* e) {
    return e->orderPending > 0 && e->orderPending == e->candidateCount &&
           e->orderedCount < e->candidateCount;
}

}  // namespace

// The comparison is a total order (the entry address decides last), so any sort gives the
// order of the shell sort the list has always used; packed keys keep it cheap for 3000 rows.
void EngineRuntime::SortCandidates(Engine* e) {
    int64_t n = e->candidateCount;
    e->orderPending = 0;
    if (n >= 2) {
        OrderKeys less = MakeKeys(e, 0, n);
        std::sort(e->sortKeys, e->sortKeys + n, less);
        Permute(e, 0, n);
    }
    e->hintsPending = 0;
    LaterHints(e, 0, n);
}

namespace {

void OrderList(Engine* e) {
    int64_t n = e->candidateCount;
    if (n < 2 || (e->candidates[0].kind & kKindKeyValue)) return;
    MergeByWords(e);
    n = e->candidateCount;
    if (n <= 2 * kOrderedAhead) {
        EngineRuntime::SortCandidates(e);
        return;
    }
    // The first candidates in their final order, chosen without ordering the others.
    OrderKeys less = MakeKeys(e, 0, n);
    PlaceFirst(e, n, less);
    e->orderedCount = kOrderedAhead;
    e->orderPending = n;
}

}  // namespace

void OrderCandidates(Engine* e) {
    e->orderPending = 0;
    OrderList(e);
    FirstHints(e);
}

void GiveFirstHints(Engine* e) { FirstHints(e); }

void OrderCandidatesUpTo(Engine* e, int64_t index) {
    if (!e) return;
    if (HintsPending(e) && index >= e->hintsFrom) {
        LaterHints(e, e->hintsFrom, e->candidateCount);
        e->hintsPending = 0;
    } else if (index >= 0 && index < e->candidateCount &&
               e->candidates[index].hint[2] == kHintLater) {
        LaterHints(e, 0, e->candidateCount);  // a list nothing ordered
    }
    if (!OrderPending(e) || index < e->orderedCount) return;
    int64_t from = e->orderedCount, n = e->candidateCount;
    OrderKeys less = MakeKeys(e, from, n);
    std::sort(e->sortKeys + from, e->sortKeys + n, less);
    Permute(e, from, n);
    e->orderedCount = n;
    e->orderPending = 0;
}

void EngineRuntime::FinishCandidates(Engine* e) {
    OrderCandidates(e);
    ShowFirstPage(e);
}

void ShowFirstPage(Engine* e) {
    e->page.pageStart = 0;
    e->page.startContinues = 0;
    e->page.endContinues = 0;
    e->page.pageEnd = -1;
    e->page.rowCount = 0;
    e->page.highlight = 0;
    EngineRuntime::NextPage(e);
}
