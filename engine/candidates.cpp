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
    if (e->candidateCount < 0) e->candidateCount = 0;
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

// The comparison is a total order (the entry address decides last), so any sort gives the
// order of the shell sort the list has always used; packed keys keep it cheap for 3000 rows.
void EngineRuntime::SortCandidates(Engine* e) {
    int64_t n = e->candidateCount;
    if (n < 2) return;
    uint32_t list = (!(e->state & kStateAssociation) && e->ime) ? e->ime->listOptions : 0;
    bool singleFirst = (list & kListSingleFirst) != 0;
    bool byCode = !singleFirst && (list & kListByCode);
    CandidateSortKey* keys = e->sortKeys;
    for (int64_t i = 0; i < n; ++i) {
        if (i + 16 < n) __builtin_prefetch(e->candidates[i + 16].entry);
        const Candidate& c = e->candidates[i];
        uint64_t major = static_cast<uint64_t>(~c.weight) << 32;
        if (singleFirst) major |= static_cast<uint32_t>(Utf8CharCount(CandidateWord(c)));
        keys[i].major = major;
        keys[i].minor = ~(EntryFlags(c) & 0x4000FFFF);
        keys[i].index = static_cast<uint32_t>(i);
    }
    const Candidate* cands = e->candidates;
    std::sort(keys, keys + n,
              [cands, byCode](const CandidateSortKey& a, const CandidateSortKey& b) {
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
              });
    std::memcpy(e->mergeScratch, e->candidates, sizeof(Candidate) * n);
    for (int64_t i = 0; i < n; ++i) e->candidates[i] = e->mergeScratch[keys[i].index];
}

void EngineRuntime::FinishCandidates(Engine* e) {
    if (e->candidateCount >= 2 && !(e->candidates[0].kind & kKindKeyValue)) {
        MergeDuplicates(e);
        SortCandidates(e);
    }
    e->page.pageStart = 0;
    e->page.startContinues = 0;
    e->page.endContinues = 0;
    e->page.pageEnd = -1;
    e->page.rowCount = 0;
    e->page.highlight = 0;
    NextPage(e);
}
