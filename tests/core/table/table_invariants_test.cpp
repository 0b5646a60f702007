#include "support/table_invariants.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/table/table_format.h"
#include "support/table_fixture.h"

using namespace testing_support;

namespace {

void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x) { std::memcpy(&v[at], &x, 4); }
uint32_t Get32(const std::vector<uint8_t>& v, size_t at) { return LoadU32(&v[at]); }
size_t Cell(int a, int b) { return 156 + 4 * (a * 128 + b); }

std::vector<uint8_t> Sample() {
    return MakeCodeTable({{"ab", "x"}, {"a", "y"}, {"abc", "z"}, {"zz", "q"}, {"\x11\x12", "w"}});
}

TEST(TableInvariants, BuiltTablesHold) {
    EXPECT_EQ(CheckTableInvariants(MakeCodeTable({})), "");
    EXPECT_EQ(CheckTableInvariants(Sample()), "");
    EXPECT_EQ(CheckTableInvariants(MakeKeyValueTable({{"b", "1"}, {"a", "2"}, {"a", "3"}})), "");
}

TEST(TableInvariants, EachBrokenInvariantIsReported) {
    struct Case {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> breakIt;
        const char* expectIn;  // part of the report
    };
    const Case cases[] = {
        {"count too high", [](auto& t) { Put32(t, 4, 6); }, "count"},
        {"heap start below array", [](auto& t) { Put32(t, 0, kOffsetArrayStart + 4 * 4); },
         "below the end of the offset array"},
        {"heap start past end", [](auto& t) { Put32(t, 0, uint32_t(t.size() + 1)); },
         "past the end"},
        {"trailing bytes", [](auto& t) { t.push_back(0); }, "heap entry at"},
        {"offset inside an entry",
         [](auto& t) { Put32(t, kOffsetArrayStart, Get32(t, kOffsetArrayStart) + 1); },
         "not the start of a heap entry"},
        {"two offsets to one entry",
         [](auto& t) { Put32(t, kOffsetArrayStart + 4, Get32(t, kOffsetArrayStart)); },
         "two offsets"},
        {"swapped offsets",
         [](auto& t) {
             uint32_t a = Get32(t, kOffsetArrayStart), b = Get32(t, kOffsetArrayStart + 4);
             Put32(t, kOffsetArrayStart, b);
             Put32(t, kOffsetArrayStart + 4, a);
         },
         "out of order"},
        {"stale one-byte cell", [](auto& t) { Put32(t, Cell('a', 1), 1); }, "prefix cell [97][1]"},
        {"stale two-byte cell", [](auto& t) { Put32(t, Cell('a', 'b' + 1), 0); },
         "prefix cell [97][99]"},
        {"cell outside the key bytes", [](auto& t) { Put32(t, Cell(0x80 - 1, 0x7F), 1); },
         "prefix cell [127][127]"},
        {"empty code", [](auto& t) { t[Get32(t, 0) + 4] = 0; }, "heap entry at"},
    };
    for (const auto& c : cases) {
        auto t = Sample();
        c.breakIt(t);
        std::string r = CheckTableInvariants(t);
        EXPECT_NE(r.find(c.expectIn), std::string::npos) << c.name << ": " << r;
    }
}

TEST(TableInvariants, ListAndKeyValueTablesCarryNoIndex) {
    auto kv = MakeKeyValueTable({{"a", "1"}});
    Put32(kv, Cell('a', 0), 0);
    Put32(kv, Cell('a', 1), 1);
    EXPECT_NE(CheckTableInvariants(kv).find("prefix cell"), std::string::npos);
    auto unsorted = MakeKeyValueTable({{"a", "1"}, {"b", "2"}});
    uint32_t x = Get32(unsorted, kOffsetArrayStart), y = Get32(unsorted, kOffsetArrayStart + 4);
    Put32(unsorted, kOffsetArrayStart, y);
    Put32(unsorted, kOffsetArrayStart + 4, x);
    EXPECT_NE(CheckTableInvariants(unsorted).find("out of order"), std::string::npos);
}

}  // namespace
