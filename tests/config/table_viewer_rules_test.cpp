// The table viewer's decisions: the filters, code decoding, cell texts and colours, delete and
// undelete on a scratch table, and the copied text.
#include "config/table_viewer_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "core/table/code_table.h"
#include "support/mapped_table.h"
#include "support/table_fixture.h"
#include "support/table_on_disk.h"
#include "support/test_files.h"

namespace {

using namespace testing_support;

uint32_t Flags(uint32_t order, uint32_t cls, bool pinned = false, bool deleted = false) {
    return ComposeFlags(order, cls, pinned) | (deleted ? kFlagDeleted : 0);
}

std::vector<FixtureEntry> Entries() {
    return {
        {"a", "阿", Flags(100, 1)},         {"a", "啊", Flags(300, 2)},
        {"ab", "阿爸", Flags(10, 1, true)}, {"abc", "阿布", Flags(5, 1, false, true)},
        {"b", "不", Flags(7, 16)},          {"ba", "八", Flags(9, 5)},  // class 5: never listed
        {"\x16\x14", "你", Flags(900, 1)},  {"ca", "擦阿", Flags(1, 3)},
    };
}

std::vector<std::string> Words(const MappedFile* t, const ViewerFilter& f) {
    std::vector<std::string> out;
    const TableView v = MakeTableView(t);
    for (int32_t p : FilterPositions(t, f)) out.push_back(Narrow(ViewerWord(v, v.EntryAt(p))));
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

TEST(ViewerFilter, StateClassCodeAndWordExactOrFuzzy) {
    MappedTable t(MakeCodeTable(Entries()));
    struct Case {
        const char* what;
        ViewerFilter filter;
        std::vector<std::string> words;
    };
    auto F = [](std::wstring code, std::wstring word, bool fuzzy, int cls = 0, bool del = false,
                bool pin = false) {
        ViewerFilter f;
        f.code = code;
        f.word = word;
        f.fuzzy = fuzzy;
        f.classFilter = cls;
        f.showDeleted = del;
        f.showPinned = pin;
        return f;
    };
    const std::vector<Case> cases = {
        {"everything but class 5",
         F(L"", L"", false),
         {"你", "阿", "啊", "阿爸", "阿布", "不", "擦阿"}},
        {"code a exactly", F(L"a", L"", false), {"阿", "啊"}},
        {"codes starting with a", F(L"a", L"", true), {"阿", "啊", "阿爸", "阿布"}},
        {"words containing 阿", F(L"", L"阿", true), {"阿", "阿爸", "阿布", "擦阿"}},
        {"word exactly", F(L"", L"阿", false), {"阿"}},
        {"code and word", F(L"a", L"啊", false), {"啊"}},
        {"keypad code as full-width digits", F(L"６４", L"", false), {"你"}},
        {"class 2", F(L"", L"", false, 2), {"啊"}},
        {"class 16", F(L"b", L"", true, 16), {"不"}},
        {"deleted ones", F(L"", L"", false, 1, true), {"阿布"}},
        {"pinned ones", F(L"", L"", false, 0, false, true), {"阿爸"}},
        {"deleted before pinned", F(L"", L"", false, 0, true, true), {"阿布"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Words(t.get(), c.filter), Sorted(c.words)) << c.what;
    // A list table: no code, its text is the word.
    MappedTable list(MakeListTable({{"中国", 5}, {"中文", 3}, {"英文", 2}}));
    EXPECT_EQ(Words(list.get(), F(L"", L"中", true)), (std::vector<std::string>{"中国", "中文"}));
    EXPECT_EQ(Words(list.get(), F(L"x", L"", true)), (std::vector<std::string>{}));
}

TEST(ViewerCells, TextsAndColoursByColumnTableAndState) {
    auto soft = std::make_unique<SoftConfigData>();
    *soft = SoftConfigData{};
    std::wcscpy(soft->classAliases[0], L"主");
    std::wcscpy(soft->classAliases[1], L"系统");
    std::wcscpy(soft->classAliases[4], L"辅");
    MappedTable t(MakeCodeTable({{"\x16\x01", "你", Flags(900, 1)},
                                 {"a", "啊", Flags(300, 2)},
                                 {"b", "吧", Flags(3, 4, true)},
                                 {"c", "才", Flags(4, 17, false, true)},
                                 {"d", "的", Flags(8, 0)}}));
    const TableView v = MakeTableView(t.get());
    struct Case {
        int32_t position;
        const wchar_t* texts[5];
        COLORREF colour;
    };
    const Case cases[] = {
        {0, {L"1", L"\xFF16\xFF01", L"你", L"主 - 系统", L"900"}, RGB(0, 0, 0)},
        {1, {L"2", L"a", L"啊", L"主 - 类2", L"300"}, RGB(0, 0, 128)},
        {2, {L"3", L"b", L"吧", L" 固顶", L"3"}, RGB(0, 0, 0)},
        {3, {L"4", L"c", L"才", L" 已删除", L"4"}, RGB(255, 0, 0)},
        {4, {L"5", L"d", L"的", L"", L"8"}, RGB(0, 0, 0)},
    };
    for (const Case& c : cases) {
        for (int col = 0; col < 5; ++col)
            EXPECT_EQ(ViewerCellText(static_cast<ViewerColumn>(col), ViewerTable::Main, v,
                                     c.position, soft.get()),
                      c.texts[col])
                << "row " << c.position << " column " << col;
        EXPECT_EQ(ViewerRowColour(LoadU32(v.EntryAt(c.position))), c.colour);
    }
    // Class 4 shows its alias alone; the list tables their own names.
    MappedTable aux(MakeCodeTable({{"x", "辅", Flags(1, 4)}}));
    EXPECT_EQ(ViewerCellText(ViewerColumn::Class, ViewerTable::Main, MakeTableView(aux.get()), 0,
                             soft.get()),
              L"辅");
    MappedTable list(MakeListTable({{"中国", 5}}));
    const TableView lv = MakeTableView(list.get());
    EXPECT_EQ(ViewerCellText(ViewerColumn::Class, ViewerTable::Association, lv, 0, soft.get()),
              L"联想表");
    EXPECT_EQ(ViewerCellText(ViewerColumn::Code, ViewerTable::Association, lv, 0, soft.get()), L"");
    EXPECT_EQ(ViewerCellText(ViewerColumn::Word, ViewerTable::English, lv, 0, soft.get()), L"中国");
    EXPECT_EQ(ViewerCellText(ViewerColumn::Word, ViewerTable::Main, v, 99, soft.get()), L"");
}

TEST(ViewerTables, CaptionByFile) {
    struct Case {
        const wchar_t* path;
        const wchar_t* caption;
    };
    const Case cases[] = {{L"C:\\d\\main.dmg", L"输入编码表详细视图"},
                          {L"C:\\d\\TEMP.DMG", L"临时码表详细视图"},
                          {L"C:\\d\\sysl.dmg", L"联想词库详细视图"},
                          {L"C:\\d\\engl.dmg", L"英文词库详细视图"},
                          {L"C:\\d\\x.dmg", L"码表详细视图"}};
    for (const Case& c : cases) EXPECT_STREQ(ViewerCaption(ViewerTableOf(c.path)), c.caption);
}

TEST(ViewerEdits, DeleteRemovesUserAndEditableEntriesAndMarksTheOthers) {
    auto soft = std::make_unique<SoftConfigData>();
    *soft = SoftConfigData{};
    soft->classPermissions[16] = 1;  // editable category
    TableOnDisk t(MakeCodeTable({{"a", "甲", Flags(1, 1)},
                                 {"b", "乙", Flags(1, 2)},
                                 {"c", "丙", Flags(1, 16)},
                                 {"d", "丁", Flags(1, 3)},
                                 {"e", "戊", Flags(1, 1)}}));
    // Rows given in list order; all but "e".
    EXPECT_EQ(DeleteViewerEntries(t.get(), soft.get(), {0, 1, 2, 3}), 4);
    std::vector<std::string> rows;
    for (const TableRow& r : ReadRows(t.get()))
        rows.push_back(r.code + ((r.flags & kFlagDeleted) ? "-" : "+"));
    EXPECT_EQ(rows, (std::vector<std::string>{"a-", "d-", "e+"}));
    // The index is true again: every remaining code is found.
    for (const char* code : {"\x01"
                             "a",
                             "\x01"
                             "d",
                             "\x01"
                             "e"})
        EXPECT_GT(CodeTable::FindCode(t.get(), reinterpret_cast<const uint8_t*>(code)), 0) << code;

    EXPECT_EQ(UndeleteViewerEntries(t.get(), {0, 1, 2}), 2);
    for (const TableRow& r : ReadRows(t.get())) EXPECT_FALSE(r.flags & kFlagDeleted) << r.code;
    EXPECT_EQ(UndeleteViewerEntries(t.get(), {0, 7}), 0);
}

TEST(ViewerCopy, AtMostTwentyFourRowsLastSelectedFirst) {
    std::vector<FixtureEntry> entries;
    for (int i = 0; i < 30; ++i)
        entries.push_back({std::string(1, static_cast<char>('a' + i % 26)) + std::to_string(i),
                           "字" + std::to_string(i), Flags(1, 1)});
    MappedTable t(MakeCodeTable(entries));
    const TableView v = MakeTableView(t.get());
    std::vector<int32_t> all;
    for (int32_t i = 0; i < 30; ++i) all.push_back(i);
    const std::wstring text = ViewerCopyText(v, all);
    std::vector<std::wstring> lines;
    for (size_t at = 0; at < text.size();) {
        const size_t end = text.find(L"\r\n", at);
        ASSERT_NE(end, std::wstring::npos);
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    ASSERT_EQ(lines.size(), 24u);
    EXPECT_EQ(lines.front(), ViewerWord(v, v.EntryAt(29)) + L"\t" + ViewerCode(v, v.EntryAt(29)));
    EXPECT_EQ(lines.back(), ViewerWord(v, v.EntryAt(6)) + L"\t" + ViewerCode(v, v.EntryAt(6)));
    EXPECT_EQ(ViewerCopyText(v, {}), L"");
}

}  // namespace
