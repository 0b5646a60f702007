#include "engine/list_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/tabletools/list_table_builder.h"
#include "support/table_fixture.h"
#include "support/test_files.h"

using namespace testing_support;

namespace {

std::string Lp(const std::string& s) { return std::string(1, static_cast<char>(s.size())) + s; }
const uint8_t* U(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

// A list table built from lines of UTF-8 text and mapped for the test.
class ListTable {
public:
    explicit ListTable(const std::vector<std::string>& lines) {
        std::string text = "\xEF\xBB\xBF";
        for (const auto& l : lines) text += l + "\r\n";
        WriteFileBytes(dir_ / L"in.txt", text);
        EXPECT_EQ(BuildWordTableFile((dir_ / L"in.txt").c_str(), (dir_ / L"t.dmg").c_str(), nullptr,
                                     nullptr),
                  1);
        MappedFile* f = nullptr;
        MappedFile::Open(&f, (dir_ / L"t.dmg").c_str());
        file_.reset(f);
    }
    MappedFile* get() const { return file_.get(); }

private:
    TempDir dir_;
    MappedFilePtr file_;
};

struct Match {
    std::string text;
    uint32_t weight;
    bool operator==(const Match&) const = default;
};

// Collects matches up to a limit, as the candidate list does.
struct Collector {
    size_t limit = 100000;
    std::vector<Match> matches;
};
bool Collect(void* context, const uint8_t* entry, uint32_t weight) {
    auto* c = static_cast<Collector*>(context);
    if (c->matches.size() >= c->limit) return false;
    c->matches.push_back({std::string(reinterpret_cast<const char*>(entry + 5), entry[4]), weight});
    return true;
}

std::vector<Match> Search(const ListTable& t, const std::string& key, uint32_t flags) {
    Collector c;
    std::string k = Lp(key);
    int32_t n = SearchListKey(t.get(), U(k), flags, Collect, &c);
    EXPECT_EQ(n, static_cast<int32_t>(c.matches.size()));
    return c.matches;
}

TEST(MatchListEntry, PrefixLengthAndWeight) {
    struct Case {
        std::string key, text;
        uint32_t flags;
        uint32_t weight;
    };
    const std::vector<Case> cases = {
        {"ab", "abc", 0, 1},
        {"ab", "abc", kListSearchAssociation, 1},
        {"ab", "ab", 0, 0},
        {"ab", "ab", kListSearchExact, 1},
        {"ab", "ab", kListSearchTempEnglish, 250},
        {"ab", "abcd", kListSearchWeightByLength, 248},
        {"ab", "a", kListSearchTempEnglish, 0},
        {"ab", "ac", kListSearchTempEnglish, 0},
        {"ab", "AB", kListSearchTempEnglish, 0},
        {"a", std::string(250, 'a'), kListSearchWeightByLength, 1},
        {"a", std::string(249, 'a'), kListSearchWeightByLength, 2},
        // Longer differences than any stored text still weigh at least 1.
        {"a", std::string(255, 'a'), kListSearchWeightByLength, 1},
        {"", std::string(255, 'x'), kListSearchWeightByLength, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key + " / " + c.text.substr(0, 8) + " / " + std::to_string(c.flags));
        std::string k = Lp(c.key), t = Lp(c.text);
        EXPECT_EQ(MatchListEntry(U(k), U(t), c.flags), c.weight);
    }
}

TEST(FindListRange, CoversExactlyTheTextsStartingWithTheKey) {
    ListTable t({"b", "ab", "a", "abc", "a`z", "a~", "abd", "ac", "\xE4\xB8\xAD",
                 "\xE4\xB8\xAD\xE6\x96\x87", "\xE4\xB8\xAE"});
    // Sorted: a a`z ab abc abd ac a~ b 中 中文 丮
    struct Case {
        std::string key;
        int32_t first, end;
    };
    const std::vector<Case> cases = {
        {"ab", 2, 5},
        {"a", 0, 7},
        {"b", 7, 8},
        {"c", 8, 8},
        {"abd", 4, 5},
        {"abdd", 5, 5},
        {"\xE4\xB8\xAD", 8, 10},
        {"\xE4\xB8", 8, 11},
        {"", 0, 11},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        std::string k = Lp(c.key);
        PositionRange r = FindListRange(t.get(), U(k));
        EXPECT_EQ(r.first, c.first);
        EXPECT_EQ(r.end, c.end);
    }
}

TEST(SearchListKey, Association) {
    ListTable t({"\xE4\xB8\xAD\xE5\x9B\xBD", "\xE4\xB8\xAD\xE5\x9B\xBD\xE4\xBA\xBA",
                 "\xE4\xB8\xAD\xE5\x9B\xBD\xE4\xBA\xBA\xE6\xB0\x91", "\xE4\xB8\xAD\xE6\x96\x87",
                 "\xE4\xB8\xAD"});
    // 中国 continues as 中国人 and 中国人民; the entry equal to the key is not offered.
    EXPECT_EQ(Search(t, "\xE4\xB8\xAD\xE5\x9B\xBD", kListSearchAssociation),
              (std::vector<Match>{{"\xE4\xB8\xAD\xE5\x9B\xBD\xE4\xBA\xBA", 1},
                                  {"\xE4\xB8\xAD\xE5\x9B\xBD\xE4\xBA\xBA\xE6\xB0\x91", 1}}));
    EXPECT_TRUE(
        Search(t, "\xE4\xB8\xAD\xE5\x9B\xBD\xE4\xBA\xBA\xE6\xB0\x91", kListSearchAssociation)
            .empty());
    EXPECT_TRUE(Search(t, "x", kListSearchAssociation).empty());
}

TEST(SearchListKey, AssociationWithHashSeparator) {
    ListTable t({"ab#c", "ab#de", "abc#d", "ab", "ab#"});
    EXPECT_EQ(Search(t, "ab", kListSearchAssociation | kListSearchAppendHash),
              (std::vector<Match>{{"ab#c", 1}, {"ab#de", 1}}));
}

TEST(SearchListKey, EnglishBothCasesShorterFirst) {
    ListTable t({"ab", "abc", "ABLE", "About", "b", "AB", "abacus"});
    EXPECT_EQ(Search(t, "ab", kListSearchTempEnglish),
              (std::vector<Match>{
                  {"ab", 250}, {"abacus", 246}, {"abc", 249}, {"AB", 250}, {"ABLE", 248}}));
    // The typed case does not matter: the key is searched lower, then upper.
    EXPECT_EQ(Search(t, "aB", kListSearchTempEnglish), Search(t, "ab", kListSearchTempEnglish));
}

TEST(SearchListKey, KeyWithoutLettersIsSearchedOnce) {
    ListTable t({"12", "123", "1234", "12a"});
    EXPECT_EQ(Search(t, "12", kListSearchTempEnglish),
              (std::vector<Match>{{"12", 250}, {"123", 249}, {"1234", 248}, {"12a", 249}}));
}

TEST(SearchListKey, StopsWhenTheListIsFull) {
    std::vector<std::string> lines;
    for (int i = 0; i < 2600; ++i) {
        char buf[16];
        snprintf(buf, sizeof buf, "w%04d", i);
        lines.push_back(buf);
    }
    ListTable t(lines);
    Collector c;
    c.limit = static_cast<size_t>(kListCandidateLimit);
    std::string k = Lp("w");
    EXPECT_EQ(SearchListKey(t.get(), U(k), kListSearchTempEnglish, Collect, &c),
              kListCandidateLimit);
    ASSERT_EQ(c.matches.size(), static_cast<size_t>(kListCandidateLimit));
    EXPECT_EQ(c.matches.front().text, "w0000");
    EXPECT_EQ(c.matches.back().text, "w2499");
    // The upper-case pass finds the list full at once.
    k = Lp("W");
    EXPECT_EQ(SearchListKey(t.get(), U(k), kListSearchTempEnglish, Collect, &c), 0);
}

TEST(SearchListKey, NothingFromMissingEmptyOrForeignTables) {
    Collector c;
    std::string k = Lp("a");
    EXPECT_EQ(SearchListKey(nullptr, U(k), kListSearchAssociation, Collect, &c), 0);
    ListTable t({"ab"});
    std::string empty = Lp("");
    EXPECT_EQ(SearchListKey(t.get(), U(empty), kListSearchAssociation, Collect, &c), 0);
    // A main table is not a list table: its entries have another shape.
    TempDir dir;
    WriteFileBytes(dir / L"m.dmg", MakeCodeTable({{"a", "ab"}, {"ab", "x"}}));
    MappedFile* f = nullptr;
    ASSERT_GT(MappedFile::Open(&f, (dir / L"m.dmg").c_str()), 0);
    MappedFilePtr main(f);
    EXPECT_EQ(SearchListKey(f, U(k), kListSearchAssociation, Collect, &c), 0);
    EXPECT_TRUE(c.matches.empty());
}

}  // namespace
