// Random sequences of appends, deletes and category removals, checked after every step
// against a multiset model and the table invariants.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "core/table/table_edit.h"
#include "core/table/table_format.h"
#include "support/mapped_table.h"
#include "support/table_fixture.h"
#include "support/table_invariants.h"

using namespace testing_support;

namespace {

struct RowLess {
    bool operator()(const TableRow& a, const TableRow& b) const {
        return std::tie(a.code, a.word, a.flags) < std::tie(b.code, b.word, b.flags);
    }
};
using Model = std::multiset<TableRow, RowLess>;

const uint8_t* U(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

class Generator {
public:
    explicit Generator(unsigned seed) : rng_(seed) {}
    unsigned Below(unsigned n) { return rng_() % n; }
    std::string Code() {
        static const char* pieces[] = {"\x11", "\x12", "\x19", "\x0A", "a", "b", "z", " ", "~"};
        std::string c;
        for (unsigned k = 0, n = 1 + Below(4); k < n; ++k) c += pieces[Below(9)];
        return c;
    }
    std::string Word() {
        static const char* pieces[] = {"\xE4\xB8\x80", "\xE4\xBA\x8C", "x", "yz",
                                       "\xF0\x9F\x98\x80"};
        std::string w;
        for (unsigned k = 0, n = 1 + Below(3); k < n; ++k) w += pieces[Below(5)];
        return w;
    }
    uint32_t Flags() {
        static const uint32_t classes[] = {1, 2, 3, 16, 17};
        return ComposeFlags(Below(0x10000), classes[Below(5)], Below(4) == 0);
    }

private:
    std::mt19937 rng_;
};

std::vector<TableRow> Sorted(std::vector<TableRow> rows) {
    std::sort(rows.begin(), rows.end(), RowLess());
    return rows;
}

void RunSequence(unsigned seed, int steps) {
    SCOPED_TRACE(seed);
    PrivateTempFolder temp;
    Generator g(seed);
    std::vector<FixtureEntry> start;
    Model model;
    for (int i = 0; i < 12; ++i) {
        FixtureEntry e{g.Code(), g.Word(), g.Flags()};
        // The builder never stores the same code and word twice.
        if (std::any_of(start.begin(), start.end(), [&](const FixtureEntry& x) {
                return x.code == e.code && x.word == e.word;
            }))
            continue;
        start.push_back(e);
        model.insert({e.flags, e.code, e.word});
    }
    MappedTable t(MakeCodeTable(start));
    ASSERT_EQ(CheckTableInvariants(t.get()), "");

    // How appends were placed: below the heap, by moving the lowest entry, at the end.
    int placed[3] = {};
    auto notePlacement = [&](uint32_t size0, uint32_t heap0) {
        MappedFile* f = t.get();
        uint32_t heap = LoadU32(f->view);
        if (uint32_t(f->size) == size0)
            ++placed[0];
        else if (heap > heap0)
            ++placed[1];
        else
            ++placed[2];
    };

    for (int step = 0; step < steps; ++step) {
        SCOPED_TRACE(step);
        MappedFile* f = t.get();
        int32_t count = LoadI32(f->view + 4);
        unsigned op = g.Below(20);
        const uint32_t size0 = uint32_t(f->size), heap0 = LoadU32(f->view);
        if (op < 10 || count == 0) {
            TableRow row{g.Flags(), g.Code(), g.Word()};
            ASSERT_EQ(CodeTable::AppendEntry(f, U(EntryRecord(row.flags, row.code, row.word))), 1);
            notePlacement(size0, heap0);
            model.insert(row);
            ASSERT_EQ(CodeTable::Sort(f), 1);
            ASSERT_EQ(CodeTable::RebuildPrefixIndex(f), 1);
        } else if (op < 12) {
            // A copy of an entry of the same table, straight from the view.
            int32_t pos = int32_t(g.Below(uint32_t(count)));
            TableView v = MakeTableView(f);
            const uint8_t* e = v.EntryAt(pos);
            ASSERT_NE(e, nullptr);
            model.insert(ReadRows(f)[pos]);
            ASSERT_EQ(CodeTable::AppendEntry(f, e), 1);
            notePlacement(size0, heap0);
            ASSERT_EQ(CodeTable::Sort(f), 1);
            ASSERT_EQ(CodeTable::RebuildPrefixIndex(f), 1);
        } else if (op < 19) {
            int32_t pos = int32_t(g.Below(uint32_t(count)));
            TableRow gone = ReadRows(f)[pos];
            ASSERT_EQ(CodeTable::DeleteEntry(f, pos), 1);
            model.erase(model.find(gone));
            // Deletion keeps the order; only the index needs rebuilding.
            ASSERT_EQ(CodeTable::RebuildPrefixIndex(f), 1);
        } else {
            static const uint32_t classes[] = {1, 2, 3, 16, 17};
            uint32_t mask = 1u << classes[g.Below(5)];
            ASSERT_EQ(CodeTable::RemoveCategories(f, mask), 1);
            for (auto it = model.begin(); it != model.end();)
                it = (mask & (1u << (EntryClassOf(it->flags) & 0x1F))) ? model.erase(it) : ++it;
        }
        f = t.get();
        ASSERT_EQ(CheckTableInvariants(f), "");
        std::vector<TableRow> rows = ReadRows(f);
        ASSERT_EQ(Sorted(rows), std::vector<TableRow>(model.begin(), model.end()));
        // Every entry is found through its prefix bounds.
        if (!rows.empty()) {
            const TableRow& r = rows[g.Below(uint32_t(rows.size()))];
            std::string key;
            key += char(r.code.size());
            key += r.code;
            key += char(r.word.size());
            key += r.word;
            int64_t found = CodeTable::FindEntry(f, U(key));
            ASSERT_GT(found, 0);
            EXPECT_EQ(rows[found - 1].code, r.code);
            EXPECT_EQ(rows[found - 1].word, r.word);
            PositionRange b = CodeTable::PrefixBounds(f, U(key), 2);
            EXPECT_GT(CodeTable::FindCode(f, U(key), CompareLengthPrefixed, b), 0);
        }
    }
    for (int k = 0; k < 3; ++k) EXPECT_GT(placed[k], 0) << "placement " << k;
}

TEST(TableEditRandom, MatchesMultisetModel) {
    for (unsigned seed : {1u, 2u, 3u}) RunSequence(seed, 400);
}

}  // namespace
