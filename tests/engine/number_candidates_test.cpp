#include "engine/number_candidates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/effective_settings.h"
#include "engine/lookup.h"
#include "engine_fixture.h"
#include "support/table_on_disk.h"

using engine_test::TestEngine;

namespace {

using Words = std::vector<std::string>;

std::string EntryText(const Candidate& c) {
    return std::string(reinterpret_cast<const char*>(c.entry + 5), c.entry[4]);
}

Words AllTexts(const Engine* e) {
    Words out;
    for (int64_t i = 0; i < e->candidateCount; ++i) out.push_back(EntryText(e->candidates[i]));
    return out;
}

class NumberInput : public ::testing::Test {
protected:
    NumberInput() {
        t.e->dme->tempEnglishLead = ';';
        english_ = testing_support::MakeListTable({{"ab", 1}, {"abc", 1}, {"15f", 1}, {"15fa", 1}});
        std::memset(&englishFile_, 0, sizeof englishFile_);
        englishFile_.size = static_cast<int32_t>(english_.size());
        englishFile_.view = english_.data();
        t.e->englishTable = &englishFile_;
    }
    TestEngine t;

private:
    std::vector<uint8_t> english_;
    MappedFile englishFile_;
};

TEST_F(NumberInput, TypedNumberOffersItsTextsInOrder) {
    struct Case {
        std::wstring typed;
        Words texts;
    };
    const Case cases[] = {
        {L";15", {"十五", "壹拾伍元整", "一五", "壹伍", "15", "①⑤", "ⅠⅤ", "㈠㈤", "⒈⒌"}},
        {L";100000000",
         {"一亿", "壹亿元整", "一〇〇〇〇〇〇〇〇", "壹零零零零零零零零", "100,000,000",
          "①⑩⑩⑩⑩⑩⑩⑩⑩", "ⅠⅩⅩⅩⅩⅩⅩⅩⅩ", "㈠㈩㈩㈩㈩㈩㈩㈩㈩", "⒈⒑⒑⒑⒑⒑⒑⒑⒑"}},
        {L";2024.5.1", {"二千零二十四点五点一", "二〇二四年五月一日", "2024年5月1日"}},
        // Keypad digits and point.
        {L";\x11\x12\x0E\x15", {"十二点五", "壹拾贰元伍角", "十二月五日", "12月5日", "12.5"}},
    };
    for (const auto& c : cases) {
        Engine::ResetInput(t.e);
        auto before = t.SettingsBytes();
        EXPECT_EQ(t.Type(c.typed), kLookupShown) << testing_support::Narrow(c.typed);
        EXPECT_EQ(AllTexts(t.e), c.texts) << testing_support::Narrow(c.typed);
        for (int64_t i = 0; i < t.e->candidateCount; ++i) {
            EXPECT_EQ(t.e->candidates[i].kind, kKindTextEntry);
            EXPECT_EQ(t.e->candidates[i].weight, 0xEEEEEEu - static_cast<uint32_t>(i));
        }
        EXPECT_EQ(t.SettingsBytes(), before) << "the lookup wrote its run-time bits to config.dsc";
        EXPECT_FALSE(t.e->state & kStateEnglishCompletion);
        EXPECT_TRUE(t.e->state & kStateNumberCandidates) << "the window numbers them a-j";
    }
}

TEST_F(NumberInput, OnlyNumberTextsMarkTheList) {
    t.Type(L";ab");  // English completion, not a number
    EXPECT_FALSE(t.e->state & kStateNumberCandidates);
    Engine::ResetInput(t.e);
    t.Type(L";15");
    EXPECT_TRUE(t.e->state & kStateNumberCandidates);
    t.Type(L"x");  // no longer a number: completion of ";15x"
    EXPECT_FALSE(t.e->state & kStateNumberCandidates);
    Engine::ResetInput(t.e);
    EXPECT_FALSE(t.e->state & kStateNumberCandidates);
}

TEST_F(NumberInput, TextsLongerThanAnEntryAreNotOffered) {
    // 85 digits are 255 bytes as numerals or symbols; 86 are too many for the length byte.
    t.Type(L";" + std::wstring(85, L'7'));
    EXPECT_EQ(t.e->candidateCount, 6);
    for (int64_t i = 0; i < t.e->candidateCount; ++i) EXPECT_EQ(t.e->candidates[i].entry[4], 255);
    t.Type(L"7");
    EXPECT_EQ(t.e->candidateCount, 0);
}

TEST_F(NumberInput, LetterAfterDigitsPicksARow) {
    struct Case {
        std::wstring typed;
        int result;
        std::string picked;
        int64_t highlight;
    };
    const Case cases[] = {
        {L";15a", kLookupCommitFirst, "十五", 0},
        {L";15c", kLookupCommitFirst, "一五", 2},
        {L";15e", kLookupCommitFirst, "15", 4},
    };
    for (const auto& c : cases) {
        Engine::ResetInput(t.e);
        int r = t.Type(c.typed);
        EXPECT_EQ(r, c.result) << testing_support::Narrow(c.typed);
        ASSERT_EQ(t.e->candidateCount, 1) << testing_support::Narrow(c.typed);
        EXPECT_EQ(EntryText(t.e->candidates[0]), c.picked) << testing_support::Narrow(c.typed);
        EXPECT_EQ(t.e->page.highlight, c.highlight) << testing_support::Narrow(c.typed);
    }
}

TEST_F(NumberInput, OtherCodesCompleteEnglish) {
    struct Case {
        std::wstring typed;
        Words words;
    };
    const Case cases[] = {
        {L";ab", {"ab", "abc"}},
        {L";15f", {"15f", "15fa"}},  // a letter beyond the five rows shown
        {L";.a", {}},                // no digit before the letter
        {L";15k", {}},
    };
    for (const auto& c : cases) {
        Engine::ResetInput(t.e);
        EXPECT_EQ(t.Type(c.typed), kLookupShown) << testing_support::Narrow(c.typed);
        EXPECT_TRUE(t.e->state & kStateEnglishCompletion) << testing_support::Narrow(c.typed);
        Words words;
        for (int64_t i = 0; i < t.e->candidateCount; ++i) {
            EXPECT_EQ(t.e->candidates[i].kind, kKindListEntry);
            const uint8_t* text = t.e->candidates[i].entry + 4;
            words.emplace_back(reinterpret_cast<const char*>(text + 1), text[0]);
        }
        std::sort(words.begin(), words.end());
        EXPECT_EQ(words, c.words) << testing_support::Narrow(c.typed);
        EXPECT_EQ(t.e->input.searchKey.length, 0);
    }
}

TEST_F(NumberInput, DirectCallsOutsideALookup) {
    EXPECT_EQ(BuildNumberCandidates(nullptr, nullptr), kLookupShown);
    uint8_t key[] = {2, '4', '2', 0};
    EXPECT_EQ(BuildNumberCandidates(t.e, nullptr), kLookupShown);
    t.e->input.codeLength = 3;
    EXPECT_EQ(BuildNumberCandidates(t.e, key), kLookupShown);
    EXPECT_EQ(AllTexts(t.e).front(), "四十二");
}

}  // namespace
