#include "engine/lookup.h"

#include <gtest/gtest.h>

#include "engine/candidates.h"
#include "engine/effective_settings.h"
#include "engine_fixture.h"

using namespace engine_test;

namespace {

using Setup = void (*)(Engine*);

struct LookupCase {
    const char* name;
    Setup setup;
    const wchar_t* keys;
    int result;
    std::vector<std::string> words;
};

void Plain(Engine*) {}

const LookupCase kCases[] = {
    {"exact code: pinned first, then by order; deleted, secondary and auxiliary left out",
     Plain,
     L"a",
     kLookupShown,
     {"吖", "啊", "阿"}},
    {"auxiliary scheme adds class 4",
     [](Engine* e) { e->ime->options |= kImeAuxTable; },
     L"a",
     kLookupShown,
     {"吖", "嗄", "啊", "阿"}},
    {"secondary entries searched with the main ones",
     [](Engine* e) { e->ime->options |= kImeSearchSecondary; },
     L"a",
     kLookupShown,
     {"吖", "锕", "啊", "阿"}},
    {"secondary entries only when the main search is empty",
     [](Engine* e) { e->ime->options |= kImeSecondaryOnEmpty; },
     L"x",
     kLookupShown,
     {"戏"}},
    {"no secondary fallback without its setting", Plain, L"x", kLookupShown, {}},
    {"category entries pass the main scheme", Plain, L"m", kLookupShown, {"们"}},
    {"longer codes from showNextLength on",
     [](Engine* e) { e->dme->showNextLength = 1; },
     L"a",
     kLookupShown,
     {"吖", "啊", "阿", "阿爸", "阿布次"}},
    {"longer codes only when the exact search is empty",
     [](Engine* e) { e->dme->inputOptions |= kInputLongerOnEmpty; },
     L"z",
     kLookupShown,
     {"最"}},
    {"unique candidate at the auto-commit length",
     [](Engine* e) { e->dme->autoCommitLength = 2; },
     L"zz",
     kLookupCommitFirst,
     {"最"}},
    {"no auto-commit while a longer code continues",
     [](Engine* e) { e->dme->autoCommitLength = 2; },
     L"ab",
     kLookupShown,
     {"阿爸"}},
    {"auto-commit from the length on",
     [](Engine* e) { e->dme->autoCommitLength = 1; },
     L"zz",
     kLookupCommitFirst,
     {"最"}},
    {"exact lengths: no auto-commit past the length",
     [](Engine* e) {
         e->dme->autoCommitLength = 1;
         e->dme->inputOptions |= kInputExactLengths;
     },
     L"zz",
     kLookupShown,
     {"最"}},
    {"code-end key skips the length test",
     [](Engine* e) {
         e->dme->autoCommitLength = 5;
         e->dme->keyClass['z'] |= kKeyCodeEnd;
     },
     L"zz",
     kLookupCommitFirst,
     {"最"}},
    {"temporary words are never auto-committed",
     [](Engine* e) { e->dme->autoCommitLength = 2; },
     L"tt",
     kLookupShown,
     {"甜甜"}},
    {"empty code commits the previous first with a code key",
     [](Engine* e) { e->dme->emptyTopLength = 2; },
     L"zzq",
     kLookupCommitPreviousCodeKey,
     {"最"}},
    {"empty code commits the previous first with another key",
     [](Engine* e) { e->dme->emptyTopLength = 2; },
     L"zz1",
     kLookupCommitPreviousOtherKey,
     {"最"}},
    {"exact lengths: empty-code commit only one past the length",
     [](Engine* e) {
         e->dme->emptyTopLength = 1;
         e->dme->inputOptions |= kInputExactLengths;
     },
     L"zzq",
     kLookupShown,
     {}},
    {"empty code clears",
     [](Engine* e) { e->dme->emptyClearLength = 2; },
     L"zzq",
     kLookupClear,
     {}},
    {"exact lengths: empty code clears only at the length",
     [](Engine* e) {
         e->dme->emptyClearLength = 2;
         e->dme->inputOptions |= kInputExactLengths;
     },
     L"zzq",
     kLookupShown,
     {}},
    {"wildcard inside the code",
     [](Engine* e) { e->dme->wildcardChar = '?'; },
     L"a?c",
     kLookupShown,
     {"阿布次"}},
    {"wildcard as the only key without first-key lookup",
     [](Engine* e) { e->dme->wildcardChar = '?'; },
     L"?",
     kLookupShown,
     {}},
    {"wildcard as the only key lists one-key codes, secondary included",
     [](Engine* e) {
         e->dme->wildcardChar = '?';
         e->dme->inputOptions |= kInputWildcardFirstKey;
     },
     L"?",
     kLookupShown,
     {"吖", "锕", "啊", "阿", "们"}},
    {"wildcard for single characters only",
     [](Engine* e) {
         e->dme->wildcardChar = '?';
         e->dme->inputOptions |= kInputWildcardSingle;
     },
     L"a?",
     kLookupShown,
     {}},
    {"wildcard alone repeats the last output",
     [](Engine* e) {
         e->dme->wildcardChar = '?';
         e->dme->inputOptions |= kInputWildcardRepeat;
         std::wcscpy(e->input.outputText, L"你好");
         e->input.outputLength = 2;
     },
     L"?",
     kLookupShown,
     {"你好"}},
    {"auxiliary lead searches auxiliary entries only",
     [](Engine* e) { e->dme->auxiliaryLead = ';'; },
     L";a",
     kLookupShown,
     {"嗄"}},
    {"secondary lead searches secondary entries only",
     [](Engine* e) { e->dme->secondaryLead = ','; },
     L",a",
     kLookupShown,
     {"锕"}},
    {"words hidden below showWordsLength",
     [](Engine* e) { e->dme->showWordsLength = 3; },
     L"ab",
     kLookupShown,
     {}},
    {"temporary-English lead: codes that hold the lead are found as typed",
     [](Engine* e) { e->dme->tempEnglishLead = '\''; },
     L"'a",
     kLookupShown,
     {"撇"}},
    {"temporary English without engl.dmg runs the code lookup",
     [](Engine* e) {
         e->dme->tempEnglishLead = '\'';
         e->state |= kStateTempEnglish;
     },
     L"'a",
     kLookupShown,
     {"撇"}},
    {"keypad characters are key bytes", [](Engine*) {}, L"\x11\x12", kLookupShown, {"一二"}},
    {"full-width keypad characters are the same key bytes",
     [](Engine*) {},
     L"\xFF11\xFF12",
     kLookupShown,
     {"一二"}},
};

class LookupTable : public ::testing::TestWithParam<LookupCase> {};

TEST_P(LookupTable, ResultAndPage) {
    const LookupCase& c = GetParam();
    auto entries = StandardEntries();
    entries.push_back({"\x11\x12", "一二", Flags(1, 1)});
    entries.push_back({"'a", "撇", Flags(1, 1)});
    TestEngine t(entries, {{"tt", "甜甜", Flags(1, 2)}});
    c.setup(t.e);
    auto before = t.SettingsBytes();
    EXPECT_EQ(t.Type(c.keys), c.result);
    EXPECT_EQ(t.PageWords(), c.words);
    // The lookup's temporary settings never reach the shared block.
    EXPECT_EQ(t.SettingsBytes(), before);
    EXPECT_EQ(t.e->lookup.active, 0u);
    EXPECT_EQ(t.e->state & kStateSecondaryPass, 0u);
    // The page only names candidates that exist.
    const CandidatePage& p = t.e->page;
    EXPECT_LE(p.rowCount, p.pageSize);
    for (int64_t r = 0; r < p.rowCount; ++r) {
        EXPECT_GE(p.rowCandidate[r], 0);
        EXPECT_LT(p.rowCandidate[r], t.e->candidateCount);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, LookupTable, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<LookupCase>& info) {
                             return "case" + std::to_string(info.index);
                         });

TEST(Lookup, HintsShowTheNextCodeCharacters) {
    TestEngine t;
    t.e->dme->showNextLength = 1;
    t.Type(L"a");
    ASSERT_EQ(t.e->candidateCount, 5);
    EXPECT_EQ(t.e->candidates[0].hint[0], 0);
    EXPECT_EQ(std::wstring(t.e->candidates[3].hint), L"b");
    EXPECT_EQ(std::wstring(t.e->candidates[4].hint), L"bc");
    EXPECT_EQ(t.e->candidates[3].weight, kWeightLonger);
    EXPECT_EQ(t.e->candidates[0].weight, kWeightExact);
}

TEST(Lookup, NormaliseMarksWildcardsUnlessALeadWasDropped) {
    TestEngine t;
    t.e->dme->wildcardChar = '?';
    t.e->dme->tempEnglishLead = ';';
    uint8_t key[kKeyBufferBytes];
    bool dropped = false;
    EXPECT_EQ(NormaliseCode(t.e, L"a?b", key, &dropped), kCodeWildcard);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(key), 4), std::string("\x03"
                                                                        "a\x02"
                                                                        "b",
                                                                        4));
    EXPECT_EQ(NormaliseCode(t.e, L";a?", key, &dropped), kCodePlain);
    EXPECT_TRUE(dropped);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(key), 3), std::string("\x02"
                                                                        "a?",
                                                                        3));
    EXPECT_EQ(NormaliseCode(t.e, L";", key, &dropped), kCodePlain);
    EXPECT_EQ(key[0], 0);
    EXPECT_EQ(NormaliseCode(t.e, L"中", key, &dropped), kCodeEmpty);
    // The key ends at a character that is no key byte.
    EXPECT_EQ(NormaliseCode(t.e, L"ab中c", key, &dropped), kCodePlain);
    EXPECT_EQ(key[0], 2);
}

TEST(Lookup, WildcardWeightStaysPositiveForLongCodes) {
    std::string longCode = "a" + std::string(100, 'b');
    TestEngine t({{longCode, "长", Flags(1, 1)}, {"ab", "短", Flags(1, 1)}});
    t.e->dme->wildcardChar = '?';
    t.Type(L"a?");
    ASSERT_EQ(t.PageWords(), (std::vector<std::string>{"短", "长"}));
    EXPECT_EQ(t.e->candidates[0].weight, 64u);
    EXPECT_EQ(t.e->candidates[1].weight, 1u);
}

TEST(Lookup, LongerCodesAndPrefixes) {
    TestEngine t;
    uint8_t a[] = {1, 'a', 0}, abc[] = {3, 'a', 'b', 'c', 0}, q[] = {1, 'q', 0};
    EXPECT_EQ(HasLongerCodes(t.e, a, nullptr), 0);
    EXPECT_EQ(HasLongerCodes(t.e, abc, nullptr), 1);
    EXPECT_EQ(HasCodesWithPrefix(t.e, abc), 0);
    EXPECT_EQ(HasCodesWithPrefix(t.e, q), 1);
    // abc is a user word (class 2); it continues "ab" only while its class passes.
    uint8_t ab[] = {2, 'a', 'b', 0};
    EXPECT_EQ(HasLongerCodes(t.e, ab, nullptr), 0);
    t.e->ime->options = kImeAuxTable;  // auxiliary entries only
    EXPECT_EQ(HasLongerCodes(t.e, ab, nullptr), 1);
}

TEST(Lookup, DeletedEntriesContinueNoCode) {
    TestEngine t({{"k", "可", Flags(1, 1)}, {"kk", "看", Flags(1, 1, false, true)}});
    t.e->dme->autoCommitLength = 1;
    EXPECT_EQ(t.Type(L"k"), kLookupCommitFirst);
}

TEST(Lookup, LimitOf500CandidatesAnd2000ForMarkedEntries) {
    std::vector<FixtureEntry> plain, marked;
    for (int i = 0; i < 700; ++i) plain.push_back({"a", "字" + std::to_string(i), Flags(1, 1)});
    for (int i = 0; i < 2100; ++i)
        marked.push_back({"a", "字" + std::to_string(i), Flags(1, 1) | kFlagFirstLines});
    TestEngine p(plain), m(marked);
    p.Type(L"a");
    m.Type(L"a");
    EXPECT_EQ(p.e->candidateCount, 500);
    EXPECT_EQ(m.e->candidateCount, 2000);
}

TEST(Lookup, EnglishModeResultSixIsToldApartFromTheEmptyCodeCommit) {
    TestEngine english;
    english.e->state |= kStateEnglishMode;
    int r = english.Type(L"a");
    EXPECT_EQ(r, kProcessEnglishPassThrough);
    EXPECT_TRUE(IsEnglishPassThrough(english.e, r));

    TestEngine chinese;
    chinese.e->dme->emptyTopLength = 2;
    r = chinese.Type(L"zz1");
    EXPECT_EQ(r, kLookupCommitPreviousOtherKey);
    EXPECT_FALSE(IsEnglishPassThrough(chinese.e, r));
}

TEST(Lookup, EnglishPassThroughOnlyInEnglishModeWithoutEnglishTable) {
    struct Case {
        uint32_t state;
        bool englishTable;
        int result;
        bool pass;
    };
    const Case cases[] = {
        {kStateEnglishMode, false, kProcessEnglishPassThrough, true},
        {kStateEnglishMode, true, kProcessEnglishPassThrough, false},
        {kStateEnglishMode | kStateTempEnglish, false, kProcessEnglishPassThrough, false},
        {kStateTempEnglish, false, kProcessEnglishPassThrough, false},
        {0, false, kProcessEnglishPassThrough, false},
        {kStateEnglishMode, false, kLookupCommitPreviousCodeKey, false},
    };
    for (const Case& c : cases) {
        TestEngine t;
        MappedFile english{};
        t.e->state = c.state;
        if (c.englishTable) t.e->englishTable = &english;
        EXPECT_EQ(IsEnglishPassThrough(t.e, c.result), c.pass) << std::hex << c.state;
    }
}

TEST(Lookup, PreviousFirstBelongsToEachEngine) {
    TestEngine one, two;
    one.e->dme->emptyTopLength = 2;
    two.e->dme->emptyTopLength = 2;
    one.Type(L"zz");
    two.Type(L"a");
    EXPECT_EQ(one.Type(L"q"), kLookupCommitPreviousCodeKey);
    EXPECT_EQ(one.PageWords(), std::vector<std::string>{"最"});
    EXPECT_EQ(two.Type(L"qq"), kLookupShown);  // "aqq": the previous code had no candidate
}

TEST(Lookup, NewCodeEndsTheAssociationKey) {
    TestEngine t;
    t.e->dme->wildcardChar = '?';
    t.e->dme->inputOptions |= kInputWildcardRepeat;
    std::wcscpy(t.e->input.outputText, L"你好吗");
    t.e->input.outputLength = 3;
    // Left over from an association list of a two-byte key.
    t.e->input.searchKey.length = 2;
    t.e->state |= kStateAssociation;
    t.Type(L"?");
    EXPECT_EQ(t.PageWords(), std::vector<std::string>{"你好吗"});
    EXPECT_EQ(t.e->input.searchKey.length, 0);
    EXPECT_EQ(t.e->state & kStateAssociation, 0u);
}

TEST(Lookup, ProcessInputBuildsTheCompositionText) {
    TestEngine t;
    EXPECT_EQ(t.Type(L"ab"), kLookupShown);
    EXPECT_EQ(std::wstring(t.e->input.compositionText), L"ab");
    EXPECT_EQ(t.e->input.compositionLength, 2u);
    EXPECT_EQ(t.e->input.compositionCaret, 2u);
}

}  // namespace
