// The mini dictionary's lookups on a small dict.dms made by the table generator's builder,
// the codes of a word, the history and the web addresses.
#include "config/dictionary_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/table/table_format.h"
#include "support/mapped_table.h"
#include "support/table_fixture.h"
#include "support/test_files.h"
#include "tablegen/key_value_table.h"

namespace {

using namespace testing_support;
using Words = std::vector<std::wstring>;

std::vector<uint8_t> SmallDict() {
    const std::wstring text =
        L"你好\t问候语\n你\t第二人称\n你好吗\t问候\n你们\t复数\n好\t优点多\n"
        L"你好\t又一条解释\n你好世界\t程序\n大家好\t问候众人\n你\t另一条\n";
    KeyValueParse p = ParseKeyValueText(text.c_str(), text.size());
    return MakeKeyValueTableBytes(p.items);
}

TEST(DictionarySearch, ExactRelatedAndWholeTable) {
    MappedTable dict(SmallDict());
    struct Case {
        const wchar_t* word;
        Words explanations;  // in file order
        Words related;       // by length, then bytes
        Words all;
    };
    const Case cases[] = {
        {L"你好",
         {L"问候语", L"又一条解释"},
         {L"你好", L"你好", L"你好吗", L"你好世界"},
         {L"你好", L"你好", L"你好吗", L"你好世界"}},
        {L"你",
         {L"第二人称", L"另一条"},
         {L"你", L"你", L"你们", L"你好", L"你好", L"你好吗", L"你好世界"},
         {L"你", L"你", L"你们", L"你好", L"你好", L"你好吗", L"你好世界"}},
        // Not itself a key: no related words although longer keys start with it.
        {L"你好世", {}, {}, {L"你好世界"}},
        {L"家好", {}, {}, {L"大家好"}},
        {L"没有", {}, {}, {}},
        {L"", {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.word));
        EXPECT_EQ(FindDictEntry(dict.get(), c.word), c.explanations);
        EXPECT_EQ(DictHasWord(dict.get(), c.word), !c.explanations.empty());
        EXPECT_EQ(SearchDictRelated(dict.get(), c.word), c.related);
        EXPECT_EQ(SearchDictAll(dict.get(), c.word), c.all);
    }
    EXPECT_EQ(DictionaryText(FindDictEntry(dict.get(), L"你好")), L"问候语\r\n又一条解释\r\n");
    EXPECT_EQ(DictionaryText({}), L"词典中尚未收录该词条.");
    // Not a dictionary, or no table: nothing.
    MappedTable main(MakeCodeTable({{"nh", "你好"}}));
    EXPECT_TRUE(FindDictEntry(main.get(), L"你好").empty());
    EXPECT_TRUE(SearchDictAll(main.get(), L"你好").empty());
    EXPECT_TRUE(SearchDictRelated(nullptr, L"你好").empty());
}

TEST(DictionarySearch, CodesOfAWordInTheMainTable) {
    MappedTable main(MakeCodeTable({{"\x16\x14", "你"}, {"ni", "你"}, {"hao", "好"}}));
    EXPECT_EQ(FindWordCodes(main.get(), L"你"), L"编码:  ６４ ni");
    EXPECT_EQ(FindWordCodes(main.get(), L"好"), L"编码:  hao");
    EXPECT_EQ(FindWordCodes(main.get(), L"他"), L"未能找到 他 的编码");
    EXPECT_EQ(FindWordCodes(nullptr, L"他"), L"未能找到 他 的编码");
}

TEST(DictHistory, KeepsThirtyThreeWordsAndDropsTheWordsAfterTheCursor) {
    DictHistory h;
    EXPECT_FALSE(h.CanGoBack());
    EXPECT_FALSE(h.CanGoForward());
    for (int i = 1; i <= 40; ++i) h.Record(L"w" + std::to_wstring(i));
    ASSERT_EQ(h.words().size(), 33u);
    EXPECT_EQ(h.words().front(), L"w8");
    EXPECT_EQ(h.position(), 33);
    h.Record(L"w40");  // the word at the cursor again: the oldest goes, nothing is added
    EXPECT_EQ(h.words().size(), 32u);
    EXPECT_EQ(h.words().back(), L"w40");
    EXPECT_EQ(h.Back(), L"w39");
    EXPECT_EQ(h.Back(), L"w38");
    EXPECT_TRUE(h.CanGoForward());
    EXPECT_EQ(h.Forward(), L"w39");
    h.Record(L"new");  // w40 goes
    EXPECT_EQ(h.words().back(), L"new");
    EXPECT_EQ(h.words()[h.words().size() - 2], L"w39");
    EXPECT_FALSE(h.CanGoForward());
    EXPECT_EQ(h.Forward(), L"");
    DictHistory one;
    one.Record(L"a");
    EXPECT_FALSE(one.CanGoBack());
    EXPECT_EQ(one.Back(), L"");
}

TEST(WebLookup, TheWordIsEncodedAsAQueryComponent) {
    struct Case {
        WebLookup service;
        const wchar_t* word;
        const wchar_t* url;
    };
    const Case cases[] = {
        {WebLookup::Dictionary, L"你好", L"https://www.zdic.net/search/?q=%E4%BD%A0%E5%A5%BD"},
        {WebLookup::Bilingual, L"好", L"https://www.iciba.com/%E5%A5%BD"},
        {WebLookup::Google, L"a&b=c d",
         L"https://www.google.com/search?newwindow=1&source=hp&q=a%26b%3Dc%20d"},
        {WebLookup::Baidu, L"100%#?", L"https://www.baidu.com/s?wd=100%25%23%3F"},
        {WebLookup::Baidu, L"𠀀", L"https://www.baidu.com/s?wd=%F0%A0%80%80"},
        {WebLookup::Baidu, L"", L""},
    };
    for (const Case& c : cases) EXPECT_EQ(WebLookupUrl(c.service, c.word), c.url) << Narrow(c.word);
    EXPECT_EQ(WebLookupUrl(WebLookup::Baidu, std::wstring(200, L'字').c_str()), L"");
}

}  // namespace
