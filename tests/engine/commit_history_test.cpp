// The history of the last 16 commits and the code slots of each remembered word.
#include "engine/commit_history.h"

#include <gtest/gtest.h>

#include "core/tabletools/table_text_decode.h"
#include "learning_fixture.h"

using namespace learning_test;

namespace {

TEST(RememberCommit, SeventeenthCommitDropsTheOldest) {
    std::vector<FixtureEntry> words;
    const std::wstring chars = L"一二三四五六七八九十甲乙丙丁戊己庚";
    for (size_t i = 0; i < chars.size(); ++i)
        words.push_back(
            {std::string(1, char('a' + i)), testing_support::Narrow(chars.substr(i, 1)), 1});
    LearningEngine t(words);
    for (size_t i = 0; i < chars.size(); ++i) {
        ASSERT_EQ(t.Commit(false, std::string(1, char('a' + i)), words[i].word), 1);
        EXPECT_EQ(t.e->ime->recentCount, std::min<uint32_t>(i + 1, 16));
    }
    for (uint32_t i = 0; i < 16; ++i) {
        EXPECT_EQ(t.HistoryText(i), chars.substr(i + 1, 1)) << i;
        EXPECT_EQ(t.Slot(i, 1), std::wstring(1, wchar_t('b' + i))) << i;
        EXPECT_EQ(t.e->ime->recentOutputs[i].charCount, 1);
        EXPECT_EQ(t.e->ime->recentOutputs[i].utf8Length, 3);
    }
}

TEST(RememberCommit, DamagedCountStartsTheHistoryAgain) {
    LearningEngine t({{"a", "阿", 1}});
    t.e->ime->recentCount = 40;
    EXPECT_EQ(t.Commit(false, "a", "阿"), 1);
    EXPECT_EQ(t.e->ime->recentCount, 1u);
    EXPECT_EQ(t.HistoryText(0), L"阿");
    EXPECT_EQ(HistoryCount(t.e->ime), 1u);
    t.e->ime->recentCount = 17;
    EXPECT_EQ(HistoryCount(t.e->ime), 0u);
}

TEST(RememberCommit, RefusesWhatIsNoWordToLearn) {
    const std::string long49(49, 'x'), y48(48, 'y');
    LearningEngine t({{"a", "阿", 0x04000001},
                      {"b", long49, 1},
                      {"c", "$kxcmd(run)", 1},
                      {"d", "阿", 1},
                      {"e", y48, 1},
                      {"f", "$kxcm", 1}});
    struct Case {
        const char* code;
        const char* word;
        uint32_t state;
        int remembered;
    };
    const Case cases[] = {
        {"a", "阿", 0, 0},            // auxiliary-code entry
        {"b", long49.c_str(), 0, 0},  // longer than 48 bytes
        {"c", "$kxcmd(run)", 0, 0},   // command entry
        {"d", "阿", kStateEnglishMode, 0},
        {"d", "阿", kStateTempEnglish, 0},
        {"d", "阿", kStateAssociation, 0},
        {"e", y48.c_str(), 0, 1},  // 48 bytes still fit
        {"f", "$kxcm", 0, 1},      // short words are never commands
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        t.Show({{false, c.code, c.word}});
        t.e->state = c.state;
        const uint32_t before = t.e->ime->recentCount;
        EXPECT_EQ(Engine::RememberCommit(t.e, 0), c.remembered);
        EXPECT_EQ(t.e->ime->recentCount, before + c.remembered);
    }
    t.e->state = 0;
    t.Show({{false, "d", "阿"}});
    EXPECT_EQ(Engine::RememberCommit(t.e, 1), 0);
    EXPECT_EQ(Engine::RememberCommit(t.e, -1), 0);
    // 48 ASCII letters keep 35 units and the terminating NUL.
    EXPECT_EQ(t.HistoryText(0), std::wstring(35, L'y'));
    EXPECT_EQ(t.e->ime->recentOutputs[0].utf8Length, 35);
    EXPECT_EQ(t.e->ime->recentOutputs[0].text[35], 0);
}

TEST(RememberCommit, NeverCutsASurrogatePair) {
    // 34 letters and one character outside the BMP: 36 units, of which 35 would fit.
    const std::string word = std::string(34, 'x') + "\xF0\xA0\x80\x80";
    LearningEngine t({{"a", word, 1}});
    EXPECT_EQ(t.Commit(false, "a", word), 1);
    EXPECT_EQ(t.HistoryText(0), std::wstring(34, L'x'));
    EXPECT_EQ(t.e->ime->recentOutputs[0].charCount, 34);
    EXPECT_EQ(t.e->ime->recentOutputs[0].utf8Length, 34);
}

TEST(RememberCommit, CodeSlotsFollowTheConstructionRule) {
    struct Case {
        const char* name;
        std::string code;
        std::string word;
        std::vector<uint16_t> rule;
        std::vector<std::wstring> slots;  // slots 1..n
    };
    const Case cases[] = {
        {"one character takes 8 units", "abcdefghij", "阿", {}, {L"abcdefgh", L""}},
        {"two letters each",
         "abcd",
         "中国",
         {Term(1, 1), Term(1, 2), Term(2, 1), Term(2, 2)},
         {L"ab", L"cd"}},
        {"whole rest ends the walk",
         "abcdef",
         "中国",
         {Term(1, 1), Term(2, 0), Term(1, 2)},
         {L"a", L"bcdef"}},
        {"term past the word's end is skipped",
         "abc",
         "中国",
         {Term(1, 1), Term(3, 1), Term(2, 1), Term(2, 2)},
         {L"a", L"bc"}},
        {"term from the back is skipped",
         "abc",
         "中国",
         {Term(1, 1), static_cast<uint16_t>(0x8000 | Term(1, 2)), Term(2, 1)},
         {L"a", L"b"}},
        {"position 8 uses up a unit",
         "abc",
         "中国",
         {Term(1, 1), Term(1, 8), Term(2, 1)},
         {L"a", L"c"}},
        {"code runs out", "ab", "中华民", {Term(1, 1), Term(2, 1), Term(3, 1)}, {L"a", L"b", L""}},
        {"keypad bytes as full-width",
         "\x11\x12",
         "中国",
         {Term(1, 1), Term(2, 1)},
         {L"\xFF11", L"\xFF12"}},
        {"no rule, no slots", "abcd", "中国", {}, {L"", L""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LearningEngine t({{c.code, c.word, 1}});
        if (!c.rule.empty()) t.SetRule(static_cast<int>(c.slots.size()), c.rule);
        ASSERT_EQ(t.Commit(false, c.code, c.word), 1);
        for (size_t k = 0; k < c.slots.size(); ++k)
            EXPECT_EQ(t.Slot(0, int(k) + 1), c.slots[k]) << k;
        for (size_t k = c.slots.size(); k < kRecentCodeSlots; ++k)
            EXPECT_EQ(t.Slot(0, int(k) + 1), L"");
    }
}

TEST(RememberCommit, WordsOfMoreThanSixteenCharactersStoreNoCode) {
    const std::string word = "一二三四五六七八九十一二三四五六";  // 16 characters, 48 bytes
    LearningEngine t({{"abcdefghijklmnopq", word, 1}, {"x", std::string(20, 'z'), 1}});
    std::vector<uint16_t> rule;
    for (int k = 1; k <= 16; ++k) rule.push_back(Term(k, 1));
    t.SetRule(16, rule);
    ASSERT_EQ(t.Commit(false, "abcdefghijklmnopq", word), 1);
    EXPECT_EQ(t.Slot(0, 16), L"p");
    ASSERT_EQ(t.Commit(false, "x", std::string(20, 'z')), 1);
    EXPECT_EQ(t.e->ime->recentOutputs[1].charCount, 20);
    for (int k = 1; k <= kRecentCodeSlots; ++k) EXPECT_EQ(t.Slot(1, k), L"") << k;
}

// The history's decoder and the exporter's both link into one program (this one): they differ
// in which control bytes become full-width and in how broken UTF-8 reads.
TEST(CodeDecoders, HistoryAndExporterDecodersDifferByName) {
    struct Case {
        std::string code;  // bytes behind the length byte
        int historyUnits;
        std::wstring history;
        std::wstring exported;
    };
    const Case cases[] = {
        {"\x11\x19", 2, L"\xFF11\xFF19", L"\xFF11\xFF19"},
        {"\x05", 1, L"\xFF05", L"\x0005"},
        {"\x1C"
         "a",
         2,
         L"\xFF1C"
         L"a",
         L"\x001C"
         L"a"},
        {"a\xFF", -1, L"", L"a\xFFFD"},
    };
    for (const Case& c : cases) {
        std::string prefixed = std::string(1, char(c.code.size())) + c.code;
        const auto* bytes = reinterpret_cast<const uint8_t*>(prefixed.data());
        wchar_t history[16], exported[16];
        EXPECT_EQ(DecodeHistoryCode(bytes, history, 16), c.historyUnits) << c.code;
        if (c.historyUnits >= 0) {
            EXPECT_EQ(std::wstring(history), c.history) << c.code;
        }
        EXPECT_EQ(DecodeTableCode(bytes, exported, 16), static_cast<int>(c.exported.size()));
        EXPECT_EQ(std::wstring(exported), c.exported) << c.code;
    }
}

}  // namespace
