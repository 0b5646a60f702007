#include "core/table/table_edit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/table/table_format.h"
#include "support/mapped_table.h"
#include "support/table_fixture.h"
#include "support/table_invariants.h"

using namespace testing_support;

namespace {

const uint8_t* U(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }
uint32_t HeapStart(const MappedFile* t) { return LoadU32(t->view); }
int32_t Count(const MappedFile* t) { return LoadI32(t->view + 4); }
uint32_t OffsetAt(const MappedFile* t, int i) {
    return LoadU32(t->view + kOffsetArrayStart + 4 * i);
}

// Moves the heap of a freshly built table (gap 0) up by extra bytes: the gap becomes extra.
// A negative extra takes the spare slot away.
std::vector<uint8_t> WithGap(std::vector<uint8_t> t, int32_t extra) {
    uint32_t heap = LoadU32(&t[0]);
    uint32_t n = LoadU32(&t[4]);
    if (extra >= 0)
        t.insert(t.begin() + heap, uint32_t(extra), 0);
    else
        t.erase(t.begin() + heap + extra, t.begin() + heap);
    StoreU32(&t[0], heap + extra);
    for (uint32_t i = 0; i < n; ++i) {
        uint8_t* p = &t[kOffsetArrayStart + 4 * i];
        StoreU32(p, LoadU32(p) + extra);
    }
    return t;
}

// Sorts, rebuilds the index and checks every invariant.
std::string Settle(MappedFile* t) {
    if (CodeTable::Sort(t) != 1) return "sort failed";
    if (CodeTable::RebuildPrefixIndex(t) != 1) return "index failed";
    return CheckTableInvariants(t);
}

std::vector<FixtureEntry> Three() { return {{"ab", "x"}, {"a", "yy"}, {"c", "z"}}; }

TEST(AppendEntry, PlacementByGap) {
    const std::string rec = EntryRecord(0x02000400, "b", "new");  // 10 bytes
    const uint32_t s = uint32_t(rec.size());
    struct Case {
        const char* name;
        std::vector<uint8_t> table;
        bool grows;        // file grows
        bool movesLowest;  // the lowest entry moves to the end
    };
    const Case cases[] = {
        {"fresh table (gap 0)", MakeCodeTable(Three()), true, true},
        {"gap of entry + 5", WithGap(MakeCodeTable(Three()), s + 5), false, false},
        {"gap of entry + 4", WithGap(MakeCodeTable(Three()), s + 4), true, false},
        {"gap of 5", WithGap(MakeCodeTable(Three()), 5), true, false},
        {"gap of 4", WithGap(MakeCodeTable(Three()), 4), true, true},
        {"no spare slot", WithGap(MakeCodeTable(Three()), -4), true, true},
        {"empty table without spare slot", WithGap(MakeCodeTable({}), -4), true, false},
        {"empty built table", MakeCodeTable({}), true, false},
        {"empty table with a wide gap", WithGap(MakeCodeTable({}), 100), false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MappedTable t(c.table);
        const uint32_t f = uint32_t(c.table.size());
        const uint32_t h = LoadU32(&c.table[0]);
        const int32_t n = LoadI32(&c.table[4]);
        uint32_t lowSize = 0;
        int lowPos = -1;
        for (int i = 0; i < n; ++i)
            if (LoadU32(&c.table[kOffsetArrayStart + 4 * i]) == h) lowPos = i;
        if (lowPos >= 0) lowSize = EntrySize(&c.table[h]);

        ASSERT_EQ(CodeTable::AppendEntry(t.get(), U(rec)), 1);
        ASSERT_EQ(Count(t.get()), n + 1);
        uint32_t newOff = OffsetAt(t.get(), n);
        EXPECT_EQ(std::memcmp(t.get()->view + newOff, rec.data(), s), 0);
        if (!c.grows) {
            EXPECT_EQ(uint32_t(t.get()->size), f);
            EXPECT_EQ(newOff, h - s);
            EXPECT_EQ(HeapStart(t.get()), h - s);
        } else if (c.movesLowest) {
            EXPECT_EQ(uint32_t(t.get()->size), f + lowSize + s);
            EXPECT_EQ(OffsetAt(t.get(), lowPos), f);
            EXPECT_EQ(std::memcmp(t.get()->view + f, &c.table[h], lowSize), 0);
            EXPECT_EQ(newOff, f + lowSize);
            EXPECT_EQ(HeapStart(t.get()), h + lowSize);
        } else {
            // An empty heap starts clear of the new offset slot.
            uint32_t at = std::max<uint32_t>(f, n == 0 ? kOffsetArrayStart + 4 : 0);
            EXPECT_EQ(uint32_t(t.get()->size), at + s);
            EXPECT_EQ(newOff, at);
            EXPECT_EQ(HeapStart(t.get()), n == 0 ? at : h);
        }
        EXPECT_EQ(Settle(t.get()), "");
        int32_t added = 0;
        for (const auto& r : ReadRows(t.get())) added += r.word == "new";
        EXPECT_EQ(added, 1);
    }
}

TEST(AppendEntry, CopiesAnEntryOfTheSameTableAcrossGrowth) {
    MappedTable t(MakeCodeTable(Three()));
    // The lowest entry is the one that moves; append a copy of it straight from the view.
    const uint8_t* lowest = t.get()->view + HeapStart(t.get());
    std::string before(reinterpret_cast<const char*>(lowest), EntrySize(lowest));
    ASSERT_EQ(CodeTable::AppendEntry(t.get(), lowest), 1);
    uint32_t off = OffsetAt(t.get(), 3);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(t.get()->view + off), before.size()),
              before);
    EXPECT_EQ(Settle(t.get()), "");
}

TEST(AppendEntry, RefusesWhatItCannotStore) {
    const std::string good = EntryRecord(0x01000001, "a", "w");
    struct Case {
        const char* name;
        std::string record;
    };
    const Case bad[] = {
        {"empty code", EntryRecord(1, "", "w")},
        {"empty word", EntryRecord(1, "a", "")},
    };
    MappedTable t(MakeCodeTable(Three()));
    auto before = t.Bytes();
    for (const auto& c : bad) EXPECT_EQ(CodeTable::AppendEntry(t.get(), U(c.record)), 0) << c.name;
    EXPECT_EQ(CodeTable::AppendEntry(t.get(), nullptr), 0);
    EXPECT_EQ(t.Bytes(), before);
    EXPECT_EQ(CodeTable::AppendEntry(nullptr, U(good)), 0);

    // Not a code table.
    MappedTable kv(MakeKeyValueTable({{"a", "1"}}));
    auto kvBefore = kv.Bytes();
    EXPECT_EQ(CodeTable::AppendEntry(kv.get(), U(good)), 0);
    EXPECT_EQ(kv.Bytes(), kvBefore);

    // A damaged header: heap start inside the offset array.
    auto broken = MakeCodeTable(Three());
    StoreU32(&broken[0], kOffsetArrayStart + 4);
    MappedTable d(broken);
    EXPECT_EQ(CodeTable::AppendEntry(d.get(), U(good)), 0);
    EXPECT_EQ(d.Bytes(), broken);
}

TEST(TableWriters, RefuseAMemoryCopy) {
    PrivateTempFolder temp;
    TempDir dir;
    std::wstring path = dir / L"ro.dmg";
    auto bytes = WithGap(MakeCodeTable(Three()), 64);  // append would fit without growth
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    MappedFile* copy = nullptr;
    ASSERT_GT(MappedFile::LoadToMemory(&copy, path.c_str()), 0);
    MappedFilePtr owner(copy);
    std::vector<uint8_t> before(copy->view, copy->view + copy->size);
    const std::string rec = EntryRecord(0x02000001, "q", "w");
    EXPECT_EQ(CodeTable::AppendEntry(copy, U(rec)), 0);
    EXPECT_EQ(CodeTable::DeleteEntry(copy, 0), 0);
    EXPECT_EQ(CodeTable::RemoveCategories(copy, 0xFFFFFFFF), 0);
    EXPECT_EQ(std::vector<uint8_t>(copy->view, copy->view + copy->size), before);
}

// temp.dmg: 512 fixed slots of 260 bytes, one in use.
std::vector<uint8_t> TempTable() {
    std::vector<uint8_t> t(kTempTableSize, 0);
    StoreU32(&t[0], kTempHeapStart);
    StoreU32(&t[4], 1);
    StoreU32(&t[8], kTableKindTemp);
    for (int i = 0; i < kTempSlots; ++i)
        StoreU32(&t[kOffsetArrayStart + 4 * i], kTempHeapStart + kTempSlotSize * i);
    std::string rec = EntryRecord(0x02000000, "a", "w");
    std::copy(rec.begin(), rec.end(), t.begin() + kTempHeapStart);
    return t;
}

TEST(TableWriters, LeaveTheSlottedTemporaryTableAlone) {
    auto bytes = TempTable();
    MappedTable t(bytes);
    const std::string rec = EntryRecord(0x02000001, "b", "w");
    EXPECT_EQ(CodeTable::AppendEntry(t.get(), U(rec)), 0);
    EXPECT_EQ(CodeTable::DeleteEntry(t.get(), 0), 0);
    PrivateTempFolder temp;
    EXPECT_EQ(CodeTable::RemoveCategories(t.get(), 1u << 2), 0);
    EXPECT_EQ(t.Bytes(), bytes);
}

TEST(DeleteEntry, ClosesTheHoleAndKeepsOrder) {
    const std::vector<FixtureEntry> entries = {{"a", "1"}, {"ab", "2"}, {"b", "3"}, {"c", "4"}};
    // The fixture stores entries in sorted order, so position i is also heap entry i.
    for (int pos = 0; pos < 4; ++pos) {
        SCOPED_TRACE(pos);
        auto bytes = MakeCodeTable(entries);
        MappedTable t(bytes);
        const uint32_t h = LoadU32(&bytes[0]);
        const uint32_t off = LoadU32(&bytes[kOffsetArrayStart + 4 * pos]);
        const uint32_t s = EntrySize(&bytes[off]);
        ASSERT_EQ(CodeTable::DeleteEntry(t.get(), pos), 1);
        EXPECT_EQ(Count(t.get()), 3);
        EXPECT_EQ(HeapStart(t.get()), h + s);
        EXPECT_EQ(uint32_t(t.get()->size), bytes.size());
        // The bytes behind the deleted entry never move.
        EXPECT_EQ(std::memcmp(t.get()->view + off + s, &bytes[off + s], bytes.size() - off - s), 0);
        std::vector<std::string> words;
        for (const auto& r : ReadRows(t.get())) words.push_back(r.word);
        std::vector<std::string> expect = {"1", "2", "3", "4"};
        expect.erase(expect.begin() + pos);
        EXPECT_EQ(words, expect);
        ASSERT_EQ(CodeTable::RebuildPrefixIndex(t.get()), 1);
        EXPECT_EQ(CheckTableInvariants(t.get()), "");
    }
}

TEST(DeleteEntry, SizesKeyValueEntriesByTheirShape) {
    MappedTable t(MakeKeyValueTable({{"b", "long value"}, {"a", "1"}, {"c", "3"}}));
    ASSERT_EQ(CodeTable::DeleteEntry(t.get(), 1), 1);  // "b", stored lowest
    EXPECT_EQ(CheckTableInvariants(t.get()), "");
    KeyMatchList* list = nullptr;
    EXPECT_EQ(CodeTable::FindByKey(t.get(), L"c", &list), 1);
    FreeKeyMatchList(list);
    EXPECT_EQ(CodeTable::FindByKey(t.get(), L"b", &list), 0);
}

TEST(DeleteEntry, LastEntryLeavesAnEmptyHeap) {
    MappedTable t(MakeCodeTable({{"a", "1"}}));
    ASSERT_EQ(CodeTable::DeleteEntry(t.get(), 0), 1);
    EXPECT_EQ(Count(t.get()), 0);
    EXPECT_EQ(HeapStart(t.get()), uint32_t(t.get()->size));
    ASSERT_EQ(CodeTable::RebuildPrefixIndex(t.get()), 1);
    EXPECT_EQ(CheckTableInvariants(t.get()), "");
    // And the emptied table takes new entries again.
    const std::string rec = EntryRecord(0x01000001, "z", "w");
    ASSERT_EQ(CodeTable::AppendEntry(t.get(), U(rec)), 1);
    EXPECT_EQ(Settle(t.get()), "");
}

TEST(DeleteEntry, RefusesBadPositionsAndDamagedOffsets) {
    auto bytes = MakeCodeTable(Three());
    MappedTable t(bytes);
    for (int32_t pos : {-1, 3, INT32_MAX, INT32_MIN})
        EXPECT_EQ(CodeTable::DeleteEntry(t.get(), pos), 0) << pos;
    EXPECT_EQ(CodeTable::DeleteEntry(nullptr, 0), 0);
    EXPECT_EQ(t.Bytes(), bytes);

    auto damaged = bytes;
    StoreU32(&damaged[kOffsetArrayStart + 4], uint32_t(damaged.size() + 100));
    MappedTable d(damaged);
    EXPECT_EQ(CodeTable::DeleteEntry(d.get(), 1), 0);
    EXPECT_EQ(d.Bytes(), damaged);
    StoreU32(&damaged[kOffsetArrayStart + 4], kOffsetArrayStart);  // below the heap
    MappedTable below(damaged);
    EXPECT_EQ(CodeTable::DeleteEntry(below.get(), 0), 0);
    EXPECT_EQ(below.Bytes(), damaged);
}

TEST(ComposeFlags, OrderNeverReachesTheClassAndFlagBits) {
    struct Case {
        uint32_t order, cls;
        bool pinned;
        uint32_t flags;
    };
    const Case cases[] = {
        {1, 2, false, 0x02000001},
        {0xFFFFFFFFu /* -1 */, 1, false, 0x0100FFFF},
        {0x12345, 16, true, 0x50002345},
        {0x80000000u, 0, false, 0x00000000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ComposeFlags(c.order, c.cls, c.pinned), c.flags) << c.order;
}

// Growth failures, through the replaceable resize.
int32_t FailCleanly(MappedFile*, int64_t) { return 0; }

// Grows the file and then loses the mapping, as a failed remap leaves it.
int32_t GrowThenLoseMapping(MappedFile* f, int64_t size) {
    if (MappedFile::Resize(f, size) <= 0) return 0;
    FlushViewOfFile(f->view, 0);
    DropMapping(f);
    return 0;
}

// As above, and the file cannot be opened again.
int32_t LoseMappingAndFile(MappedFile* f, int64_t size) {
    GrowThenLoseMapping(f, size);
    std::wstring gone = std::wstring(f->path) + L".gone";
    MoveFileW(f->path, gone.c_str());
    return 0;
}

class GrowthFailure : public ::testing::Test {
protected:
    void TearDown() override { CodeTable::SetResizeFunctionForTesting(nullptr); }
};

TEST_F(GrowthFailure, LeavesTheTableAsItWasWhenItCanBeMappedAgain) {
    const std::string rec = EntryRecord(0x02000001, "b", "w");
    for (auto fn : {FailCleanly, GrowThenLoseMapping}) {
        auto bytes = MakeCodeTable(Three());
        MappedTable t(bytes);
        CodeTable::SetResizeFunctionForTesting(fn);
        EXPECT_EQ(CodeTable::AppendEntry(t.get(), U(rec)), 0);
        ASSERT_NE(t.get()->view, nullptr);
        EXPECT_EQ(t.Bytes(), bytes);
        t.Close();
        EXPECT_EQ(ReadFileBytes(t.path()), bytes);  // no stray tail on disk
    }
}

TEST_F(GrowthFailure, LeavesAnEmptyTableThatEveryOperationRefuses) {
    PrivateTempFolder temp;
    const std::string rec = EntryRecord(0x02000001, "b", "w");
    MappedTable t(MakeCodeTable(Three()));
    CodeTable::SetResizeFunctionForTesting(LoseMappingAndFile);
    EXPECT_EQ(CodeTable::AppendEntry(t.get(), U(rec)), 0);
    MappedFile* f = t.get();
    EXPECT_EQ(f->view, nullptr);
    EXPECT_EQ(f->size, 0);
    CodeTable::SetResizeFunctionForTesting(nullptr);
    EXPECT_EQ(CodeTable::AppendEntry(f, U(rec)), 0);
    EXPECT_EQ(CodeTable::DeleteEntry(f, 0), 0);
    EXPECT_EQ(CodeTable::Sort(f), 0);
    EXPECT_EQ(CodeTable::RebuildPrefixIndex(f), 0);
    EXPECT_EQ(CodeTable::RemoveCategories(f, 0xFFFFFFFF), 0);
    int32_t counters[kCategoryCounters] = {};
    EXPECT_EQ(CountEntriesByCategory(f, counters), 0);
}

}  // namespace
