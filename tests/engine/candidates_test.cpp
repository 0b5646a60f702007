#include "engine/candidates.h"

#include <gtest/gtest.h>

#include <set>

#include "engine/candidate_page.h"
#include "engine/lookup.h"
#include "engine_fixture.h"

using namespace engine_test;

namespace {

const uint8_t* FirstEntry(const TestEngine& t) {
    TableView v = MakeTableView(t.e->mainTable);
    return v.EntryAt(0);
}

TEST(AddCandidate, ClassFilterAndLimits) {
    struct Case {
        uint32_t options, state, flags;
        int result;
    };
    const Case cases[] = {
        {kImeMainTable, 0, Flags(1, 0), kAddAdded},
        {kImeMainTable, 0, Flags(1, 1), kAddAdded},
        {kImeMainTable, 0, Flags(1, 2), kAddAdded},
        {kImeMainTable, 0, Flags(1, 20), kAddAdded},
        {kImeMainTable, 0, Flags(1, 4), kAddNotAuxiliary},
        {kImeMainTable | kImeAuxTable, 0, Flags(1, 4), kAddAdded},
        {kImeMainTable, 0, Flags(1, 3), kAddNotSecondary},
        {kImeMainTable | kImeSearchSecondary, 0, Flags(1, 3), kAddAdded},
        {kImeMainTable, kStateSecondaryPass, Flags(1, 3), kAddAdded},
        {kImeMainTable, kStateSecondaryPass, Flags(1, 1), kAddNotAuxiliary},
        {kImeMainTable, kStateSecondaryPass, Flags(1, 0), kAddAdded},
        {kImeAuxTable, 0, Flags(1, 1), kAddAuxiliaryOnly},
        {kImeAuxTable, 0, Flags(1, 4), kAddAdded},
        {kImeSearchSecondary, 0, Flags(1, 1), kAddSecondaryOnly},
        {0, 0, Flags(1, 3), kAddAdded},
        {kImeMainTable, 0, Flags(1, 1, false, true), kAddDeleted},
        {kImeMainTable, 0, Flags(1, 0, false, true), kAddDeleted},
    };
    for (const Case& c : cases) {
        TestEngine t({{"a", "阿", c.flags}});
        t.e->ime->options = c.options;
        t.e->state = c.state;
        EXPECT_EQ(Engine::AddCandidate(t.e, FirstEntry(t), kMainTableKind, 127, 1), c.result)
            << std::hex << c.options << " " << c.state << " " << c.flags;
        EXPECT_EQ(t.e->candidateCount, c.result == kAddAdded ? 1 : 0);
    }
}

TEST(AddCandidate, NothingForKindAndWeightZeroAndNoRowPast3000) {
    TestEngine t;
    const uint8_t* e = FirstEntry(t);
    EXPECT_EQ(Engine::AddCandidate(t.e, e, 0, 0, 0), kAddAdded);
    EXPECT_EQ(t.e->candidateCount, 0);
    for (int i = 0; i < kMaxCandidates; ++i)
        ASSERT_EQ(Engine::AddCandidate(t.e, e, kMainTableKind, 1, 0), 0);
    EXPECT_EQ(Engine::AddCandidate(t.e, e, kMainTableKind, 1, 0), kAddFull);
    EXPECT_EQ(t.e->candidateCount, kMaxCandidates);
}

TEST(AddCandidate, HintsThroughTheKeyDisplayRecords) {
    TestEngine t({{"a\x11\x12", "阿", Flags(1, 1)}});
    const uint8_t* e = FirstEntry(t);
    Engine::AddCandidate(t.e, e, kMainTableKind, 31, 1);
    EXPECT_EQ(std::wstring(t.e->candidates[0].hint), L"\xFF11\xFF12");
    t.e->ime->features |= kFeatKeyRoots;
    t.e->ime->keyRoots[0x11].text[0] = L'一';
    Engine::AddCandidate(t.e, e, kMainTableKind, 31, 1);
    EXPECT_EQ(std::wstring(t.e->candidates[1].hint), L"一\xFF12");
    Engine::AddCandidate(t.e, e, kMainTableKind, 31, 3);
    EXPECT_EQ(t.e->candidates[2].hint[0], 0);
}

// Order of one lookup's page under the list options.
TEST(CandidateOrder, ListOptions) {
    struct Case {
        uint32_t listOptions;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {0, {"是的", "是", "时", "事", "使"}},
        {kListSingleFirst, {"是", "是的", "时", "事", "使"}},
        {kListByCode, {"是的", "是", "使", "事", "时"}},
    };
    for (const Case& c : cases) {
        TestEngine t({{"s", "是的", Flags(100, 1)},
                      {"s", "是", Flags(1, 1)},
                      {"sa", "使", Flags(1, 1)},
                      {"sb", "事", Flags(5, 1)},
                      {"sc", "时", Flags(9, 1)}});
        t.e->dme->showNextLength = 1;
        t.e->ime->listOptions = (5u << kListPageShift) | c.listOptions;
        t.Type(L"s");
        EXPECT_EQ(t.PageWords(), c.words) << c.listOptions;
    }
}

TEST(CandidateOrder, MergeKeepsTheBetterOfIdenticalWords) {
    TestEngine t(
        {{"a", "阿", Flags(1, 1)}, {"ab", "阿", Flags(900, 1)}, {"ab", "爸", Flags(1, 1)}});
    t.e->dme->showNextLength = 1;
    t.Type(L"a");
    EXPECT_EQ(t.PageWords(), (std::vector<std::string>{"阿", "阿", "爸"}));
    t.e->ime->features |= kFeatMergeSameWord;
    t.e->input.codeLength = 0;
    t.e->input.caret = 0;
    t.Type(L"a");
    EXPECT_EQ(t.PageWords(), (std::vector<std::string>{"阿", "爸"}));
    EXPECT_EQ(t.e->candidates[0].weight, kWeightExact);
}

TEST(CandidateOrder, MergeAtEqualWeightKeepsTheHigherOrder) {
    TestEngine t({{"ab", "阿", Flags(3, 1)}, {"ac", "阿", Flags(8, 1)}});
    t.e->dme->showNextLength = 1;
    t.e->ime->features |= kFeatMergeSameWord;
    t.Type(L"a");
    ASSERT_EQ(t.e->candidateCount, 1);
    EXPECT_EQ(LoadU32(t.e->candidates[0].entry) & kOrderMask, 8u);
}

TEST(CandidateOrder, KeyValueFirstLeavesTheListUnsorted) {
    auto kv = testing_support::MakeKeyValueTable({{"k", "一"}, {"k", "二"}});
    MappedFile f{};
    f.size = static_cast<int32_t>(kv.size());
    f.view = kv.data();
    TableView v = MakeTableView(&f);
    TestEngine t;
    Engine::AddCandidate(t.e, v.EntryAt(0), kKindKeyValue, 1, 0);
    Engine::AddCandidate(t.e, v.EntryAt(1), kKindKeyValue, 9, 0);
    Engine::FinishCandidates(t.e);
    EXPECT_EQ(t.e->candidates[0].weight, 1u);
    EXPECT_EQ(t.PageWords().size(), 2u);
}

// The sort and the merge agree with the pairwise order for every list option.
TEST(CandidateOrder, SortMatchesTheComparison) {
    std::vector<FixtureEntry> entries;
    const char* words[] = {"一", "二", "一二", "三四五", "二", "六", "一"};
    for (int i = 0; i < 300; ++i) {
        std::string code = "a";
        for (int k = 0; k < i % 3; ++k) code.push_back(static_cast<char>('a' + (i * 7 + k) % 5));
        entries.push_back({code, std::string(words[i % 7]) + std::to_string(i % 11),
                           Flags((i * 37) % 50, 1, i % 13 == 0)});
    }
    for (uint32_t list : {0u, kListSingleFirst, kListByCode}) {
        for (uint32_t features : {0u, kFeatMergeSameWord}) {
            TestEngine t(entries);
            t.e->dme->showNextLength = 1;
            t.e->ime->listOptions = (5u << kListPageShift) | list;
            t.e->ime->features = features;
            t.Type(L"a");
            ASSERT_GT(t.e->candidateCount, 10);
            // Past the first pages the order is completed when a reader asks for it.
            OrderCandidatesUpTo(t.e, t.e->candidateCount);
            for (int64_t i = 0; i + 1 < t.e->candidateCount; ++i)
                ASSERT_LE(
                    Engine::CompareCandidates(&t.e->candidates[i], &t.e->candidates[i + 1], t.e), 0)
                    << "list " << list << " at " << i;
            // Merged: no shown word twice.
            if (features) {
                std::set<std::string> seen;
                for (int64_t i = 0; i < t.e->candidateCount; ++i) {
                    const uint8_t* w = CandidateWord(t.e->candidates[i]);
                    EXPECT_TRUE(seen.insert(std::string(reinterpret_cast<const char*>(w + 1), w[0]))
                                    .second);
                }
            }
        }
    }
}

}  // namespace
