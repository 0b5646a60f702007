#include "tablegen/typing_measure.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engine_fixture.h"

namespace {

using engine_test::Flags;
using engine_test::TestEngine;

// Under keypad code 64 seven characters, 你 first and 拟 seventh (second page of five);
// 好 alone under 486; no entry for the word 你好.
std::vector<testing_support::FixtureEntry> Entries() {
    std::vector<testing_support::FixtureEntry> e;
    const char* words[] = {"你", "呢", "尼", "泥", "逆", "匿", "拟"};
    for (int i = 0; i < 7; ++i) e.push_back({"\x16\x14", words[i], Flags(900 - 100 * i, 1)});
    e.push_back({"\x14\x18\x16", "好", Flags(500, 1)});
    return e;
}

class Measure : public testing::Test {
protected:
    Measure() : t(Entries()) {
        for (int c = 0x11; c <= 0x19; ++c) t.e->dme->keyClass[c] = kKeyCodeStart | kKeyCodeContinue;
    }
    TestEngine t;
};

TEST(ParseCorpus, SkipsMalformedLines) {
    const std::vector<CorpusWord> words = ParseCorpus(
        "你\t64\n"
        "你好\t64486\t你\t64\t好\t486\r\n"
        "no tab\n"
        "你\t6a4\n"          // not keypad digits
        "你\t604\n"          // 0 starts no syllable
        "你\t\n"             // no code
        "你好\t64486\t你\n"  // a character without its code
        "\t64\n");
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[0].word, "你");
    EXPECT_EQ(words[0].digits, "64");
    EXPECT_TRUE(words[0].characters.empty());
    ASSERT_EQ(words[1].characters.size(), 2u);
    EXPECT_EQ(words[1].characters[1].first, "好");
    EXPECT_EQ(words[1].characters[1].second, "486");
}

TEST_F(Measure, RanksAndKeys) {
    int64_t pageSize = 0;
    EXPECT_EQ(RankOfWord(t.e, "64", "你", &pageSize), 0);
    EXPECT_EQ(pageSize, 5);
    EXPECT_EQ(RankOfWord(t.e, "64", "拟", &pageSize), 6);
    EXPECT_EQ(RankOfWord(t.e, "64", "好", &pageSize), -1);
    EXPECT_EQ(RankOfWord(t.e, "7", "你", &pageSize), -1);  // a code without entries

    const TypingReport r = MeasureCorpus(t.e, ParseCorpus("你\t64\n"
                                                          "泥\t64\n"
                                                          "拟\t64\n"
                                                          "你好\t64486\t你\t64\t好\t486\n"));
    EXPECT_EQ(r.all.words, 4);
    EXPECT_EQ(r.all.first, 1);
    EXPECT_EQ(r.all.topThree, 1);  // 泥 is fourth
    EXPECT_EQ(r.all.firstPage, 2);
    EXPECT_EQ(r.all.notFound, 1);
    EXPECT_EQ(r.all.characters, 5);
    // 你 3, 泥 3, 拟 2 digits + a page-down + selection = 4, 你好 typed as 你 3 + 好 4.
    EXPECT_EQ(r.all.keys, 3 + 3 + 4 + 7);
    EXPECT_EQ(r.single.words, 3);
    EXPECT_EQ(r.single.keys, 10);
    ASSERT_EQ(r.missing.size(), 1u);
    EXPECT_EQ(r.missing[0].first, "你好");
    ASSERT_EQ(r.late.size(), 1u);
    EXPECT_EQ(r.late[0].first, "拟");
}

}  // namespace
