#include "ui/candidate/candidate_layout.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/table/table_format.h"
#include "ui/ui_engine_fixture.h"

namespace {

using testing_support::UiEngine;

struct At {
    int region;
    int32_t x, y;
};

struct Case {
    const char* name;
    uint32_t options;  // SkinConfigData.options
    std::vector<std::wstring> words;
    std::function<void(UiEngine&)> setUp;
    int32_t width, height;
    std::vector<At> at;
    std::vector<std::wstring> texts;  // words of slots 0.. as shown
};

const uint32_t kIdx = kSkinShowIndex;

TEST(CandidateLayout, Table) {
    auto imm = [](UiEngine& t) {
        t.e->uiState->host.imm32 = true;
        t.Composition(L"xyz");
    };
    const Case cases[] = {
        {"line, labels",
         kIdx | kSkinHorizontal,
         {L"ab", L"c"},
         nullptr,
         80,
         50,
         {{0, 5, 27}, {10, 15, 25}, {1, 44, 27}, {11, 54, 25}},
         {L"ab", L"c"}},
        {"line, right to left",
         kIdx | kSkinHorizontal | kSkinRightToLeft,
         {L"ab", L"c"},
         nullptr,
         80,
         50,
         {{0, 65, 27}, {10, 43, 25}, {1, 26, 27}, {11, 14, 25}},
         {L"ab", L"c"}},
        {"line with the code and hints",
         kIdx | kSkinShowHints | kSkinHorizontal,
         {L"ab"},
         [&](UiEngine& t) {
             imm(t);
             t.e->candidates[0].hint[0] = L'k';
         },
         // code 24 wide: 7 + max(5+8+2+20+3+8+6, 24+5+7)
         7 + 52,
         50,
         {{30, 5, 3}, {0, 5, 27}, {10, 15, 25}, {20, 38, 27}},
         {L"ab"}},
        {"rows",
         kIdx,
         {L"ab", L"c"},
         nullptr,
         45,
         78,
         {{0, 5, 29}, {10, 15, 25}, {11, 15, 49}},
         {L"ab", L"c"}},
        {"rows, right to left",
         kIdx | kSkinRightToLeft,
         {L"ab", L"c"},
         nullptr,
         45,
         78,
         {{0, 30, 29}, {10, 8, 25}, {1, 30, 53}, {11, 18, 49}},
         {L"ab", L"c"}},
        {"rows with the code above",
         kIdx,
         {L"ab", L"c"},
         imm,
         45,
         78,
         {{30, 5, 3}, {10, 15, 25}},
         {L"ab", L"c"}},
        {"rows, embedded first leaves out the highlight",
         kIdx,
         {L"ab", L"c", L"de"},
         [](UiEngine& t) {
             t.e->ime->options |= kImeStyleTsfEmbedFirst;
             t.e->ime->features |= kFeatHideEmbeddedFirst;
         },
         45,
         78,
         {{10, 15, 25}, {11, 15, 49}},
         {L"c", L"de"}},
        {"columns of turned words",
         kIdx | kSkinVerticalLeft,
         {L"abc", L"c"},
         nullptr,
         60,
         85,
         {{0, 11, 25}, {10, 5, 43}, {11, 29, 43}},
         {L"abc", L"c"}},
        {"clamped to the minimum size",
         kSkinHorizontal,
         {L"a"},
         [](UiEngine& t) {
             t.e->uiState->skin.embeddedH.minWidth = 300;
             t.e->uiState->skin.embeddedH.minHeight = 90;
         },
         300,
         90,
         {{10, 5, 25}},
         {L"a"}},
        {"a long word ends in an ellipsis",
         kSkinHorizontal,
         {L"abcdef"},
         [](UiEngine& t) { t.e->uiState->skin.text.maxCandidatesShown = 3; },
         7 + 5 + 40 + 3 + 6,
         50,
         {},
         {L"abc\u2026"}},
        {"auto-vertical prefix flips a line to rows",
         kIdx | kSkinHorizontal,
         {L"ab", L"c"},
         [](UiEngine& t) {
             t.e->skin->prefixCount = 1;
             wcscpy(t.e->skin->prefixes[0], L"z");
             wcscpy(t.e->input.code, L"zq");
             t.e->input.codeLength = 2;
         },
         45,
         78,
         {{11, 15, 49}},
         {L"ab", L"c"}},
        {"a code not starting with a prefix stays in line",
         kIdx | kSkinHorizontal,
         {L"ab", L"c"},
         [](UiEngine& t) {
             t.e->skin->prefixCount = 1;
             wcscpy(t.e->skin->prefixes[0], L"z");
             wcscpy(t.e->input.code, L"y");
             t.e->input.codeLength = 1;
         },
         80,
         50,
         {},
         {L"ab", L"c"}},
        {"English mode flips to rows with the option",
         kIdx | kSkinHorizontal | kSkinVerticalInLeadModes,
         {L"ab", L"c"},
         [](UiEngine& t) { t.e->state |= kStateEnglishMode; },
         45,
         78,
         {},
         {L"ab", L"c"}},
    };
    for (const Case& c : cases) {
        UiEngine t;
        t.SimpleSkin();
        t.e->skin->options = c.options;
        t.Page(c.words);
        if (c.setUp) c.setUp(t);
        ASSERT_TRUE(LayoutCandidateWindow(t.e, t.measurer)) << c.name;
        EXPECT_EQ(t.e->skin->options, c.options) << c.name;  // the stored block keeps its value
        EXPECT_EQ(t.e->uiState->candidate.width, c.width) << c.name;
        EXPECT_EQ(t.e->uiState->candidate.height, c.height) << c.name;
        ASSERT_NE(t.e->uiState->stretchedBackground, nullptr);
        EXPECT_EQ(t.e->uiState->stretchedBackground->width, c.width) << c.name;
        for (const At& a : c.at) {
            EXPECT_EQ(t.R(a.region).x, a.x) << c.name << " region " << a.region;
            EXPECT_EQ(t.R(a.region).y, a.y) << c.name << " region " << a.region;
        }
        for (size_t k = 0; k < kCandidateSlots; ++k) {
            if (k < c.texts.size())
                EXPECT_EQ(std::wstring(t.R(kWordRegion + int(k)).text), c.texts[k]) << c.name;
            else
                EXPECT_EQ(t.R(kWordRegion + int(k)).state, kRegionHidden)
                    << c.name << " slot " << k;
        }
    }
}

TEST(CandidateLayout, NothingToShow) {
    struct Case {
        const char* name;
        std::function<void(UiEngine&)> setUp;
    } cases[] = {
        {"the hide option", [](UiEngine& t) { t.e->ime->options |= kImeCandidateHidden; }},
        {"an empty page without the code", [](UiEngine& t) { t.Page({}); }},
        {"one candidate under the text service when only many show",
         [](UiEngine& t) {
             t.Page({L"a"});
             t.e->uiState->host.textService = true;
             t.e->ime->features |= kFeatCandidateOnlyWhenMany;
         }},
        {"no background picture",
         [](UiEngine& t) {
             FreeSkinImage(t.e->uiState->images.images[kSlotEmbeddedH]);
             t.e->uiState->images.images[kSlotEmbeddedH] = nullptr;
         }},
    };
    for (const Case& c : cases) {
        UiEngine t;
        t.SimpleSkin();
        t.e->skin->options = kSkinHorizontal;
        t.Page({L"a", L"b"});
        c.setUp(t);
        EXPECT_FALSE(LayoutCandidateWindow(t.e, t.measurer)) << c.name;
        EXPECT_EQ(t.e->uiState->stretchedBackground, nullptr) << c.name;
    }
}

TEST(CandidateLayout, IndexLabels) {
    struct Case {
        const char* name;
        wchar_t suffix;
        uint32_t state;
        bool embeddedFirst;
        std::vector<std::wstring> labels;
    } cases[] = {
        {"digits", 0, 0, false, {L"1", L"2", L"3"}},
        {"digits with a suffix", L'.', 0, false, {L"1.", L"2.", L"3."}},
        {"letters for number conversion", 0, kStateNumberCandidates, false, {L"a", L"b", L"c"}},
        {"letters with a suffix", L':', kStateNumberCandidates, false, {L"a:", L"b:", L"c:"}},
        {"embedded first numbers the slots", 0, 0, true, {L"1", L"2"}},
        {"embedded first with a suffix numbers the candidates", L'.', 0, true, {L"2.", L"3."}},
    };
    for (const Case& c : cases) {
        UiEngine t;
        t.SimpleSkin();
        t.e->skin->options = kIdx | kSkinHorizontal;
        t.e->uiState->skin.embeddedH.indexSuffix = c.suffix;
        t.e->state = c.state;
        if (c.embeddedFirst) {
            t.e->ime->options |= kImeStyleTsfEmbedFirst;
            t.e->ime->features |= kFeatHideEmbeddedFirst;
        }
        t.Page({L"a", L"b", L"c"});
        ASSERT_TRUE(LayoutCandidateWindow(t.e, t.measurer));
        std::vector<std::wstring> labels;
        for (int k = 0; k < kCandidateSlots && t.R(kLabelRegion + k).state != kRegionHidden; ++k)
            labels.push_back(t.R(kLabelRegion + k).text);
        EXPECT_EQ(labels, c.labels) << c.name;
    }
    UiEngine ten;
    ten.SimpleSkin();
    ten.e->skin->options = kIdx | kSkinHorizontal;
    ten.Page({L"0", L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8", L"9"});
    ASSERT_TRUE(LayoutCandidateWindow(ten.e, ten.measurer));
    EXPECT_STREQ(ten.R(kLabelRegion + 9).text, L"0");
}

TEST(CandidateLayout, ButtonsFollowTheRightEdgeAndNeedTheirPictures) {
    UiEngine t;
    t.SimpleSkin();
    t.e->skin->options = kSkinHorizontal | kSkinShowButtons;
    CandidateLayout& L = t.e->uiState->skin.embeddedH;
    L.pageUpButton = {30, 2};   // right of the band: follows the right edge
    L.pageDownButton = {1, 2};  // inside the band: stays
    L.widthButton = {3, 3};     // no picture: hidden
    L.punctuationButton = {-1, 3};
    t.e->uiState->images.images[kSlotPageUp] = UiEngine::Solid(4, 4, 255);
    t.e->uiState->images.images[kSlotPageDown] = UiEngine::Solid(5, 5, 255);
    t.e->uiState->images.images[kSlotChinesePunct] = UiEngine::Solid(4, 4, 255);
    t.Page({L"ab", L"c"});
    ASSERT_TRUE(LayoutCandidateWindow(t.e, t.measurer));
    int32_t w = t.e->uiState->candidate.width;
    EXPECT_EQ(t.R(kPageUpRegion).x, w + 30 - 7 - 20);
    EXPECT_EQ(t.R(kPageUpRegion).y, 2);
    EXPECT_EQ(t.R(kPageUpRegion).width, 4);
    EXPECT_EQ(t.R(kPageDownRegion).x, 1);
    EXPECT_EQ(t.R(kWidthRegion).state, kRegionHidden);
    EXPECT_EQ(t.R(kPunctuationRegion).state, kRegionHidden);
    // First and last page at once: both page buttons are disabled.
    EXPECT_EQ(t.R(kPageUpRegion).state, kRegionDisabled);
    EXPECT_EQ(t.R(kPageDownRegion).state, kRegionDisabled);

    t.e->page.pageStart = 2;
    t.e->candidateCount = 20;
    ASSERT_TRUE(LayoutCandidateWindow(t.e, t.measurer));
    EXPECT_EQ(t.R(kPageUpRegion).state, kRegionNormal);
    EXPECT_EQ(t.R(kPageDownRegion).state, kRegionNormal);

    t.e->skin->options = kSkinHorizontal;  // without the option no button shows
    ASSERT_TRUE(LayoutCandidateWindow(t.e, t.measurer));
    EXPECT_EQ(t.R(kPageUpRegion).state, kRegionHidden);
}

TEST(CandidateLayout, RectanglesAndHitTest) {
    UiEngine t;
    t.SimpleSkin();
    t.e->skin->options = kIdx | kSkinHorizontal;
    const int32_t frame[4] = {1, 2, 3, 4};
    std::memcpy(t.e->uiState->skin.embeddedH.textFrame, frame, sizeof frame);
    t.Page({L"ab", L"c", L"d"});
    t.e->ime->options |= kImeStyleTsfEmbedFirst;
    ASSERT_TRUE(LayoutCandidateWindow(t.e, t.measurer));
    RECT r = GetCandidateRect(t.e, 0);
    EXPECT_EQ(r.left, 4);
    EXPECT_EQ(r.right, 37);
    EXPECT_EQ(r.top, 22);
    EXPECT_EQ(r.bottom, 49);
    struct Hit {
        int32_t x, y;
        int64_t id;
    } hits[] = {{10, 30, 2}, {40, 30, 0}, {50, 30, 3}, {0, 30, -1}, {10, 60, -1}, {4, 30, 0}};
    for (const Hit& h : hits) EXPECT_EQ(CandidateHitTest(t.e, h.x, h.y), h.id) << h.x << "," << h.y;
    EXPECT_EQ(CandidateIndexForSlot(t.e, 0), 0);
    t.e->ime->features |= kFeatHideEmbeddedFirst;
    t.e->page.highlight = 1;
    ASSERT_TRUE(LayoutCandidateWindow(t.e, t.measurer));
    EXPECT_EQ(CandidateIndexForSlot(t.e, 0), 0);
    EXPECT_EQ(CandidateIndexForSlot(t.e, 1), 2);  // the highlighted candidate is in the document
    EXPECT_STREQ(t.R(kWordRegion + 1).text, L"d");
}

TEST(CandidateLayout, RightToLeftRectanglesCoverLabelAndWord) {
    UiEngine t;
    t.SimpleSkin();
    t.e->skin->options = kIdx | kSkinHorizontal | kSkinRightToLeft;
    t.Page({L"ab", L"c"});
    ASSERT_TRUE(LayoutCandidateWindow(t.e, t.measurer));
    for (int k = 0; k < 2; ++k) {
        const SkinRegion &label = t.R(kLabelRegion + k), &word = t.R(kWordRegion + k);
        ASSERT_GT(label.x, word.x);  // the label follows the word leftwards
        RECT r = GetCandidateRect(t.e, k);
        EXPECT_EQ(r.left, word.x) << k;
        EXPECT_EQ(r.right, label.x + label.width) << k;
        EXPECT_EQ(CandidateHitTest(t.e, word.x + 1, word.y + 5), kHitFirstCandidate + k) << k;
    }
}

TEST(CandidateLayout, CodeLineKeepsItsLastCharacters) {
    struct Case {
        int32_t maxCodeShown;
        const wchar_t* shown;
    } cases[] = {{0, L"123456"}, {4, L"3456"}, {6, L"123456"}, {9, L"123456"}};
    for (const Case& c : cases) {
        UiEngine t;
        t.SimpleSkin();
        t.e->skin->options = kSkinHorizontal;
        t.e->uiState->skin.text.maxCodeShown = c.maxCodeShown;  // 0: the skin sets no maximum
        t.e->uiState->host.imm32 = true;
        t.Composition(L"123456");
        t.Page({L"a"});
        ASSERT_TRUE(LayoutCandidateWindow(t.e, t.measurer));
        EXPECT_STREQ(t.R(kCodeRegion).text, c.shown) << c.maxCodeShown;
    }
}

TEST(CandidateLayout, DecoratedWords) {
    UiEngine t;
    t.SimpleSkin();
    t.e->skin->options = kSkinHorizontal;
    t.Page({L"abc", L"def", L"ghi", L"jkl"});
    // Entries: flags, then the code with its length byte ("x" and a signed number).
    uint8_t positive[12] = {0, 0, 0, 0, 2, 'x', 5, 3, 'a', 'b', 'c'};
    uint8_t negative[12] = {0, 0, 0, 0, 2, 'q', 0xFB, 3, 'd', 'e', 'f'};
    uint8_t secondary[12] = {0, 0, 0, uint8_t(kClassSecondary), 1, 'g', 3, 'g', 'h', 'i'};
    t.e->candidates[0] = Candidate{positive, kKindHasCodeAndWordAlt, 0, {}};
    t.e->candidates[1] = Candidate{negative, kKindHasCodeAndWordAlt, 0, {}};
    t.e->candidates[2] = Candidate{secondary, kKindMainEntry, 0, {}};
    t.e->state |= kStateWildcard;
    ASSERT_TRUE(LayoutCandidateWindow(t.e, t.measurer));
    EXPECT_STREQ(t.R(kWordRegion).text, L"^x5 abc");
    EXPECT_STREQ(t.R(kWordRegion + 1).text, L"^q-5 def");
    EXPECT_STREQ(t.R(kWordRegion + 2).text, L"*ghi");  // a secondary-table word under a wildcard
    EXPECT_STREQ(t.R(kWordRegion + 3).text, L"jkl");
}

TEST(CandidateLayout, WordColours) {
    UiEngine t;
    t.SimpleSkin();
    SkinTextStyle& s = t.e->uiState->skin.text;
    s.candidateColour = 1;
    s.firstCandidateColour = 2;
    s.tempWordColour = 3;
    s.userWordColour = 4;
    s.hoverColour = 9;
    s.indexColour = -1;
    t.e->skin->options = kIdx | kSkinHorizontal;
    t.Page({L"a", L"b", L"c", L"d"});
    uint8_t userEntry[8] = {};
    uint32_t flags = uint32_t(kClassUser) << kClassShift;
    std::memcpy(userEntry, &flags, 4);
    t.e->candidates[2].kind = kKindTempEntry;
    t.e->candidates[3].entry = userEntry;
    ASSERT_TRUE(LayoutCandidateWindow(t.e, t.measurer));
    uint64_t expected[] = {2, 1, 3, 4};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(t.R(kWordRegion + k).textColour[0], expected[k]) << k;
        EXPECT_EQ(t.R(kWordRegion + k).textColour[kRegionHover], 9u) << k;
        EXPECT_EQ(t.R(kLabelRegion + k).textColour[0], expected[k]) << k;  // negative index colour
    }
}

}  // namespace
