#include "engine/temp_words.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "learning_fixture.h"

using namespace learning_test;
using testing_support::EntryRecord;

namespace {

const uint8_t* U(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

std::string Code(int i) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "w%03d", i);
    return buf;
}

uint32_t OrderOf(const std::vector<TempRow>& rows, const std::string& code) {
    for (const auto& r : rows)
        if (r.code == code) return r.flags & kOrderMask;
    return 0xFFFFFFFF;
}

TEST(InsertTemp, FillsFreeSlotsWithAgeRanksInSortedOrder) {
    MappedTable t(MakeTempTable({}));
    // Top flag byte kept, bits 16-23 and the old order dropped.
    EXPECT_EQ(CodeTable::InsertTemp(t.get(), U(EntryRecord(0x02FF1234, "b", "乙"))), 1);
    EXPECT_EQ(CodeTable::InsertTemp(t.get(), U(EntryRecord(0, "a", "甲"))), 1);
    EXPECT_EQ(CodeTable::InsertTemp(t.get(), U(EntryRecord(0, "ab", "丙"))), 1);
    EXPECT_EQ(CodeTable::InsertTemp(t.get(), U(EntryRecord(0, "a", "丁"))), 1);
    const std::vector<TempRow> expect = {
        {"a", "丁", 3}, {"a", "甲", 1}, {"ab", "丙", 2}, {"b", "乙", 0x02000000}};
    EXPECT_EQ(TempRows(t.get()), expect);
    EXPECT_EQ(CheckTempLayout(t.get()), "");
}

TEST(InsertTemp, The513thWordReplacesTheOldest) {
    MappedTable t(MakeTempTable({}));
    // Inserted in falling code order, so that sorting really moves offsets.
    for (int i = 0; i < kTempSlots; ++i)
        ASSERT_EQ(CodeTable::InsertTemp(t.get(), U(EntryRecord(0, Code(kTempSlots - 1 - i), "词"))),
                  1);
    ASSERT_EQ(LoadI32(t.get()->view + 4), kTempSlots);
    const auto full = TempRows(t.get());
    EXPECT_EQ(OrderOf(full, Code(kTempSlots - 1)), 0u);
    EXPECT_EQ(OrderOf(full, Code(0)), 511u);

    EXPECT_EQ(CodeTable::InsertTemp(t.get(), U(EntryRecord(0x02000000, "new", "新"))), 1);
    const auto rows = TempRows(t.get());
    ASSERT_EQ(rows.size(), static_cast<size_t>(kTempSlots));
    EXPECT_EQ(OrderOf(rows, Code(kTempSlots - 1)), 0xFFFFFFFFu);  // the oldest is gone
    EXPECT_EQ(OrderOf(rows, "new"), 511u);
    EXPECT_EQ(rows[0], (TempRow{"new", "新", 0x02000000u | 511}));
    // The other 511 keep their words; each is one rank older.
    for (int i = 0; i < kTempSlots - 1; ++i)
        EXPECT_EQ(OrderOf(rows, Code(i)), static_cast<uint32_t>(kTempSlots - 2 - i)) << i;
    EXPECT_EQ(CheckTempLayout(t.get()), "");
}

TEST(RemoveAt, FreesTheSlotAndYoungerWordsAgeDown) {
    MappedTable t(MakeTempTable({{"c", "丙", 0}, {"a", "甲", 2}, {"b", "乙", 1}, {"d", "丁", 3}}));
    const uint32_t freed = LoadU32(t.get()->view + kOffsetArrayStart + 4 * 1);  // "b"
    EXPECT_EQ(CodeTable::RemoveAt(t.get(), 1), 1);
    const std::vector<TempRow> expect = {{"a", "甲", 1}, {"c", "丙", 0}, {"d", "丁", 2}};
    EXPECT_EQ(TempRows(t.get()), expect);
    EXPECT_EQ(LoadU32(t.get()->view + kOffsetArrayStart + 4 * 3), freed);
    EXPECT_EQ(std::vector<uint8_t>(t.get()->view + freed, t.get()->view + freed + kTempSlotSize),
              std::vector<uint8_t>(kTempSlotSize, 0));
    EXPECT_EQ(CheckTempLayout(t.get()), "");
    // The freed slot is the next one filled.
    EXPECT_EQ(CodeTable::InsertTemp(t.get(), U(EntryRecord(0, "e", "戊"))), 1);
    EXPECT_EQ(TempRows(t.get()).back(), (TempRow{"e", "戊", 3}));
    EXPECT_EQ(LoadU32(t.get()->view + kOffsetArrayStart + 4 * 3), freed);
}

TEST(TempTableWriters, RefuseWhatTheyCannotStoreSafely) {
    const auto fresh = MakeTempTable({{"a", "甲", 0}});
    struct Damage {
        const char* name;
        void (*apply)(std::vector<uint8_t>&);
    };
    const Damage damages[] = {
        {"count above 512", [](std::vector<uint8_t>& t) { StoreU32(&t[4], 513); }},
        {"negative count", [](std::vector<uint8_t>& t) { StoreU32(&t[4], 0xFFFFFFFF); }},
        {"not a temporary table", [](std::vector<uint8_t>& t) { StoreU32(&t[8], kTableKindMain); }},
        {"slot listed twice",
         [](std::vector<uint8_t>& t) { StoreU32(&t[kOffsetArrayStart + 4 * 7], kTempHeapStart); }},
        {"offset between slots",
         [](std::vector<uint8_t>& t) {
             StoreU32(&t[kOffsetArrayStart + 4 * 7], kTempHeapStart + 3);
         }},
        {"offset past the last slot",
         [](std::vector<uint8_t>& t) { StoreU32(&t[kOffsetArrayStart + 4 * 7], kTempTableSize); }},
        {"used entry overruns its slot",
         [](std::vector<uint8_t>& t) { t[kTempHeapStart + 6] = 255; }},
        {"short file", [](std::vector<uint8_t>& t) { t.resize(kTempTableSize - 1); }},
    };
    const std::string rec = EntryRecord(0, "b", "乙");
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.name);
        auto bytes = fresh;
        d.apply(bytes);
        MappedTable t(bytes);
        EXPECT_EQ(CodeTable::InsertTemp(t.get(), U(rec)), 0);
        EXPECT_EQ(CodeTable::RemoveAt(t.get(), 0), 0);
        EXPECT_EQ(t.Bytes(), bytes);
    }
    {
        SCOPED_TRACE("entries and positions");
        MappedTable t(fresh);
        EXPECT_EQ(CodeTable::InsertTemp(
                      t.get(), U(EntryRecord(0, std::string(120, 'c'), std::string(125, 'w')))),
                  0);
        EXPECT_EQ(CodeTable::InsertTemp(
                      t.get(), U(EntryRecord(0, std::string(120, 'c'), std::string(124, 'w')))),
                  1);
        EXPECT_EQ(CodeTable::InsertTemp(t.get(), U(EntryRecord(0, "", "w"))), 0);
        EXPECT_EQ(CodeTable::InsertTemp(t.get(), nullptr), 0);
        EXPECT_EQ(CodeTable::RemoveAt(t.get(), 2), 0);
        EXPECT_EQ(CodeTable::RemoveAt(t.get(), -1), 0);
        EXPECT_EQ(CodeTable::InsertTemp(nullptr, U(rec)), 0);
        EXPECT_EQ(CodeTable::RemoveAt(nullptr, 0), 0);
    }
    {
        SCOPED_TRACE("private copy");
        testing_support::TempDir dir;
        testing_support::WriteFileBytes(dir / L"temp.dmg", fresh);
        MappedFile* copy = nullptr;
        ASSERT_GT(MappedFile::LoadToMemory(&copy, (dir / L"temp.dmg").c_str()), 0);
        MappedFilePtr owner(copy);
        EXPECT_EQ(CodeTable::InsertTemp(copy, U(rec)), 0);
        EXPECT_EQ(CodeTable::RemoveAt(copy, 0), 0);
        EXPECT_EQ(LoadI32(copy->view + 4), 1);
    }
}

}  // namespace
