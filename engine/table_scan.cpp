#include "engine/table_scan.h"

#include <cstring>

#include "core/base/text_convert.h"
#include "engine/candidates.h"
#include "engine/effective_settings.h"
#include "engine/lookup.h"
#include "engine/marked_positions.h"

namespace {

constexpr int32_t kPrefetchDistance = 32;
// Marked entries fetched ahead once the scan steps from mark to mark.
constexpr int kMarkedAhead = 16;
constexpr int kClassSlots = (kClassMask >> kClassShift) + 1;

// TableView::EntryAt for a table of code-and-word entries, with the same checks.
inline const uint8_t* CodeEntryAt(const TableView& v, int32_t pos) {
    if (pos < 0 || pos >= v.count) return nullptr;
    uint32_t off = v.OffsetAt(pos);
    if (off < kOffsetArrayStart + 4u * static_cast<uint32_t>(v.count) || off >= v.size)
        return nullptr;
    const uint8_t* e = v.base + off;
    uint32_t left = v.size - off;
    if (left < 6) return nullptr;
    uint32_t codeLen = e[4];
    if (5u + codeLen >= left) return nullptr;
    if (6u + codeLen + e[5 + codeLen] > left) return nullptr;
    return e;
}

// Keys are a few bytes: a loop beats the call.
inline bool SameBytes(const uint8_t* a, const uint8_t* b, unsigned n) {
    for (unsigned i = 0; i < n; ++i)
        if (a[i] != b[i]) return false;
    return true;
}

inline void Fetch(const TableView& v, int32_t pos) {
    uint32_t off = v.OffsetAt(pos);
    if (off < v.size) __builtin_prefetch(v.base + off);
}

// The marked position after last, fetched; end when none.
inline int32_t FetchNextMarked(const TableView& v, const MarkedPositions& marks, int32_t last,
                               int32_t end) {
    int32_t next = marks.Next(last + 1, end);
    if (next < end) Fetch(v, next);
    return next;
}

// The class filter's answer per entry class, asked once per class and search.
class ClassAnswers {
public:
    explicit ClassAnswers(const Engine* e) : e_(e) { std::memset(known_, 0, sizeof known_); }
    bool Admits(uint32_t flags) {
        uint32_t cls = EntryClassOf(flags);
        if (!known_[cls]) {
            known_[cls] = 1;
            admits_[cls] = ClassFilter(e_, flags) == kAddAdded;
        }
        return admits_[cls];
    }

private:
    const Engine* e_;
    uint8_t known_[kClassSlots];
    bool admits_[kClassSlots];
};

}  // namespace

bool PlainScanApplies(const Engine* e, const TableView& v, const uint8_t* key) {
    if (!e || !e->dme || !v.valid() || !v.HoldsCodeEntries() || !key || key[0] == 0) return false;
    for (unsigned i = 1; i <= key[0]; ++i)
        if (key[i] == kWildcardByte) return false;
    if (InputOptions(e) & kInputWildcardMatching) return false;
    unsigned showWords = e->dme->showWordsLength;
    return showWords == 0 || key[0] >= showWords;
}

void ScanPlainRange(Engine* e, const MappedFile* table, const TableView& v, PositionRange range,
                    const uint8_t* key, uint8_t kind, uint32_t typed) {
    if (range.end > v.count) range.end = v.count;
    const bool prefix = (InputOptions(e) & kInputPrefixSearch) != 0;
    const unsigned kl = key[0];
    const bool hints = (kind & kKindHasCodeAndWord) != 0;
    const bool keyRoots = hints && e->ime && (e->ime->features & kFeatKeyRoots);
    const bool mainTable = table == e->mainTable;
    ClassAnswers classes(e);
    // Past the ordinary limit only marked entries are admitted: step over the others.
    MarkedPositions marks;
    bool marksTried = false;
    int32_t ahead = 0;  // last marked position fetched ahead
    for (int32_t pos = range.first; pos < range.end; ++pos) {
        int64_t count = e->candidateCount;
        if (count >= kMarkedCandidateLimit) break;
        if (count >= kTableCandidateLimit && mainTable) {
            if (!marksTried) {
                marksTried = true;
                marks.Open(table);
                ahead = pos - 1;
                for (int k = 0; k < kMarkedAhead && ahead < range.end; ++k)
                    ahead = FetchNextMarked(v, marks, ahead, range.end);
            }
            pos = marks.Next(pos, range.end);
            if (pos >= range.end) break;
            if (ahead < range.end) ahead = FetchNextMarked(v, marks, ahead, range.end);
        } else if (pos + kPrefetchDistance < range.end) {
            // Entries lie in the heap in file order, not code order: fetch ahead.
            Fetch(v, pos + kPrefetchDistance);
        }
        const uint8_t* entry = CodeEntryAt(v, pos);
        if (!entry) continue;
        const uint8_t* code = EntryCode(entry);
        const unsigned cl = code[0];
        uint32_t flags = LoadU32(entry);
        uint32_t weight;
        if (prefix) {
            if (cl < kl || !SameBytes(code + 1, key + 1, kl)) continue;
            if (cl == kl) {
                weight = kWeightExact;
            } else {
                if (EntryClassOf(flags) == kClassAuxCode && kl <= 2) continue;
                weight = kWeightLonger;
            }
        } else {
            if (cl != kl || !SameBytes(code + 1, key + 1, kl)) continue;
            weight = kWeightExact;
        }
        int64_t limit = (flags & (kFlagPinned | kFlagFirstLines)) ? kMarkedCandidateLimit
                                                                  : kTableCandidateLimit;
        if (count >= limit || (flags & kFlagDeleted) || !classes.Admits(flags)) continue;
        if (count >= kMaxCandidates) continue;
        if (count <= 0) {
            count = 0;
            e->orderPending = 0;  // a new list
            e->hintsPending = 0;
        }
        // Merging and ordering read the word next, which may start on the following line.
        __builtin_prefetch(code + 1 + cl);
        Candidate& c = e->candidates[count];
        c.entry = entry;
        c.kind = kind;
        c.weight = weight;
        // Most candidates are never shown: their hints are given when a reader needs them.
        if (hints)
            LeaveHint(c, typed, keyRoots);
        else
            c.hint[0] = c.hint[1] = c.hint[2] = 0;
        e->candidateCount = count + 1;
    }
}
