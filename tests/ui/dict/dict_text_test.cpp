// Which text of a candidate the dictionary looks up, and what it shows for it.
#include "ui/dict/dict_text.h"

#include <gtest/gtest.h>

#include <string>

#include "support/table_fixture.h"
#include "support/table_on_disk.h"
#include "support/test_files.h"
#include "ui/ui_engine_fixture.h"

namespace {

using testing_support::MakeKeyValueTable;
using testing_support::Narrow;
using testing_support::TableOnDisk;
using testing_support::UiEngine;

TEST(DictText, CommandTexts) {
    struct Case {
        const wchar_t* text;
        bool command;
    } cases[] = {
        {L"run(notepad.exe)", true}, {L"help(x)", true},  {L"set([-IME设置-],a=b)", true},
        {L"convert(全半角)", true},  {L"skbd(1)", true},  {L"config()", true},
        {L"a keyboard(1)", true},    {L"xnewkey(", true}, {L"Run(x)", false},
        {L"runner", false},          {L"你好", false},    {L"", false},
        {L"keyboard", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsDictCommandText(c.text, uint32_t(wcslen(c.text))), c.command) << Narrow(c.text);
    }
    EXPECT_FALSE(IsDictCommandText(nullptr, 0));
    EXPECT_FALSE(IsDictCommandText(L"run(", 3)) << "only the given length counts";
}

TEST(DictText, KeyIsTheCommitTextUnlessEmptyOrACommand) {
    UiEngine t;
    t.Page({L"显示", L"打开", L"词", L"你好"});
    auto setCommit = [&](int row, const std::wstring& text) {
        PageRow& r = t.e->page.rowCommit[row];
        r.length = uint32_t(text.size());
        wcscpy(r.text, text.c_str());
    };
    setCommit(1, L"run(notepad.exe)");
    setCommit(2, L"词语");
    setCommit(3, L"a newkey(b)");
    struct Case {
        int64_t row;
        const wchar_t* key;
    } cases[] = {{0, L"显示"}, {1, L"打开"}, {2, L"词语"}, {3, L"你好"}, {-1, L""}, {11, L""}};
    for (const Case& c : cases) {
        wchar_t key[kDictKeyUnits];
        DictLookupKey(t.e, c.row, key);
        EXPECT_EQ(std::wstring(key), c.key) << c.row;
    }
    EXPECT_EQ(DictPageRow(t.e, 2), 2);
    EXPECT_EQ(DictPageRow(t.e, 7), -1) << "not on the page";
    EXPECT_EQ(DictPageRow(t.e, -1), -1);
}

TEST(DictText, KeyHoldsAtMost127CharactersAndNoHalfPair) {
    UiEngine t;
    std::wstring longText(126, L'a');
    longText += L"\U0001F600b";  // the pair would end at unit 128
    t.Page({std::wstring(129, L'x'), longText});
    wchar_t key[kDictKeyUnits];
    DictLookupKey(t.e, 0, key);
    EXPECT_EQ(std::wstring(key), std::wstring(127, L'x'));
    DictLookupKey(t.e, 1, key);
    EXPECT_EQ(std::wstring(key), std::wstring(126, L'a')) << "cut before the pair";
}

TEST(DictText, ExplanationLookups) {
    const std::string longValue(600, 'v');
    TableOnDisk dict(MakeKeyValueTable({
                         {"你好", "问候语\r\n \r\n详细的解释"},
                         {"abc", "字母"},
                         {"赞拓输入法", "输入法"},
                         {"你好", "第二个值"},
                         {"long", longValue},
                     }),
                     L"dict.dms");
    struct Case {
        const char* name;
        const wchar_t* key;
        const wchar_t* text;
        bool found;
    } cases[] = {
        {"short explanation up to the blank line", L"你好", L"问候语", true},
        {"letters and digits without an entry: the letters", L"a1b2c3", L"字母", true},
        {"signs are taken out too", L"[abc]!", L"字母", true},
        {"digits and signs only", L"12.5%", L"输入法", true},
        {"nothing found: the key", L"没有", L"没有", false},
        {"empty key", L"", L"输入法", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        wchar_t text[kDictTextUnits];
        EXPECT_EQ(DictExplanation(dict.get(), c.key, text), c.found);
        EXPECT_EQ(std::wstring(text), c.text);
    }
    wchar_t text[kDictTextUnits];
    EXPECT_TRUE(DictExplanation(dict.get(), L"long", text));
    EXPECT_EQ(std::wstring(text), std::wstring(511, L'v')) << "at most 511 characters";
    EXPECT_FALSE(DictExplanation(nullptr, L"你好", text));
    EXPECT_EQ(std::wstring(text), L"你好");
    EXPECT_FALSE(DictExplanation(dict.get(), nullptr, text));
    EXPECT_EQ(std::wstring(text), L"");
}

}  // namespace
