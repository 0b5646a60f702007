#include "engine/candidate_entry.h"

#include <cstring>

#include "core/table/table_format.h"

namespace {

// e must lie behind the header and the offset array and end inside the view.
const uint8_t* WholeEntryIn(const MappedFile* table, const uint8_t* e) {
    if (!table || !table->view || !e || table->size < static_cast<int32_t>(kOffsetArrayStart))
        return nullptr;
    const uintptr_t base = reinterpret_cast<uintptr_t>(table->view);
    const uintptr_t at = reinterpret_cast<uintptr_t>(e);
    const uintptr_t end = base + static_cast<uint32_t>(table->size);
    if (at < base + kOffsetArrayStart || at >= end || end - at < 6) return nullptr;
    const uintptr_t left = end - at;
    const uint32_t codeLen = e[4];
    if (5u + codeLen >= left) return nullptr;
    if (6u + codeLen + e[5 + codeLen] > left) return nullptr;
    return e;
}

}  // namespace

uint8_t* MainTableEntryOf(const Engine* e, const Candidate& c) {
    if (!e || c.kind != kKindMainEntry) return nullptr;
    return const_cast<uint8_t*>(WholeEntryIn(e->mainTable, c.entry));
}

const uint8_t* CodeTableEntryOf(const Engine* e, const Candidate& c) {
    if (!e) return nullptr;
    if (c.kind == kKindMainEntry) return WholeEntryIn(e->mainTable, c.entry);
    if (c.kind == kKindTempEntry) return WholeEntryIn(e->tempTable, c.entry);
    return nullptr;
}

int SelectorRow(const Engine* e, int selector) {
    if (!e) return -1;
    if (selector == 0 || selector == 13) {
        const int64_t h = e->page.highlight;
        return h >= 0 && h < kPageRows ? static_cast<int>(h) + 1 : -1;
    }
    if (selector >= 1 && selector <= 10) return selector;
    if (selector == 12) {
        const int64_t n = e->page.rowCount;
        return n >= 0 && n <= kPageRows ? static_cast<int>(n) : -1;
    }
    if (selector == 11) return 0;
    return -1;
}

int64_t SelectedCandidate(const Engine* e, int selector) {
    const int r = SelectorRow(e, selector);
    if (r < 1 || r > e->page.rowCount || r > kPageRows) return -1;
    const int64_t index = e->page.rowCandidate[r - 1];
    if (index < 0 || index >= e->candidateCount || index >= kMaxCandidates) return -1;
    return index;
}

void DropTableCandidates(Engine* e) {
    if (!e) return;
    e->candidateCount = 0;
    e->page.pageStart = 0;
    e->page.startContinues = 0;
    e->page.pageEnd = -1;
    e->page.endContinues = 0;
    e->page.highlight = 0;
    e->page.rowCount = 0;
    e->hasPreviousFirst = 0;
    std::memset(&e->previousFirst, 0, sizeof e->previousFirst);
}
