#include "engine/code_ranges.h"

#include <gtest/gtest.h>

#include "support/table_fixture.h"

using testing_support::FixtureEntry;

namespace {

MappedFile Wrap(std::vector<uint8_t>& bytes) {
    MappedFile f{};
    f.size = static_cast<int32_t>(bytes.size());
    f.view = bytes.data();
    return f;
}

std::string Lp(const std::string& s) { return std::string(1, char(s.size())) + s; }
const uint8_t* U(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

// Sorted positions: 0 "\x11", 1 "\x11\x12", 2 "\x11\x12\x13", 3 a, 4 a, 5 ab, 6 abc, 7 abd,
// 8 b, 9 zz, 10 中, 11 中文.
std::vector<FixtureEntry> Entries() {
    return {{"a", "1"},   {"a", "2"},    {"ab", "3"},   {"abc", "4"},      {"abd", "5"},
            {"b", "6"},   {"zz", "7"},   {"\x11", "8"}, {"\x11\x12", "9"}, {"\x11\x12\x13", "10"},
            {"中", "11"}, {"中文", "12"}};
}

TEST(CodeRanges, EqualAndPrefixRanges) {
    struct Case {
        std::string key;
        PositionRange code, prefix;
    };
    const Case cases[] = {
        {"a", {3, 5}, {3, 8}},      {"ab", {5, 6}, {5, 8}},       {"abc", {6, 7}, {6, 7}},
        {"abe", {8, 8}, {8, 8}},    {"b", {8, 9}, {8, 9}},        {"c", {9, 9}, {9, 9}},
        {"z", {9, 9}, {9, 10}},     {"zz", {9, 10}, {9, 10}},     {"zzz", {10, 10}, {10, 10}},
        {"\x11", {0, 1}, {0, 3}},   {"\x11\x12", {1, 2}, {1, 3}}, {"\x11\x12\x13", {2, 3}, {2, 3}},
        {"中", {10, 11}, {10, 12}}, {"中文", {11, 12}, {11, 12}}, {"0", {0, 0}, {0, 0}},
    };
    // The main table narrows by its prefix index; the temporary kind has none to trust.
    for (uint32_t kind : {1u, 3u}) {
        auto bytes = testing_support::MakeCodeTable(Entries(), kind);
        MappedFile t = Wrap(bytes);
        for (const Case& c : cases) {
            std::string key = Lp(c.key);
            PositionRange code = CodeTable::GetCodeRange(&t, U(key));
            PositionRange prefix = CodeTable::GetPrefixRange(&t, U(key));
            EXPECT_EQ(code.end - code.first, c.code.end - c.code.first)
                << c.key << " kind " << kind;
            if (c.code.end > c.code.first) {
                EXPECT_EQ(code.first, c.code.first) << c.key;
            }
            EXPECT_EQ(prefix.end - prefix.first, c.prefix.end - c.prefix.first)
                << c.key << " kind " << kind;
            if (c.prefix.end > c.prefix.first) {
                EXPECT_EQ(prefix.first, c.prefix.first) << c.key;
            }
        }
    }
}

TEST(CodeRanges, PrefixOfTheFirstBytes) {
    auto bytes = testing_support::MakeCodeTable(Entries(), 1);
    MappedFile t = Wrap(bytes);
    std::string key = Lp("abx");
    PositionRange r = CodeTable::GetPrefixRangeFrom(&t, U(key), 2);
    EXPECT_EQ(r.first, 5);
    EXPECT_EQ(r.end, 8);
    r = CodeTable::GetPrefixRangeFrom(&t, U(key), 9);  // cut to the key
    EXPECT_EQ(r.end - r.first, 0);
    r = CodeTable::GetPrefixRangeFrom(&t, U(key), 0);
    EXPECT_EQ(r.end - r.first, 0);
}

TEST(CodeRanges, MissingOrDamagedTables) {
    std::string key = Lp("a");
    EXPECT_EQ(CodeTable::GetCodeRange(nullptr, U(key)).end, 0);
    auto empty = testing_support::MakeCodeTable({}, 1);
    MappedFile t = Wrap(empty);
    PositionRange r = CodeTable::GetPrefixRange(&t, U(key));
    EXPECT_EQ(r.end - r.first, 0);
    // An index cell beyond the count is clamped, a shortened view shrinks the count.
    auto bytes = testing_support::MakeCodeTable(Entries(), 1);
    int32_t huge = 1 << 30;
    std::memcpy(&bytes[156 + 4 * ('a' * 128 + 1)], &huge, 4);
    bytes.resize(kOffsetArrayStart + 4 * 3);
    MappedFile cut = Wrap(bytes);
    r = CodeTable::GetPrefixRange(&cut, U(key));
    EXPECT_LE(r.end, 3);
    r = CodeTable::GetCodeRange(&cut, U(Lp("abc")));
    EXPECT_LE(r.end, 3);
}

}  // namespace
