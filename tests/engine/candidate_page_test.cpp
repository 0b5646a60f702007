#include "engine/candidate_page.h"

#include <gtest/gtest.h>

#include "engine/lookup.h"
#include "engine_fixture.h"

using namespace engine_test;

namespace {

using Words = std::vector<std::string>;

// 飞 has no other form, 干 three, 发 two.
TestEngine* ScriptEngine(uint32_t pageSize) {
    auto* t = new TestEngine(
        {{"f", "飞", Flags(30, 1)}, {"f", "干", Flags(20, 1)}, {"f", "发", Flags(10, 1)}}, {},
        {{"干", "乾"}, {"干", "幹"}, {"干", "干"}, {"发", "發"}, {"发", "髮"}});
    t->e->ime->options |= kImeTraditionalOutput;
    t->e->ime->listOptions = pageSize << kListPageShift;
    return t;
}

TEST(CandidatePage, ScriptFormsStraddlePageBoundaries) {
    std::unique_ptr<TestEngine> t(ScriptEngine(2));
    Engine* e = t->e;
    auto before = t->SettingsBytes();
    t->Type(L"f");
    EXPECT_EQ(t->PageWords(), (Words{"飞", "乾(干)"}));
    EXPECT_EQ(t->CommitWords(), (Words{"", "乾"}));
    EXPECT_NE(e->page.endContinues, 0);

    ASSERT_EQ(Engine::PageDown(e), 1);
    EXPECT_EQ(t->PageWords(), (Words{"幹(干)", "干"}));
    EXPECT_EQ(t->CommitWords(), (Words{"幹", ""}));
    EXPECT_NE(e->page.startContinues, 0);
    EXPECT_EQ(e->page.rowCandidate[0], 1);

    ASSERT_EQ(Engine::PageDown(e), 1);
    EXPECT_EQ(t->PageWords(), (Words{"發(发)", "髮(发)"}));
    EXPECT_EQ(Engine::PageDown(e), 0);

    Engine::PrevPage(e);
    EXPECT_EQ(t->PageWords(), (Words{"幹(干)", "干"}));
    Engine::PrevPage(e);
    EXPECT_EQ(t->PageWords(), (Words{"飞", "乾(干)"}));
    EXPECT_EQ(e->page.pageStart, 0);
    EXPECT_EQ(e->page.startContinues, 0);
    // Nothing before the first page.
    Engine::PrevPage(e);
    EXPECT_EQ(t->PageWords(), (Words{"飞", "乾(干)"}));
    EXPECT_EQ(t->SettingsBytes(), before);
}

TEST(CandidatePage, ScriptFormsOfAWordOnePerCharacter) {
    TestEngine t({{"g", "干发", Flags(1, 1)}}, {}, {{"干", "乾"}, {"干", "幹"}, {"发", "發"}});
    t.e->ime->options |= kImeTraditionalOutput;
    t.Type(L"g");
    EXPECT_EQ(t.PageWords(), (Words{"乾發(干发)"}));
    EXPECT_EQ(t.CommitWords(), (Words{"乾發"}));
}

TEST(CandidatePage, ScriptFormRowsAreBoundedToTheRow) {
    std::string word;
    for (int i = 0; i < 85; ++i) word += "发";
    TestEngine t({{"g", word, Flags(1, 1)}}, {}, {{"发", "發"}});
    t.e->ime->options |= kImeTraditionalOutput;
    t.Type(L"g");
    const PageRow& row = t.e->page.rowText[0];
    EXPECT_EQ(row.length, 129u);
    EXPECT_EQ(row.text[129], 0);
    EXPECT_EQ(std::wstring(row.text, 86), std::wstring(85, L'發') + L"(");
    EXPECT_EQ(t.e->page.rowCommit[0].length, 85u);
}

TEST(CandidatePage, BackwardFillReachingTheStartMovesRowsUp) {
    TestEngine t({{"a", "一", Flags(5, 1)},
                  {"a", "二", Flags(4, 1)},
                  {"a", "三", Flags(3, 1)},
                  {"a", "四", Flags(2, 1)},
                  {"a", "五", Flags(1, 1)}});
    t.e->ime->listOptions = 2u << kListPageShift;
    t.Type(L"a");
    ASSERT_EQ(Engine::PageDown(t.e), 1);
    EXPECT_EQ(t.PageWords(), (Words{"三", "四"}));
    t.e->ime->listOptions = 3u << kListPageShift;
    Engine::PrevPage(t.e);
    EXPECT_EQ(t.PageWords(), (Words{"一", "二"}));
    EXPECT_EQ(t.e->page.rowCandidate[0], 0);
    EXPECT_EQ(t.e->page.rowCandidate[1], 1);
    EXPECT_EQ(t.e->page.rowText[2].length, 0u);
}

TEST(CandidatePage, HighlightStopsAtBothEnds) {
    TestEngine t({{"a", "一", Flags(5, 1)}, {"a", "二", Flags(4, 1)}, {"a", "三", Flags(3, 1)}});
    t.e->ime->listOptions = 2u << kListPageShift;
    t.Type(L"a");
    Engine* e = t.e;
    EXPECT_EQ(Engine::MoveHighlight(e, -1), 1);
    EXPECT_EQ(e->page.highlight, 0);
    EXPECT_EQ(e->page.pageStart, 0);
    Engine::MoveHighlight(e, 1);
    EXPECT_EQ(e->page.highlight, 1);
    Engine::MoveHighlight(e, 1);  // onto the next page
    EXPECT_EQ(e->page.pageStart, 2);
    EXPECT_EQ(e->page.highlight, 0);
    Engine::MoveHighlight(e, 1);  // last row of the last page
    EXPECT_EQ(e->page.highlight, 0);
    EXPECT_EQ(e->page.pageStart, 2);
    Engine::MoveHighlight(e, -1);  // back onto the first page's last row
    EXPECT_EQ(e->page.pageStart, 0);
    EXPECT_EQ(e->page.highlight, 1);

    TestEngine empty;
    EXPECT_EQ(Engine::MoveHighlight(empty.e, 1), 0);
    EXPECT_EQ(Engine::PageDown(empty.e), 0);
}

TEST(CandidatePage, CompositionText) {
    TestEngine t(
        {{"\x11"
          "a",
          "日", Flags(1, 1)}});
    t.Type(
        L"\x11"
        L"a");
    EXPECT_EQ(std::wstring(t.e->input.compositionText),
              L"\xFF11"
              L"a");
    t.e->ime->features |= kFeatKeyRoots;
    t.e->ime->keyRoots['a'].text[0] = L'日';
    Engine::BuildCompositionText(t.e);
    EXPECT_EQ(std::wstring(t.e->input.compositionText),
              L"\xFF11"
              L"日");
    t.e->input.caret = 1;
    Engine::BuildCompositionText(t.e);
    EXPECT_EQ(t.e->input.compositionCaret, 1u);
    // Preview: the highlighted row instead of the code.
    t.e->ime->options |= kImeStyleTsfEmbedFirst;
    Engine::BuildCompositionText(t.e);
    EXPECT_EQ(std::wstring(t.e->input.compositionText), L"日");
    EXPECT_EQ(t.e->input.compositionCaret, 1u);
    EXPECT_EQ(t.e->input.compositionLength, 1u);
}

TEST(CandidatePage, TextEntriesShowWholeOutsideTheAssociationList) {
    TestEngine t;
    MessageEntry& m = t.e->messageEntry;
    std::memcpy(m.text, "ab#cd", 5);
    m.length = 5;
    t.e->input.searchKey.length = 3;
    Engine::AddCandidate(t.e, reinterpret_cast<const uint8_t*>(&m), kKindTextEntry, kWeightText, 0);
    Engine::FinishCandidates(t.e);
    EXPECT_EQ(t.PageWords(), (Words{"ab#cd"}));
    t.e->state |= kStateAssociation;
    Engine::FinishCandidates(t.e);
    EXPECT_EQ(t.PageWords(), (Words{"cd"}));
}

}  // namespace
