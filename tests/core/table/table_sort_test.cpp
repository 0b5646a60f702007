#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/table/table_edit.h"
#include "core/table/table_format.h"
#include "support/mapped_table.h"
#include "support/table_fixture.h"
#include "support/table_invariants.h"

using namespace testing_support;

namespace {

int32_t Cell(const MappedFile* t, int a, int b) {
    return LoadI32(t->view + 156 + 4 * (a * 128 + b));
}

// Reverses the offset array of a freshly built (sorted) table.
std::vector<uint8_t> Reversed(std::vector<uint8_t> t) {
    uint32_t n = LoadU32(&t[4]);
    auto* first = &t[kOffsetArrayStart];
    for (uint32_t i = 0; i < n / 2; ++i) {
        uint8_t a[4], b[4];
        std::memcpy(a, first + 4 * i, 4);
        std::memcpy(b, first + 4 * (n - 1 - i), 4);
        std::memcpy(first + 4 * i, b, 4);
        std::memcpy(first + 4 * (n - 1 - i), a, 4);
    }
    return t;
}

std::vector<std::string> Codes(const MappedFile* t) {
    std::vector<std::string> out;
    for (const auto& r : ReadRows(t)) out.push_back(r.code + "/" + r.word);
    return out;
}

TEST(TableSort, OrdersByCodeThenWord) {
    struct Case {
        const char* name;
        std::vector<FixtureEntry> entries;
        std::vector<std::string> expect;
    };
    const Case cases[] = {
        {"prefix first", {{"b", "1"}, {"ab", "1"}, {"a", "1"}}, {"a/1", "ab/1", "b/1"}},
        {"equal codes by word bytes",
         {{"a", "y"}, {"a", "x"}, {"a", "xy"}},
         {"a/x", "a/xy", "a/y"}},
        {"unsigned bytes",
         {{"\x80", "1"}, {"\x7f", "1"}, {"\x11", "1"}},
         {"\x11/1", "\x7f/1", "\x80/1"}},
        {"word order ignores order field",
         {{"a", "2", 0x00000009}, {"a", "1", 0x0000FFFF}},
         {"a/1", "a/2"}},
    };
    for (const auto& c : cases) {
        MappedTable t(Reversed(MakeCodeTable(c.entries)));
        ASSERT_EQ(CodeTable::Sort(t.get()), 1) << c.name;
        EXPECT_EQ(Codes(t.get()), c.expect) << c.name;
        EXPECT_EQ(CheckTableInvariants(t.get()), "") << c.name;
    }
}

int ReverseCodes(const uint8_t* a, const uint8_t* b) { return CompareLengthPrefixed(b, a); }

TEST(TableSort, CodeComparatorOrdersCodesButNotWords) {
    MappedTable t(MakeCodeTable({{"a", "x"}, {"b", "y"}, {"b", "x"}, {"c", "z"}}));
    ASSERT_EQ(CodeTable::Sort(t.get(), ReverseCodes), 1);
    EXPECT_EQ(Codes(t.get()), (std::vector<std::string>{"c/z", "b/x", "b/y", "a/x"}));
    ASSERT_EQ(CodeTable::RebuildPrefixIndex(t.get(), ReverseCodes), 1);
    EXPECT_EQ(CheckTableInvariants(t.get(), ReverseCodes), "");
}

// Compares at most the first two bytes of each code.
int CompareTwoBytes(const uint8_t* a, const uint8_t* b) {
    uint8_t x[3] = {uint8_t(a[0] < 2 ? a[0] : 2), a[1], a[2]};
    uint8_t y[3] = {uint8_t(b[0] < 2 ? b[0] : 2), b[1], b[2]};
    return CompareLengthPrefixed(x, y);
}

TEST(TablePrefixIndex, IndexComparatorMayDifferFromSortComparator) {
    MappedTable t(MakeCodeTable({{"ab", "1"}, {"abc", "2"}, {"b", "3"}}));
    ASSERT_EQ(CodeTable::RebuildPrefixIndex(t.get(), CompareTwoBytes), 1);
    EXPECT_EQ(CheckTableInvariants(t.get(), nullptr, CompareTwoBytes), "");
    EXPECT_NE(CheckTableInvariants(t.get()), "");
}

TEST(TableSort, ListAndKeyValueTablesSortByTextAndKeyOnly) {
    // List table: weight, text length, text.
    std::vector<uint8_t> list = MakeCodeTable({});
    StoreU32(&list[8], kTableKindList);
    const char* texts[] = {"zeta", "alpha", "beta"};
    uint32_t n = 3, heap = FreshHeapStart(n);
    list.resize(heap);
    StoreU32(&list[0], heap);
    StoreU32(&list[4], n);
    for (uint32_t i = 0; i < n; ++i) {
        StoreU32(&list[kOffsetArrayStart + 4 * i], uint32_t(list.size()));
        uint8_t rec[5];
        StoreU32(rec, 100 - i);
        rec[4] = uint8_t(std::strlen(texts[i]));
        list.insert(list.end(), rec, rec + 5);
        list.insert(list.end(), texts[i], texts[i] + rec[4]);
    }
    MappedTable lt(list);
    ASSERT_EQ(CodeTable::Sort(lt.get()), 1);
    ASSERT_EQ(CodeTable::RebuildPrefixIndex(lt.get()), 1);
    EXPECT_EQ(CheckTableInvariants(lt.get()), "");

    MappedTable kv(Reversed(MakeKeyValueTable({{"b", "1"}, {"a", "2"}, {"c", "3"}, {"a", "1"}})));
    ASSERT_EQ(CodeTable::Sort(kv.get()), 1);
    EXPECT_EQ(CheckTableInvariants(kv.get()), "");
}

TEST(TableSort, DamagedOffsetLeavesArrayAsItWas) {
    auto bytes = Reversed(MakeCodeTable({{"b", "1"}, {"a", "1"}, {"c", "1"}}));
    StoreU32(&bytes[kOffsetArrayStart + 4], uint32_t(bytes.size() - 2));  // runs past the end
    MappedTable t(bytes);
    EXPECT_EQ(CodeTable::Sort(t.get()), 0);
    EXPECT_EQ(t.Bytes(), bytes);
}

TEST(TablePrefixIndex, OneEntryCells) {
    MappedTable t(MakeCodeTable({{"ab", "w"}}));
    // Scribble over the index first: every cell is recomputed.
    std::memset(t.get()->view + 156, 0x55, 65536);
    ASSERT_EQ(CodeTable::RebuildPrefixIndex(t.get()), 1);
    EXPECT_EQ(Cell(t.get(), 'a', 0), 0);
    EXPECT_EQ(Cell(t.get(), 'a', 1), 1);
    EXPECT_EQ(Cell(t.get(), 'a', 'b'), 0);
    EXPECT_EQ(Cell(t.get(), 'a', 'b' + 1), 1);
    EXPECT_EQ(Cell(t.get(), 'a', 'a'), 0);
    EXPECT_EQ(Cell(t.get(), 'a', 'c' + 1), 1);
    EXPECT_EQ(Cell(t.get(), 'b', 0), 1);
    EXPECT_EQ(Cell(t.get(), ' ', 0), 0);
    EXPECT_EQ(Cell(t.get(), 0x7F, 0), 0);  // not a key byte
    EXPECT_EQ(Cell(t.get(), 'a', 0x1F), 0);
    EXPECT_EQ(CheckTableInvariants(t.get()), "");
}

TEST(TablePrefixIndex, MatchesBruteForceOnMixedCodes) {
    std::mt19937 rng(7);
    const std::string alphabet = "\x0A\x11\x12\x19 az~\xE4\xB8\x80";
    std::vector<FixtureEntry> entries;
    for (int i = 0; i < 300; ++i) {
        std::string code;
        int len = 1 + int(rng() % 4);
        for (int k = 0; k < len; ++k) code += alphabet[rng() % alphabet.size()];
        std::string word = "w";
        word += std::to_string(i);
        entries.push_back({code, word});
    }
    MappedTable t(MakeCodeTable(entries));
    std::memset(t.get()->view + 156, 0, 65536);
    ASSERT_EQ(CodeTable::RebuildPrefixIndex(t.get()), 1);
    EXPECT_EQ(CheckTableInvariants(t.get()), "");
    // Lookups through the rebuilt bounds find every entry.
    for (const auto& e : entries) {
        std::string code;
        code += char(e.code.size());
        code.append(e.code);
        auto b = CodeTable::PrefixBounds(t.get(), reinterpret_cast<const uint8_t*>(code.data()), 2);
        EXPECT_GT(CodeTable::FindCode(t.get(), reinterpret_cast<const uint8_t*>(code.data()),
                                      CompareLengthPrefixed, b),
                  0);
    }
}

TEST(TablePrefixIndex, EmptyAndKeyValueTablesGetZeroIndex) {
    MappedTable empty(MakeCodeTable({}));
    std::memset(empty.get()->view + 156, 1, 65536);
    ASSERT_EQ(CodeTable::RebuildPrefixIndex(empty.get()), 1);
    EXPECT_EQ(CheckTableInvariants(empty.get()), "");
    MappedTable kv(MakeKeyValueTable({{"a", "1"}}));
    ASSERT_EQ(CodeTable::RebuildPrefixIndex(kv.get()), 1);
    EXPECT_EQ(CheckTableInvariants(kv.get()), "");
}

TEST(TableSort, MissingTable) {
    EXPECT_EQ(CodeTable::Sort(nullptr), 0);
    EXPECT_EQ(CodeTable::RebuildPrefixIndex(nullptr), 0);
    MappedFile empty{};
    EXPECT_EQ(CodeTable::Sort(&empty), 0);
    EXPECT_EQ(CodeTable::RebuildPrefixIndex(&empty), 0);
}

}  // namespace
