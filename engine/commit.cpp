#include "engine/commit.h"

#include <cstring>

#include "core/table/code_table.h"
#include "core/table/table_edit.h"
#include "core/table/table_format.h"
#include "engine/candidate_entry.h"
#include "engine/phrase_learning.h"
#include "engine/table_refresh.h"
#include "engine/temp_words.h"

namespace {

constexpr uint32_t kStateEnglishAny = kStateEnglishMode | kStateTempEnglish;
constexpr int kMaxEntryBytes = 6 + 255 + 255;

int CompareEntries(const uint8_t* a, const uint8_t* b) {
    const int r = CompareLengthPrefixed(EntryCode(a), EntryCode(b));
    return r ? r : CompareLengthPrefixed(EntryWord(a), EntryWord(b));
}

// Moves the offset appended last into its sorted place among the others.
bool PlaceLastOffset(MappedFile* table) {
    TableView v = MakeTableView(table);
    if (!v.valid() || v.count < 1) return false;
    const int32_t last = v.count - 1;
    const uint8_t* added = v.EntryAt(last);
    if (!added) return false;
    int32_t lo = 0, hi = last;
    while (lo < hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        const uint8_t* e = v.EntryAt(mid);
        if (!e) return false;
        if (CompareEntries(e, added) <= 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    uint8_t* array = table->view + kOffsetArrayStart;
    const uint32_t off = v.OffsetAt(last);
    std::memmove(array + 4u * (lo + 1), array + 4u * lo, 4u * static_cast<uint32_t>(last - lo));
    StoreU32(array + 4u * lo, off);
    return true;
}

}  // namespace

int PromoteTempWord(Engine* e, const uint8_t* entry) {
    MappedFile* main = e ? e->mainTable : nullptr;
    if (!main || !main->IsMapped() || !entry) return 0;
    const uint32_t codeLen = entry[4];
    const uint32_t size = 6u + codeLen + entry[5 + codeLen];
    uint8_t record[kMaxEntryBytes];
    std::memcpy(record, entry, size);
    StoreU32(record, kPromotedWordFlags);
    if (CodeTable::FindEntry(main, record + 4) > 0) return 0;
    const int appended = CodeTable::AppendEntry(main, record);
    // The view may have moved, or (after a failed growth) be gone: no candidate may keep a
    // pointer into it.
    DropTableCandidates(e);
    if (!appended || !main->IsMapped()) return 0;
    RefreshTablesAfterGrowth(e);
    main = e->mainTable;
    if (!main || !main->IsMapped()) return 0;
    if (!PlaceLastOffset(main)) CodeTable::Sort(main);
    CodeTable::RebuildPrefixIndex(main);
    MappedFile::Flush(main);
    return CodeTable::FindEntry(main, record + 4) > 0 ? 1 : 0;
}

int EngineRuntime::CommitCandidate(Engine* e, int selector) {
    if (!e || (e->state & kStateEnglishAny)) return 0;
    const int64_t index = SelectedCandidate(e, selector);
    if (index < 0) return 0;
    const Candidate c = e->candidates[index];
    if (!c.entry) return 0;
    e->input.committedKind = c.kind;
    e->input.committedEntry = c.entry;
    // The history reads the entry while its slot still holds it.
    const int remembered = Engine::RememberCommit(e, index);

    const uint8_t* tempEntry = c.kind == kKindTempEntry ? CodeTableEntryOf(e, c) : nullptr;
    if (tempEntry && e->ime && (e->ime->options & kImeTempSaveAtCommit)) {
        uint8_t record[kMaxEntryBytes];
        std::memcpy(record, tempEntry, EntrySize(tempEntry));
        // The word leaves temp.dmg only once main.dmg really holds it.
        if (PromoteTempWord(e, record)) {
            const int64_t at = CodeTable::FindEntry(e->tempTable, record + 4);
            if (at > 0 && CodeTable::RemoveAt(e->tempTable, static_cast<int32_t>(at - 1))) {
                e->input.committedEntry = nullptr;
                DropTableCandidates(e);
            }
        }
    }
    // A new phrase may take the slot of an entry still listed.
    if (remembered && LearnTempPhrases(e) > 0) DropTableCandidates(e);
    return 1;
}
