// The table page's decisions: its rows, what a selected row allows, progress percentages and
// the export names.
#include "config/table_manager_rules.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Soft {
    std::unique_ptr<SoftConfigData> data = std::make_unique<SoftConfigData>();
    Soft() { *data = SoftConfigData{}; }
    Soft& Alias(int cls, const wchar_t* text) {
        std::wcscpy(data->classAliases[cls], text);
        return *this;
    }
    Soft& Permit(int cls, uint32_t bits) {
        data->classPermissions[cls] = bits;
        return *this;
    }
};

std::wstring RowText(const ManagerRow& r) {
    return std::to_wstring(r.tableClass) + L"|" + r.name + L"|" + std::to_wstring(r.count) + L"|" +
           r.writable + L"|" + r.inUse;
}

std::vector<std::wstring> Rows(const ManagerTables& t) {
    std::vector<std::wstring> out;
    for (const ManagerRow& r : BuildManagerRows(t)) out.push_back(RowText(r));
    return out;
}

TEST(ManagerRows, ClassesInTheirOrderAndTheOtherTables) {
    Soft soft;
    soft.Alias(0, L"主").Alias(1, L"系统").Alias(2, L"用户").Alias(3, L"次显").Alias(4, L"辅");
    soft.Alias(16, L"人名").Alias(17, L"地名").Alias(19, L"成语");  // 18 empty ends the run
    soft.Permit(0, 1).Permit(1, 3).Permit(2, 1).Permit(16, 2).Permit(19, 3);
    int32_t counts[64] = {};
    counts[1] = 10;
    counts[2] = 2;
    counts[3] = 3;
    counts[4] = 4;
    counts[16] = 5;
    counts[17] = 6;
    counts[19] = 7;
    ManagerTables t{soft.data.get(), counts, 37, true, true, false, 1, 20, 0};
    const std::vector<std::wstring> want = {
        L"0|输入编码表|37|√|-",  L"1|    主 - 系统|10|√|√", L"16|    主 - 人名|5||√",
        L"17|    主 - 地名|6||", L"3|    主 - 次显|3||",    L"2|    主 - 用户|2|√|",
        L"4|    辅|4||",         L"-1|临时词表|1|-|-",      L"-1|联想码表|20|-|-",
    };
    EXPECT_EQ(Rows(t), want);
}

TEST(ManagerRows, WithoutAliasesOnlyTheMainRowsAndNoUnmappedTables) {
    Soft soft;
    int32_t counts[64] = {};
    ManagerTables t{soft.data.get(), counts, 0, false, false, true, 0, 0, 9};
    const std::vector<std::wstring> want = {L"0|输入编码表|0||-", L"1|     - |0||",
                                            L"-1|英文码表|9|-|-"};
    EXPECT_EQ(Rows(t), want);
}

TEST(ManagerSelection, CommandsAndCaptionByRow) {
    Soft soft;
    soft.Permit(0, 1).Permit(2, 1).Permit(3, 2);
    struct Case {
        int cls;
        const wchar_t* name;
        bool applies, commandsSet;
        ManagerTable table;
        const wchar_t* file;
        const char* on;  // view import export replace clear
        const wchar_t* caption;
    };
    const Case cases[] = {
        {-1, L"临时词表", true, true, ManagerTable::Temp, L"temp.dmg", "10001", L"查看(&V)"},
        {-1, L"联想码表", true, true, ManagerTable::Association, L"sysl.dmg", "11111", L"编辑(&E)"},
        {-1, L"英文码表", true, true, ManagerTable::English, L"engl.dmg", "11111", L"编辑(&E)"},
        {-1, L"别的", false, false, ManagerTable::None, L"", "00000", L"编辑(&E)"},
        {0, L"输入编码表", true, true, ManagerTable::Main, L"main.dmg", "11111", L"编辑(&E)"},
        {2, L"", true, true, ManagerTable::Main, L"main.dmg", "11111", L"编辑(&E)"},
        {3, L"", true, true, ManagerTable::Main, L"main.dmg", "10000", L"查看(&E)"},
        {16, L"", true, true, ManagerTable::Main, L"main.dmg", "10000", L"查看(&E)"},
        {40, L"", true, false, ManagerTable::Main, L"main.dmg", "10000", L"编辑(&E)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "class " << c.cls << " case " << (&c - cases));
        const ManagerSelection s = DecideSelection(c.cls, c.name, soft.data.get());
        EXPECT_EQ(s.applies, c.applies);
        EXPECT_EQ(s.commandsSet, c.commandsSet);
        EXPECT_EQ(s.table, c.table);
        EXPECT_STREQ(s.fileName, c.file);
        const bool on[] = {s.view, s.import, s.exportTable, s.replace, s.clear};
        for (int i = 0; i < 5; ++i) EXPECT_EQ(on[i], c.on[i] == '1') << "command " << i;
        EXPECT_STREQ(s.viewCaption, c.caption);
    }
    const ManagerSelection none = NoSelection();
    EXPECT_FALSE(none.view || none.import || none.exportTable || none.replace || none.clear);
}

TEST(ManagerSelection, RowClassText) {
    struct Case {
        const wchar_t* text;
        bool ok;
        int cls;
    };
    const Case cases[] = {{L"-1", true, -1}, {L"0", true, 0},  {L"31", true, 31},
                          {L"", false, 0},   {L"x", false, 0}, {L"3a", false, 0},
                          {L"-2", false, 0}, {L"99", false, 0}};
    for (const Case& c : cases) {
        int cls = 0;
        EXPECT_EQ(ParseRowClass(c.text, &cls), c.ok) << testing::PrintToString(c.text);
        if (c.ok) {
            EXPECT_EQ(cls, c.cls);
        }
    }
}

TEST(ProgressPercent, SentOnlyWhenItChanges) {
    struct Step {
        int64_t done, total;
        int sent;
    };
    const Step steps[] = {
        {0, 0, -1},      {0, 200, 0},    {1, 200, -1}, {2, 200, 1}, {199, 200, 99},
        {200, 200, 100}, {500, 200, -1}, {1, 3, 33},   {2, 3, 66},  {3, 3, 100},
    };
    ProgressPercent p;
    for (const Step& s : steps)
        EXPECT_EQ(p.Next(s.done, s.total), s.sent) << s.done << "/" << s.total;
    p.Reset();
    EXPECT_EQ(p.Next(3, 3), 100);
}

TEST(ExportNames, FolderAndFileByTableAndClass) {
    wchar_t folder[kPathChars];
    ASSERT_TRUE(ExportFolderPath(L"C:\\Docs\\", L"键盘", folder));
    EXPECT_STREQ(folder, L"C:\\Docs\\[ 键盘 ]");
    ASSERT_TRUE(ExportFolderPath(L"C:\\Docs", L"键盘", folder));
    EXPECT_STREQ(folder, L"C:\\Docs\\[ 键盘 ]");

    Soft soft;
    soft.Alias(1, L"系统").Alias(2, L"用户").Alias(3, L"次").Alias(4, L"辅").Alias(16, L"人名");
    soft.Permit(1, 1).Permit(2, 1).Permit(3, 1).Permit(4, 1).Permit(16, 1);
    struct Case {
        ManagerTable table;
        int cls;
        const wchar_t* name;  // null: not exported
    };
    const Case cases[] = {
        {ManagerTable::Association, 0, L"导出 - 联想码表.txt"},
        {ManagerTable::English, -1, L"导出 - 英文码表.txt"},
        {ManagerTable::Main, 0, L"导出 - 全部词条.txt"},
        {ManagerTable::Main, 1, L"导出 - 主码 - 系统.txt"},
        {ManagerTable::Main, 2, L"导出 - 主码 - 用户.txt"},
        {ManagerTable::Main, 16, L"导出 - 主码 - 人名.txt"},
        {ManagerTable::Main, 3, L"导出 - 次显 - 次.txt"},
        {ManagerTable::Main, 4, L"导出 - 辅码 - 辅.txt"},
        {ManagerTable::Main, 17, nullptr},  // not editable
        {ManagerTable::Main, 5, nullptr},
        {ManagerTable::Temp, 0, nullptr},
    };
    for (const Case& c : cases) {
        wchar_t path[kPathChars];
        const bool named = ExportFilePath(c.table, c.cls, soft.data.get(), L"D:\\x", path);
        EXPECT_EQ(named, c.name != nullptr) << "case " << (&c - cases);
        if (c.name) {
            EXPECT_EQ(std::wstring(path), std::wstring(L"D:\\x\\") + c.name);
        }
    }
}

}  // namespace
