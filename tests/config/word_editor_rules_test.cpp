// The word editor's decisions: the online word cut from a text, the word length, the code
// check, the proposed code, and add, revive, refuse and modify on a scratch main.dmg.
#include "config/word_editor_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/table/code_table.h"
#include "core/table/table_format.h"
#include "support/table_fixture.h"
#include "support/table_invariants.h"
#include "support/table_on_disk.h"

namespace {

using namespace testing_support;

TEST(WordEditorRules, CutsTheLastCharactersOfTheSource) {
    struct Case {
        const wchar_t* source;
        int length;
        bool taken;
        int lengthAfter;
        const wchar_t* word;
    };
    const Case cases[] = {
        {L"我们在线加词", 2, true, 2, L"加词"},
        {L"我们", 5, true, 2, L"我们"},  // lowered to the count
        {L"我们", 0, true, 0, L""},
        {L"a\U00020000\U00020001", 2, true, 2, L"\U00020000\U00020001"},  // pairs count once
        {L"a\U00020000b", 2, true, 2, L"\U00020000b"},
        {L"\U00020000", 3, true, 1, L"\U00020000"},
        {L"", 2, false, 2, L"untouched"},
        {L"ab\xD800", 2, false, 2, L"untouched"},  // a broken pair takes nothing
        {L"a\xDC00", 1, false, 1, L"untouched"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        wchar_t word[kWordEditorUnits];
        std::wcscpy(word, L"untouched");
        int length = c.length;
        EXPECT_EQ(CutWordFromSource(c.source, length, word), c.taken);
        EXPECT_EQ(length, c.lengthAfter);
        EXPECT_STREQ(word, c.word);
    }
}

TEST(WordEditorRules, WordLengthStaysWithinZeroAndThirty) {
    const int cases[][3] = {{2, 1, 3}, {30, 1, 30}, {29, 1, 30}, {1, -1, 0}, {0, -1, 0}};
    for (const auto& c : cases) EXPECT_EQ(StepWordLength(c[0], c[1]), c[2]);
}

TEST(WordEditorRules, CodesHoldPrintableAsciiAndKeypadCharactersOnly) {
    const struct {
        const wchar_t* code;
        bool ok;
    } cases[] = {
        {L"abc", true},     {L"!~", true},      {L"\uFF11\uFF19\uFF0A", true},
        {L"ab\tc", false},  {L"a b", false},    {L"\x7F", false},
        {L"\x80", false},   {L"\uFF09", false}, {L"\uFF1A", false},
        {L"\uFF21", false}, {L"中", false},     {L"a\U00020000", false},
        {L"\x01", false},   {L"\n", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsKeyboardCode(c.code), c.ok) << Narrow(c.code);
}

TEST(WordEditorRules, ProposesTheCodeByTheRuleOfTheCharacterCount) {
    // 你 ６４, 好 ４８６.
    TableOnDisk chars(MakeKeyValueTable({{"\xe4\xbd\xa0", "\xef\xbc\x96\xef\xbc\x94"},
                                         {"\xe5\xa5\xbd", "\xef\xbc\x94\xef\xbc\x98\xef\xbc\x96"}}),
                      L"danzi.dmi");
    auto dme = std::make_unique<DmeConfigData>();
    std::memset(dme.get(), 0, sizeof *dme);
    auto term = [](int ch, int k) { return static_cast<uint16_t>((ch << 8) | k); };
    const uint16_t two[] = {term(1, 1), term(1, 2), term(2, 1), term(2, 2), 0};
    std::memcpy(dme->wordRules[2].terms, two, sizeof two);
    for (int n = 3; n < kWordRuleSlots; ++n) dme->wordRules[n].terms[0] = term(1, 1);
    const std::wstring thirty(30, L'你'), twentyNine(29, L'你');
    const struct {
        const wchar_t* word;
        const wchar_t* code;
    } cases[] = {
        {L"你好", L"６４４８"},
        {L"你好你", L"６"},
        {twentyNine.c_str(), L"６"},
        {thirty.c_str(), L""},  // 30 characters get no code
        {L"你", L""},           // no rule for one character
        {L"", L""},
        {L"你\xD800", L""},
    };
    for (const auto& c : cases) {
        wchar_t code[kWordEditorUnits] = L"old";
        ProposeWordCode(chars.get(), dme.get(), c.word, code);
        EXPECT_STREQ(code, c.code) << Narrow(c.word);
    }
    wchar_t code[kWordEditorUnits] = L"old";
    EXPECT_FALSE(ProposeWordCode(nullptr, dme.get(), L"你好", code));
    EXPECT_STREQ(code, L"");
}

// A scratch main.dmg for the add tests.
std::vector<FixtureEntry> MainEntries() {
    return {
        {"\x11", "\xe4\xb8\x80", ComposeFlags(900, 1)},               // 一
        {"\x11\x12", "\xe4\xba\x8c", ComposeFlags(800, 1)},           // 二
        {"\x13", "\xe4\xb8\x89", ComposeFlags(5, 2) | kFlagDeleted},  // 三, deleted
        {"ab", "\xe5\x9b\x9b", ComposeFlags(700, 1)},                 // 四
    };
}

int64_t Find(MappedFile* t, const std::string& code, const std::string& word) {
    std::string key;
    key += static_cast<char>(code.size());
    key += code;
    key += static_cast<char>(word.size());
    key += word;
    return CodeTable::FindEntry(t, reinterpret_cast<const uint8_t*>(key.data()));
}

uint32_t FlagsOf(MappedFile* t, int64_t found) {
    return LoadU32(MakeTableView(t).EntryAt(static_cast<int32_t>(found - 1)));
}

int32_t Count(MappedFile* t) { return MakeTableView(t).count; }

// More than 250 bytes of UTF-8 cannot be stored.
const std::wstring longWord(100, L'七');

TEST(WordEditorAdd, AddsRevivesAndRefuses) {
    struct Case {
        const wchar_t* word;
        const wchar_t* code;
        bool before;
        WordAddResult result;
        int32_t countAfter;
        const char* rawCode;  // the stored entry to check, null: none
        const char* rawWord;
        uint32_t flags;
    };
    const Case cases[] = {
        {L"五", L"\uFF14\uFF15", false, WordAddResult::Added, 5, "\x14\x15", "\xe4\xba\x94",
         ComposeFlags(1024, 2)},
        {L"六", L"xy", true, WordAddResult::Added, 5, "xy", "\xe5\x85\xad",
         ComposeFlags(0xC000, 2)},
        {L"六", L"x#序77", false, WordAddResult::NotKeyboard, 4, nullptr, nullptr, 0},
        {L"三", L"\uFF13", true, WordAddResult::Revived, 4, "\x13", "\xe4\xb8\x89",
         ComposeFlags(0xC000, 2)},  // the deleted copy takes the new order, no second copy
        {L"一", L"\uFF11", false, WordAddResult::Exists, 4, "\x11", "\xe4\xb8\x80",
         ComposeFlags(900, 1)},
        {L"", L"a", false, WordAddResult::EmptyWord, 4, nullptr, nullptr, 0},
        {L"七", L"", false, WordAddResult::EmptyCode, 4, nullptr, nullptr, 0},
        {L"七", L"a\tb", false, WordAddResult::NotKeyboard, 4, nullptr, nullptr, 0},
        {L"七", L"\uFF1A", false, WordAddResult::NotKeyboard, 4, nullptr, nullptr, 0},
        {L"七", L"中", false, WordAddResult::NotKeyboard, 4, nullptr, nullptr, 0},
        {longWord.c_str(), L"a", false, WordAddResult::BadEntry, 4, nullptr, nullptr, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        TableOnDisk t(MakeCodeTable(MainEntries()), L"main.dmg");
        WordAddRequest r{c.word, c.code, 2, c.before, nullptr};
        EXPECT_EQ(AddWordToTable(t.get(), r), c.result);
        EXPECT_EQ(Count(t.get()), c.countAfter);
        EXPECT_EQ(CheckTableInvariants(t.get()), "");
        if (c.rawCode) {
            const int64_t at = Find(t.get(), c.rawCode, c.rawWord);
            ASSERT_GT(at, 0);
            EXPECT_EQ(FlagsOf(t.get(), at), c.flags);
        }
        // What was added is there after the file is mapped again.
        ASSERT_TRUE(t.Reopen());
        if (c.rawCode) {
            EXPECT_GT(Find(t.get(), c.rawCode, c.rawWord), 0);
        }
    }
}

TEST(WordEditorAdd, StatusTextsOfTheResults) {
    const struct {
        WordAddResult r;
        const wchar_t* text;
    } cases[] = {
        {WordAddResult::Added, L""},
        {WordAddResult::Revived, L"取消删除，并已更改排序"},
        {WordAddResult::EmptyWord, L"词条不能为空"},
        {WordAddResult::EmptyCode, L"编码不能为空"},
        {WordAddResult::NotKeyboard, L"编码不能非键盘字符"},
        {WordAddResult::BadEntry, L"非法的定义."},
        {WordAddResult::Exists, L"词条已存在"},
        {WordAddResult::AddFailed, L"加词失败"},
    };
    for (const auto& c : cases) EXPECT_STREQ(WordAddStatusText(c.r), c.text);
}

// Modify: the old entry goes only with a successful add, and only once.
TEST(WordEditorAdd, ModifyDeletesTheOldEntryOnlyAfterASuccessfulAdd) {
    struct Case {
        const wchar_t* word;
        const wchar_t* code;
        WordAddResult result;
        bool oldGone;
        int32_t countAfter;
    };
    const Case cases[] = {
        {L"贰", L"\uFF11\uFF12", WordAddResult::Added, true, 4},
        {L"二", L"\uFF11\uFF12", WordAddResult::Replaced, false, 4},  // same text: in place
        {L"一", L"\uFF11", WordAddResult::Exists, false, 4},
        {L"贰", L"a\tb", WordAddResult::NotKeyboard, false, 4},
        {longWord.c_str(), L"\uFF11", WordAddResult::BadEntry, false, 4},
        {L"三", L"\uFF13", WordAddResult::Revived, true, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        TableOnDisk t(MakeCodeTable(MainEntries()), L"main.dmg");
        const int64_t oldAt = Find(t.get(), "\x11\x12", "\xe4\xba\x8c");
        ASSERT_GT(oldAt, 0);
        ReplacedEntryKey old = KeyOfEntryAt(t.get(), static_cast<int32_t>(oldAt - 1));
        ASSERT_GT(old.length, 0);
        WordAddRequest r{c.word, c.code, 2, false, &old};
        EXPECT_EQ(AddWordToTable(t.get(), r), c.result);
        EXPECT_EQ(Find(t.get(), "\x11\x12", "\xe4\xba\x8c") > 0, !c.oldGone);
        EXPECT_EQ(Count(t.get()), c.countAfter);
        EXPECT_EQ(CheckTableInvariants(t.get()), "");
        if (IsWordAdded(c.result)) {
            EXPECT_EQ(old.length, 0);  // done with: a second OK deletes nothing
        } else {
            // A failed modify keeps the original; a second try that succeeds replaces it
            // and nothing else.
            EXPECT_GT(old.length, 0);
            WordAddRequest again{L"贰", L"\uFF11\uFF12", 2, false, &old};
            EXPECT_EQ(AddWordToTable(t.get(), again), WordAddResult::Added);
            EXPECT_LE(Find(t.get(), "\x11\x12", "\xe4\xba\x8c"), 0);
            EXPECT_GT(Find(t.get(), "\x11", "\xe4\xb8\x80"), 0);
            EXPECT_GT(Find(t.get(), "ab", "\xe5\x9b\x9b"), 0);
            EXPECT_EQ(Count(t.get()), 4);
        }
    }
    // Replaced in place: the class and order are the new ones.
    TableOnDisk t(MakeCodeTable(MainEntries()), L"main.dmg");
    ReplacedEntryKey old = KeyOfEntryAt(t.get(), 1);
    WordAddRequest r{L"二", L"\uFF11\uFF12", 3, true, &old};
    ASSERT_EQ(AddWordToTable(t.get(), r), WordAddResult::Replaced);
    EXPECT_EQ(FlagsOf(t.get(), Find(t.get(), "\x11\x12", "\xe4\xba\x8c")), ComposeFlags(0xC000, 3));
    EXPECT_EQ(KeyOfEntryAt(t.get(), 99).length, 0);
    EXPECT_EQ(KeyOfEntryAt(t.get(), -1).length, 0);
}

}  // namespace
