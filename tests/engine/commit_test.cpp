// Committing temporary words: promotion into main.dmg and what stays in temp.dmg.
#include "engine/commit.h"

#include <gtest/gtest.h>

#include "core/table/table_edit.h"
#include "engine/table_refresh.h"
#include "learning_fixture.h"
#include "support/mapped_table.h"
#include "support/table_invariants.h"

using namespace learning_test;

namespace {

std::vector<FixtureEntry> MainWords() {
    return {{"a", "阿", 0x01000064}, {"ab", "阿爸", 0x0100000A}, {"zz", "最", 0x01000007}};
}

class Promotion : public ::testing::Test {
protected:
    void TearDown() override {
        CodeTable::SetResizeFunctionForTesting(nullptr);
        SetTableRefreshFunction(&Engine::RefreshTables);
    }
};

int g_refreshes = 0;
// Maps main.dmg again, as a refresh does when the file changed: its view moves.
void RemapMain(Engine* e) {
    ++g_refreshes;
    MappedFile::Reopen(e->mainTable);
}

TEST_F(Promotion, GrowsMainAndTheWordMovesOutOfTemp) {
    LearningEngine t(MainWords(), {{"aa", "啊啊", 0, 0x02}, {"q", "去", 1}});
    t.e->ime->options |= kImeTempSaveAtCommit;
    const int32_t sizeBefore = t.e->mainTable->size;
    g_refreshes = 0;
    SetTableRefreshFunction(RemapMain);
    EXPECT_EQ(t.Commit(true, "aa", "啊啊"), 1);
    EXPECT_EQ(g_refreshes, 1);

    EXPECT_GT(t.e->mainTable->size, sizeBefore);  // a fresh table has no gap: it grew
    const uint8_t* promoted = LearningEngine::Find(t.e->mainTable, "aa", "啊啊");
    ASSERT_NE(promoted, nullptr);
    EXPECT_EQ(LoadU32(promoted), kPromotedWordFlags);
    EXPECT_EQ(testing_support::CheckTableInvariants(t.e->mainTable), "");
    EXPECT_EQ(TempRows(t.e->tempTable), (std::vector<TempRow>{{"q", "去", 0}}));
    EXPECT_EQ(CheckTempLayout(t.e->tempTable), "");
    // The history took the word and its code before the slot was freed.
    ASSERT_EQ(t.e->ime->recentCount, 1u);
    EXPECT_EQ(t.HistoryText(0), L"啊啊");
    EXPECT_EQ(t.e->input.committedKind, kKindTempEntry);
    EXPECT_EQ(t.e->input.committedEntry, nullptr);
    EXPECT_EQ(t.e->candidateCount, 0);
    // The grown file on disk holds it too.
    t.main_.Close();
    MappedTable reread(testing_support::ReadFileBytes(t.main_.path()));
    EXPECT_NE(LearningEngine::Find(reread.get(), "aa", "啊啊"), nullptr);
}

TEST_F(Promotion, WordStaysInTempWhenMainDoesNotTakeIt) {
    struct Case {
        const char* name;
        bool option;
        bool inMain;
        CodeTable::ResizeFunction resize;
    };
    const Case cases[] = {
        {"option off", false, false, nullptr},
        {"already a main word", true, true, nullptr},
        {"growth fails", true, false, [](MappedFile*, int64_t) -> int32_t { return 0; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto main = MainWords();
        if (c.inMain) main.push_back({"aa", "啊啊", 0x01000001});
        LearningEngine t(main, {{"aa", "啊啊", 0}});
        if (c.option) t.e->ime->options |= kImeTempSaveAtCommit;
        const auto mainBefore = t.main_.Bytes();
        CodeTable::SetResizeFunctionForTesting(c.resize);
        EXPECT_EQ(t.Commit(true, "aa", "啊啊"), 1);
        CodeTable::SetResizeFunctionForTesting(nullptr);
        EXPECT_EQ(t.main_.Bytes(), mainBefore);
        EXPECT_EQ(TempRows(t.e->tempTable), (std::vector<TempRow>{{"aa", "啊啊", 0}}));
        EXPECT_EQ(t.e->ime->recentCount, 1u);
    }
}

TEST_F(Promotion, PrivateCopyOfMainKeepsTheWordInTemp) {
    LearningEngine t(MainWords(), {{"aa", "啊啊", 0}});
    t.e->ime->options |= kImeTempSaveAtCommit;
    MappedFile* copy = nullptr;
    ASSERT_GT(MappedFile::LoadToMemory(&copy, t.main_.path().c_str()), 0);
    MappedFilePtr owner(copy);
    t.e->mainTable = copy;
    EXPECT_EQ(t.Commit(true, "aa", "啊啊"), 1);
    EXPECT_EQ(LearningEngine::Find(copy, "aa", "啊啊"), nullptr);
    EXPECT_EQ(TempRows(t.e->tempTable).size(), 1u);
}

TEST_F(Promotion, GrowthThatLosesMainLeavesNoPointerIntoIt) {
    LearningEngine t(MainWords(), {{"aa", "啊啊", 0}});
    t.e->ime->options |= kImeTempSaveAtCommit;
    t.Show({{false, "a", "阿"}, {true, "aa", "啊啊"}});
    CodeTable::SetResizeFunctionForTesting([](MappedFile* f, int64_t) -> int32_t {
        testing_support::DropMapping(f);
        // The file cannot be mapped again either.
        f->path[0] = 0;
        return 0;
    });
    EXPECT_EQ(Engine::CommitCandidate(t.e, 2), 1);
    CodeTable::SetResizeFunctionForTesting(nullptr);
    EXPECT_EQ(t.e->mainTable->view, nullptr);
    EXPECT_EQ(t.e->candidateCount, 0);
    EXPECT_EQ(t.e->page.rowCount, 0);
    EXPECT_EQ(TempRows(t.e->tempTable).size(), 1u);
}

TEST(CommitCandidate, TakesNothingItCannotName) {
    LearningEngine t(MainWords());
    t.Show({{false, "a", "阿"}, {false, "ab", "阿爸"}});
    for (int selector : {11, 3, 10, 14, -5}) {
        SCOPED_TRACE(selector);
        EXPECT_EQ(Engine::CommitCandidate(t.e, selector), 0);
    }
    for (uint32_t state : {kStateEnglishMode, kStateTempEnglish}) {
        t.e->state = state;
        EXPECT_EQ(Engine::CommitCandidate(t.e, 1), 0);
    }
    t.e->state = 0;
    EXPECT_EQ(t.e->ime->recentCount, 0u);
    EXPECT_EQ(Engine::CommitCandidate(t.e, 2), 1);
    EXPECT_EQ(t.e->input.committedKind, kKindMainEntry);
    EXPECT_EQ(t.e->input.committedEntry, LearningEngine::Find(t.e->mainTable, "ab", "阿爸"));
    EXPECT_EQ(t.HistoryText(0), L"阿爸");
}

}  // namespace
