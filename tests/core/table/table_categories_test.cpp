#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/record/engine.h"
#include "core/table/table_edit.h"
#include "core/table/table_format.h"
#include "support/mapped_table.h"
#include "support/table_fixture.h"
#include "support/table_invariants.h"

using namespace testing_support;

namespace {

uint32_t Cls(uint32_t c) { return ComposeFlags(7, c); }

std::vector<FixtureEntry> Mixed() {
    return {{"a", "1", Cls(1)},
            {"ab", "2", Cls(2)},
            {"b", "3", Cls(16)},
            {"b", "4", Cls(1)},
            {"c", "5", Cls(2)},
            {"\x11\x12", "6", Cls(33)},
            {"d", "7", Cls(3) | kFlagPinned | kFlagFirstLines}};
}

std::vector<std::string> Words(const MappedFile* t) {
    std::vector<std::string> out;
    for (const auto& r : ReadRows(t)) out.push_back(r.word);
    return out;
}

// Work files go to a folder of this test's own.
class RemoveCategories : public ::testing::Test {
    PrivateTempFolder temp_;
};

std::wstring WorkFilePath() {
    wchar_t path[kPathChars];
    MakeTempFilePath(kCategoryWorkFileName, path);
    return path;
}

TEST_F(RemoveCategories, RemovesTheMaskedClasses) {
    struct Case {
        const char* name;
        uint32_t mask;
        std::vector<std::string> words;  // survivors in sorted order (keypad code \x11\x12 first)
    };
    const Case cases[] = {
        {"user words", 1u << 2, {"6", "1", "3", "4", "7"}},
        {"user words and category 1", (1u << 2) | (1u << 16), {"6", "1", "4", "7"}},
        // Only the low five bits of the class count: class 33 goes with class 1.
        {"system class", 1u << 1, {"2", "3", "5", "7"}},
        {"pinned secondary entry", 1u << 3, {"6", "1", "2", "3", "4", "5"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto bytes = MakeCodeTable(Mixed());
        MappedTable t(bytes);
        ASSERT_EQ(CodeTable::RemoveCategories(t.get(), c.mask), 1);
        EXPECT_EQ(uint32_t(t.get()->size), bytes.size());
        EXPECT_EQ(Words(t.get()), c.words);
        EXPECT_EQ(CheckTableInvariants(t.get()), "");
        EXPECT_FALSE(FileExists(WorkFilePath()));
    }
}

TEST_F(RemoveCategories, AbsentClassChangesNothing) {
    auto bytes = MakeCodeTable({{"a", "1", Cls(1)}, {"b", "2", Cls(1)}});
    MappedTable t(bytes);
    ASSERT_EQ(CodeTable::RemoveCategories(t.get(), 1u << 2), 1);
    EXPECT_EQ(t.Bytes(), bytes);
    EXPECT_FALSE(FileExists(WorkFilePath()));
}

TEST_F(RemoveCategories, RemovingEverythingEmptiesTableAndIndex) {
    auto bytes = MakeCodeTable(Mixed());
    MappedTable t(bytes);
    ASSERT_EQ(CodeTable::RemoveCategories(t.get(), 0xFFFFFFFF), 1);
    EXPECT_EQ(LoadI32(t.get()->view + 4), 0);
    EXPECT_EQ(LoadU32(t.get()->view), bytes.size());
    EXPECT_EQ(CheckTableInvariants(t.get()), "");  // includes an all-zero index
    PositionRange b = CodeTable::PrefixBounds(t.get(),
                                              reinterpret_cast<const uint8_t*>("\x01"
                                                                               "b"),
                                              1);
    EXPECT_EQ(b.first, 0);
    EXPECT_EQ(b.end, 0);
    const std::string rec = EntryRecord(Cls(2), "q", "w");
    ASSERT_EQ(CodeTable::AppendEntry(t.get(), reinterpret_cast<const uint8_t*>(rec.data())), 1);
    ASSERT_EQ(CodeTable::Sort(t.get()), 1);
    ASSERT_EQ(CodeTable::RebuildPrefixIndex(t.get()), 1);
    EXPECT_EQ(CheckTableInvariants(t.get()), "");
}

int ReverseCodes(const uint8_t* a, const uint8_t* b) { return CompareLengthPrefixed(b, a); }

TEST_F(RemoveCategories, SortsAndIndexesWithTheGivenComparator) {
    MappedTable t(MakeCodeTable(Mixed()));
    ASSERT_EQ(CodeTable::RemoveCategories(t.get(), 1u << 2, ReverseCodes), 1);
    EXPECT_EQ(Words(t.get()), (std::vector<std::string>{"7", "3", "4", "1", "6"}));
    EXPECT_EQ(CheckTableInvariants(t.get(), ReverseCodes), "");
}

TEST_F(RemoveCategories, RefusesDamagedHeapsAndMissingWorkFile) {
    auto trailing = MakeCodeTable(Mixed());
    trailing.push_back(0);
    MappedTable bad(trailing);
    EXPECT_EQ(CodeTable::RemoveCategories(bad.get(), 1u << 2), 0);
    EXPECT_EQ(bad.Bytes(), trailing);
    EXPECT_EQ(CodeTable::RemoveCategories(nullptr, 1u << 2), 0);

    auto bytes = MakeCodeTable(Mixed());
    MappedTable t(bytes);
    wchar_t tmp[kPathChars], temp[kPathChars];
    GetEnvironmentVariableW(L"TMP", tmp, kPathChars);
    GetEnvironmentVariableW(L"TEMP", temp, kPathChars);
    SetEnvironmentVariableW(L"TMP", L"C:\\no_such_folder_zan\\");
    SetEnvironmentVariableW(L"TEMP", L"C:\\no_such_folder_zan\\");
    int r = CodeTable::RemoveCategories(t.get(), 1u << 2);
    SetEnvironmentVariableW(L"TMP", tmp);
    SetEnvironmentVariableW(L"TEMP", temp);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(t.Bytes(), bytes);
}

TEST(CountEntriesByCategory, AddsOnePerEntryToItsClass) {
    auto entries = Mixed();
    entries.push_back({"e", "8", 0x3F000000});
    MappedTable t(MakeCodeTable(entries));
    int32_t counters[kCategoryCounters] = {};
    counters[1] = 10;
    EXPECT_EQ(CountEntriesByCategory(t.get(), counters), 8);
    int32_t expect[kCategoryCounters] = {};
    expect[1] = 12;
    expect[2] = 2;
    expect[3] = 1;
    expect[16] = 1;
    expect[33] = 1;
    expect[63] = 1;
    for (int i = 0; i < kCategoryCounters; ++i) EXPECT_EQ(counters[i], expect[i]) << i;
    EXPECT_EQ(CountEntriesByCategory(static_cast<const MappedFile*>(nullptr), counters), 0);

    // Through the engine's main table.
    Engine* engine = static_cast<Engine*>(std::calloc(1, sizeof(Engine)));
    ASSERT_NE(engine, nullptr);
    int32_t again[kCategoryCounters] = {};
    EXPECT_EQ(CountEntriesByCategory(engine, again), 0);
    engine->mainTable = t.get();
    EXPECT_EQ(CountEntriesByCategory(engine, again), 8);
    EXPECT_EQ(again[2], 2);
    std::free(engine);
    EXPECT_EQ(CountEntriesByCategory(static_cast<const Engine*>(nullptr), again), 0);
}

}  // namespace
