// Temporary phrases learned from the history of commits.
#include "engine/phrase_learning.h"

#include <gtest/gtest.h>

#include "engine/candidates.h"
#include "engine/commit_history.h"
#include "learning_fixture.h"

using namespace learning_test;

namespace {

const std::vector<uint16_t> kTwoByTwo = {Term(1, 1), Term(1, 2), Term(2, 1), Term(2, 2)};
const std::vector<uint16_t> kThree = {Term(1, 1), Term(2, 1), Term(3, 1), Term(3, 2)};

std::vector<FixtureEntry> Characters() {
    return {{"zh", "中", 1}, {"gu", "国", 1}, {"re", "人", 1}, {"\x11\x12", "一", 1}};
}

// Commits the words one after another.
void CommitAll(LearningEngine& t, const std::vector<std::pair<std::string, std::string>>& words) {
    for (const auto& [code, word] : words) ASSERT_EQ(t.Commit(false, code, word), 1) << code;
}

TEST(LearnPhrase, SmartModeBuildsCodesFromTheRememberedSlots) {
    LearningEngine t(Characters());
    t.e->ime->options |= kImeTempWords | kImeTempSmart;
    t.SetRule(2, kTwoByTwo);
    t.SetRule(3, kThree);
    CommitAll(t, {{"zh", "中"}, {"gu", "国"}, {"re", "人"}});
    const std::vector<TempRow> expect = {
        {"gure", "国人", 1}, {"zgre", "中国人", 2}, {"zhgu", "中国", 0}};
    EXPECT_EQ(TempRows(t.e->tempTable), expect);
    EXPECT_EQ(CheckTempLayout(t.e->tempTable), "");
}

TEST(LearnPhrase, LearnedPhrasesPassEverySchemeFilter) {
    LearningEngine t(Characters());
    t.e->ime->options |= kImeTempWords | kImeTempSmart;
    t.SetRule(2, kTwoByTwo);
    CommitAll(t, {{"zh", "中"}, {"gu", "国"}});
    const auto rows = TempRows(t.e->tempTable);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(EntryClassOf(rows[0].flags), kClassNone);
    EXPECT_EQ(rows[0].flags & ~kOrderMask, kLearnedPhraseFlags);
    for (uint32_t options :
         {kImeMainTable, kImeMainTable | kImeAuxTable, kImeAuxTable, kImeSearchSecondary, 0u}) {
        for (uint32_t state : {0u, kStateSecondaryPass}) {
            t.e->ime->options = options;
            t.e->state = state;
            EXPECT_EQ(ClassFilter(t.e, rows[0].flags), 0) << options << " " << state;
        }
    }
}

TEST(LearnPhrase, CharacterTableModeTakesEachCharactersFirstCode) {
    LearningEngine t(Characters());
    t.e->ime->options |= kImeTempWords;
    t.SetCharTable({{"中", "１２３"}, {"国", "４５"}, {"中", "７７"}});
    t.SetRule(2, {Term(1, 1), Term(1, 2), Term(2, 0), Term(2, 9)});
    CommitAll(t, {{"zh", "中"}, {"gu", "国"}});
    // Keypad digits are stored as the bytes 0x0A..0x19; a missing unit is skipped.
    EXPECT_EQ(TempRows(t.e->tempTable), (std::vector<TempRow>{{"\x11\x12\x14\x15", "中国", 0}}));
}

TEST(LearnPhrase, LearnsNothingWhereItShouldNot) {
    struct Case {
        const char* name;
        uint32_t options;
        bool charTable;
        std::vector<uint16_t> rule;
        std::vector<FixtureEntry> extraMain;
    };
    const Case cases[] = {
        {"option off", kImeTempSmart, false, kTwoByTwo, {}},
        {"no character table", kImeTempWords, false, kTwoByTwo, {}},
        {"empty rule", kImeTempWords | kImeTempSmart, false, {}, {}},
        {"phrase already a main word",
         kImeTempWords | kImeTempSmart,
         false,
         kTwoByTwo,
         {{"zhgu", "中国", 1}}},
        {"hole in a remembered slot",
         kImeTempWords | kImeTempSmart,
         false,
         {Term(1, 1), Term(1, 3), Term(2, 1)},
         {}},
        {"only terms past the phrase",
         kImeTempWords | kImeTempSmart,
         false,
         {Term(3, 1), Term(17, 1)},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto main = Characters();
        main.insert(main.end(), c.extraMain.begin(), c.extraMain.end());
        LearningEngine t(main);
        t.e->ime->options |= c.options;
        if (c.charTable) t.SetCharTable({{"中", "1"}, {"国", "2"}});
        if (!c.rule.empty()) t.SetRule(2, c.rule);
        CommitAll(t, {{"zh", "中"}, {"gu", "国"}});
        EXPECT_EQ(t.e->ime->recentCount, 2u);
        EXPECT_TRUE(TempRows(t.e->tempTable).empty());
    }
}

TEST(LearnPhrase, PhraseAlreadyInTempIsNotAddedTwice) {
    LearningEngine t(Characters(), {{"zhgu", "中国", 0}});
    t.e->ime->options |= kImeTempWords | kImeTempSmart;
    t.SetRule(2, kTwoByTwo);
    CommitAll(t, {{"zh", "中"}, {"gu", "国"}, {"zh", "中"}, {"gu", "国"}});
    const auto rows = TempRows(t.e->tempTable);
    EXPECT_EQ(
        std::count_if(rows.begin(), rows.end(), [](const TempRow& r) { return r.word == "中国"; }),
        1);
}

// History records written straight into the settings block.
void SetHistory(LearningEngine& t,
                const std::vector<std::pair<std::wstring, std::vector<std::wstring>>>& recs) {
    for (size_t i = 0; i < recs.size(); ++i) {
        RecentOutput& r = t.e->ime->recentOutputs[i];
        std::memset(&r, 0, sizeof r);
        std::memcpy(r.text, recs[i].first.data(), sizeof(wchar_t) * recs[i].first.size());
        for (size_t k = 0; k < recs[i].second.size(); ++k)
            std::memcpy(r.codes[k], recs[i].second[k].data(),
                        sizeof(wchar_t) * recs[i].second[k].size());
    }
    t.e->ime->recentCount = static_cast<uint32_t>(recs.size());
}

TEST(LearnPhrase, JoinsWholeRecordsOnly) {
    LearningEngine t(Characters());
    t.e->ime->options |= kImeTempWords | kImeTempSmart;
    t.SetRule(2, {Term(1, 1), Term(2, 1)});
    t.SetRule(3, {Term(1, 1), Term(2, 1), Term(3, 1)});
    // 14 characters outside the BMP (28 units): joined behind two characters they would pass
    // 29 units, so the phrase stops before them instead of cutting a pair.
    std::wstring wide;
    std::vector<std::wstring> wideCodes;
    for (int i = 0; i < 14; ++i) {
        wide += L"\xD840\xDC00";
        wideCodes.push_back(L"w");
    }
    SetHistory(t, {{L"甲", {L"j"}}, {L"乙", {L"y"}}, {wide, wideCodes}});
    EXPECT_EQ(Engine::LearnPhrase(t.e), 0);
    // n = 2 joins 乙 and the wide record (15 characters, 29 units) but has no rule for 15;
    // n = 3 stops before the wide record and learns 甲乙.
    EXPECT_EQ(TempRows(t.e->tempTable), (std::vector<TempRow>{{"jy", "甲乙", 0}}));
}

TEST(LearnPhrase, OneRecordAloneIsNoPhrase) {
    LearningEngine t(Characters());
    t.e->ime->options |= kImeTempWords | kImeTempSmart;
    t.SetRule(2, {Term(1, 1), Term(2, 1)});
    // The second record would take the phrase past 16 characters.
    SetHistory(t, {{L"中华", {L"z", L"h"}}, {std::wstring(15, L'字'), {}}});
    EXPECT_EQ(Engine::LearnPhrase(t.e), 0);
    EXPECT_TRUE(TempRows(t.e->tempTable).empty());
}

TEST(LearnPhrase, DamagedHistoryCountLearnsNothing) {
    LearningEngine t(Characters());
    t.e->ime->options |= kImeTempWords | kImeTempSmart;
    t.SetRule(2, {Term(1, 1), Term(2, 1)});
    SetHistory(t, {{L"甲", {L"j"}}, {L"乙", {L"y"}}});
    t.e->ime->recentCount = 17;
    EXPECT_EQ(Engine::LearnPhrase(t.e), 0);
    EXPECT_TRUE(TempRows(t.e->tempTable).empty());
    t.e->ime->recentCount = 2;
    Engine::LearnPhrase(t.e);
    EXPECT_EQ(TempRows(t.e->tempTable).size(), 1u);
}

}  // namespace
