// The table page's commands over a test installation, with the dialog port scripted: import
// files of every encoding with their true counts, export and its failure, replace and clear
// with the checks that come before anything is removed.
#include "config/table_commands.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "core/base/path_util.h"
#include "core/record/engine.h"
#include "core/settings/config_blocks.h"
#include "core/table/table_edit.h"
#include "core/table/table_format.h"
#include "dialog/testing/recording_ui_port.h"
#include "support/installed_ime.h"
#include "support/mapped_table.h"
#include "support/test_files.h"
#include "table_installation.h"

namespace {

using namespace testing_support;

std::string Utf8(const std::wstring& w) { return Narrow(w); }

std::vector<uint8_t> Encode(const std::wstring& text, const char* encoding) {
    std::vector<uint8_t> out;
    const std::string e = encoding;
    if (e == "utf8bom" || e == "utf8") {
        if (e == "utf8bom") out = {0xEF, 0xBB, 0xBF};
        const std::string s = Utf8(text);
        out.insert(out.end(), s.begin(), s.end());
    } else if (e == "utf16") {
        out = {0xFF, 0xFE};
        for (wchar_t c : text) {
            out.push_back(static_cast<uint8_t>(c & 0xFF));
            out.push_back(static_cast<uint8_t>(c >> 8));
        }
    } else {  // GB18030 (its two-byte part, as the ANSI code page 936 reads it)
        const int n = WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()),
                                          nullptr, 0, nullptr, nullptr);
        std::string s(static_cast<size_t>(n), '\0');
        WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), s.data(), n,
                            nullptr, nullptr);
        out.assign(s.begin(), s.end());
    }
    return out;
}

// Data lines of an exported table text: "code|word" of every line with a TAB.
std::set<std::string> ExportedRows(const std::wstring& path) {
    std::vector<uint8_t> b = ReadFileBytes(path);
    std::string s(b.begin(), b.end());
    if (s.rfind("\xEF\xBB\xBF", 0) == 0) s.erase(0, 3);
    std::set<std::string> out;
    size_t at = 0;
    while (at < s.size()) {
        size_t end = s.find('\n', at);
        if (end == std::string::npos) end = s.size();
        std::string line = s.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t tab = line.find('\t');
        if (tab == std::string::npos || line.rfind("//", 0) == 0) continue;
        std::string code = line.substr(tab + 1);
        code = code.substr(0, code.find('#'));
        out.insert(code + "|" + line.substr(0, tab));
    }
    return out;
}

std::wstring ExportFolder() {
    wchar_t documents[kPathChars];
    EXPECT_TRUE(GetDocumentsFolder(documents));
    return std::wstring(documents) + L"[ 表测试 ]";
}

std::wstring LastMessage(const RecordingUiPort& ui) {
    const UiCall* m = ui.Last(UiCallKind::Message);
    return m ? m->text : L"";
}

TEST(TableImport, EveryEncodingWithTrueCountsExportedAsImportedAndNotAddedTwice) {
    PrivateTempFolder temp;
    struct Case {
        const char* what;
        const char* encoding;
        std::wstring text;
        int added, rejected;
        std::set<std::string> rows;  // added "code|word"
    };
    const std::wstring longCode(300, L'a');
    const Case cases[] = {
        {"UTF-8 with BOM, CRLF",
         "utf8bom",
         L"你好\tnihao\r\n世界\tshijie\r\n中\tzhong\r\n",
         3,
         0,
         {"nihao|你好", "shijie|世界", "zhong|中"}},
        {"UTF-8 without BOM, LF, empty lines",
         "utf8",
         L"\n你好\tnihao\n\n\n世界\tshijie\n",
         2,
         0,
         {"nihao|你好", "shijie|世界"}},
        {"UTF-16LE with a duplicate",
         "utf16",
         L"你好\tnihao\r\n你好\tnihao\r\n天\ttian\r\n",
         2,
         1,
         {"nihao|你好", "tian|天"}},
        {"GB18030", "gb", L"你好\tnihao\r\n输入\tshuru\r\n", 2, 0, {"nihao|你好", "shuru|输入"}},
        {"a broken surrogate", "utf16", L"字\tzi\r\n\xD800\x41\tbad\r\n", 1, 1, {"zi|字"}},
        {"an over-long code", "utf8", L"长\t" + longCode + L"\n短\tduan\n", 1, 1, {"duan|短"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TableInstallation inst;
        ASSERT_NE(inst.engine, nullptr);
        const std::set<std::string> before = inst.Rows();
        TempDir files;
        const std::wstring source = files / L"words.txt";
        ASSERT_TRUE(WriteFileBytes(source, Encode(c.text, c.encoding)));
        {
            RecordingUiPort ui;
            ui.fileAnswers.push_back(source);
            ImportTable(inst.Command(0));
            wchar_t want[256];
            if (c.rejected)
                _snwprintf(want, 256,
                           L"成功添加词条数: %d\r\n无法添加的词条个数为: "
                           L"%d。\r\n是否现在查看无法导入的词条？",
                           c.added, c.rejected);
            else
                _snwprintf(want, 256, L"批量加词完成，成功添加词条数: %d", c.added);
            EXPECT_EQ(LastMessage(ui), want);
        }
        std::set<std::string> expected = before;
        expected.insert(c.rows.begin(), c.rows.end());
        EXPECT_EQ(inst.Rows(), expected);

        // Exported: exactly the table's rows; imported again: nothing new.
        RecordingUiPort ui;
        ExportTable(inst.Command(0));
        ASSERT_EQ(ui.Count(UiCallKind::Shell), 1) << Utf8(LastMessage(ui));
        const std::wstring exported = ExportFolder() + L"\\导出 - 全部词条.txt";
        EXPECT_EQ(ui.Last(UiCallKind::Shell)->extra, L"/select,\"" + exported + L"\"");
        std::set<std::string> shown;
        for (const std::string& r : expected) {
            std::string code = r.substr(0, r.find('|'));
            if (code == "\x11") code = Utf8(L"\xFF11");  // keypad bytes as full-width digits
            shown.insert(code + r.substr(r.find('|')));
        }
        EXPECT_EQ(ExportedRows(exported), shown);
        ui.fileAnswers.push_back(exported);
        ImportTable(inst.Command(0));
        EXPECT_NE(LastMessage(ui).find(L"成功添加词条数: 0"), std::wstring::npos)
            << Utf8(LastMessage(ui));
        EXPECT_EQ(inst.Rows(), expected);
        RemoveTree(ExportFolder());
    }
}

// A port that checks, when the reject file is opened, that it is closed and complete.
class RejectCheckPort final : public UiPort {
public:
    RejectCheckPort() : previous_(SetUiPort(this)) {}
    ~RejectCheckPort() override { SetUiPort(previous_); }
    std::wstring source;
    bool opened = false, closedWhenOpened = false;
    std::vector<uint8_t> bytesWhenOpened;
    int ShowMessage(HWND, const wchar_t* text, const wchar_t*, UINT) override {
        return std::wcsstr(text, L"是否现在查看") ? IDYES : IDOK;
    }
    bool ChooseOpenFile(OPENFILENAMEW& d) override {
        std::wcscpy(d.lpstrFile, source.c_str());
        return true;
    }
    bool ChooseSaveFile(OPENFILENAMEW&) override { return false; }
    bool ChooseFolder(HWND, const wchar_t*, wchar_t (&)[kPathChars]) override { return false; }
    UINT TrackMenu(HMENU, UINT, int, int, HWND) override { return 0; }
    bool ShellOpen(HWND, const wchar_t*, const wchar_t* file, const wchar_t*, const wchar_t*,
                   int) override {
        opened = true;
        closedWhenOpened = !IsOpenSomewhere(file);
        bytesWhenOpened = ReadFileBytes(file);
        return true;
    }
    HWND ShowHelp(HWND, const wchar_t*, UINT, DWORD_PTR) override { return nullptr; }

private:
    UiPort* previous_;
};

TEST(TableImport, TheRejectFileIsClosedAndWholeWhenItIsShown) {
    PrivateTempFolder temp;
    TableInstallation inst;
    ASSERT_NE(inst.engine, nullptr);
    TempDir files;
    RejectCheckPort port;
    port.source = files / L"dup.txt";
    ASSERT_TRUE(WriteFileBytes(port.source, Utf8(L"好\thao\n好\thao\n")));
    ImportTable(inst.Command(0));
    ASSERT_TRUE(port.opened);
    EXPECT_TRUE(port.closedWhenOpened);
    const std::vector<uint8_t>& b = port.bytesWhenOpened;
    ASSERT_GE(b.size(), 4u);
    EXPECT_EQ(b[0], 0xFF);
    EXPECT_EQ(b[1], 0xFE);
    std::wstring report(reinterpret_cast<const wchar_t*>(b.data() + 2), (b.size() - 2) / 2);
    EXPECT_NE(report.find(L"好 ----------重复的词条定义"), std::wstring::npos);
}

TEST(TableExport, AnEmptyClassSaysExportFailedAndOpensNothing) {
    TableInstallation inst;
    ASSERT_NE(inst.engine, nullptr);
    RecordingUiPort ui;
    ExportTable(inst.Command(16));  // editable, no entries
    EXPECT_EQ(LastMessage(ui), L"导出失败");
    EXPECT_EQ(ui.Count(UiCallKind::Shell), 0);
    EXPECT_FALSE(FileExists(ExportFolder() + L"\\导出 - 主码 - 人名.txt"));
    ExportTable(inst.Command(17));  // not editable
    EXPECT_EQ(LastMessage(ui), L"该码表未被授权修改！");
    RemoveTree(ExportFolder());
}

TEST(TableReplace, TheWholeTableOnlyFromATextThatReadsAndHoldsEntries) {
    PrivateTempFolder temp;
    std::vector<FixtureEntry> entries;
    for (int i = 0; i < 50; ++i) {
        const std::wstring n = std::to_wstring(i);
        entries.push_back({Utf8(L"c" + n), Utf8(L"词" + n), ComposeFlags(10, 1)});
    }
    TableInstallation inst(entries);
    ASSERT_NE(inst.engine, nullptr);
    const std::set<std::string> before = inst.Rows();
    const int32_t size = inst.engine->mainTable->size;
    TempDir files;
    ASSERT_TRUE(WriteFileBytes(files / L"none.txt", Utf8(L"// only a comment\r\n\r\n")));
    ASSERT_TRUE(WriteFileBytes(files / L"new.txt", Utf8(L"新\txin\r\n表\tbiao\r\n")));
    struct Case {
        const char* what;
        std::wstring file;  // empty: the choice is cancelled
        const wchar_t* message;
        bool replaced;
    };
    const Case cases[] = {
        {"cancelled", L"",
         L"该操作将替换选中码表中已有的全部词条，并且原有词条不可恢复。\r\n确定这样做吗？", false},
        {"unreadable", files / L"missing.txt", L"无法读取所选文件，替换操作无法继续。", false},
        {"no entries", files / L"none.txt", L"所选文件中没有可用的词条，替换操作无法继续。", false},
        {"a good text", files / L"new.txt",
         L"该操作将替换选中码表中已有的全部词条，并且原有词条不可恢复。\r\n确定这样做吗？", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingUiPort ui;
        ui.messageAnswers.push_back(IDYES);
        ui.fileAnswers.push_back(c.file);
        ReplaceTable(inst.Command(0));
        EXPECT_EQ(LastMessage(ui), c.message);
        if (!c.replaced) {
            EXPECT_EQ(inst.Rows(), before);
        } else {
            EXPECT_EQ(inst.Rows(), (std::set<std::string>{"xin|新", "biao|表"}));
        }
        EXPECT_EQ(inst.engine->mainTable->size, size);  // never shrunk
    }
}

TEST(TableReplace, AClassIsRemovedOnlyAfterItsTextWasChosenAndRead) {
    PrivateTempFolder temp;
    TableInstallation inst({{"a", Utf8(L"甲"), ComposeFlags(5, 1)},
                            {"b", Utf8(L"乙"), ComposeFlags(5, 2)},
                            {"c", Utf8(L"丙"), ComposeFlags(5, 2)}});
    ASSERT_NE(inst.engine, nullptr);
    const std::set<std::string> before = inst.Rows();
    TempDir files;
    ASSERT_TRUE(WriteFileBytes(files / L"user.txt", Utf8(L"丁\td\n")));
    struct Case {
        const char* what;
        std::wstring file;
        std::set<std::string> rows;
    };
    const Case cases[] = {
        {"cancelled", L"", before},
        {"unreadable", files / L"missing.txt", before},
        {"a good text", files / L"user.txt", {"a|甲", "d|丁"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingUiPort ui;
        ui.messageAnswers.push_back(IDYES);
        ui.fileAnswers.push_back(c.file);
        ReplaceTable(inst.Command(2));
        EXPECT_EQ(inst.Rows(), c.rows);
    }
    for (const TableRow& r : ReadRows(inst.engine->mainTable))
        if (r.code == "d") {
            EXPECT_EQ(EntryClassOf(r.flags), 2u);
        }
}

TEST(TableClear, ByTableAndClassWithItsQuestionAndRefusals) {
    TableInstallation inst({{"a", Utf8(L"甲"), ComposeFlags(5, 1)},
                            {"b", Utf8(L"乙"), ComposeFlags(5, 2)},
                            {"m", Utf8(L"丙"), ComposeFlags(5, 17)}});
    ASSERT_NE(inst.engine, nullptr);
    {
        RecordingUiPort ui;
        ClearTable(inst.Command(17));  // not editable
        EXPECT_EQ(LastMessage(ui), L"当前分类的词条未被授权修改，所以您不能清空此类内容！");
        ui.messageAnswers.push_back(IDNO);
        ClearTable(inst.Command(2));
        EXPECT_EQ(inst.Rows().size(), 3u);
        ui.messageAnswers.push_back(IDYES);
        ClearTable(inst.Command(2));
        EXPECT_EQ(LastMessage(ui),
                  L"该操作将清空选中码表类型中的所有词条，此操作是不可恢复的。\r\n确定这样做吗？");
        EXPECT_EQ(inst.Rows(), (std::set<std::string>{"a|甲", "m|丙"}));
        ui.messageAnswers.push_back(IDYES);
        ClearTable(inst.Command(0));
        EXPECT_TRUE(inst.Rows().empty());
        EXPECT_EQ(MakeTableView(inst.engine->mainTable).heapStart,
                  static_cast<uint32_t>(inst.engine->mainTable->size));
    }
    // temp.dmg: a short file is refused and left as it was.
    std::vector<uint8_t> shortTemp = InstalledIme::TempTableBytes();
    shortTemp.resize(100000);
    ASSERT_TRUE(WriteFileBytes(inst.ime.Path(L"temp.dmg"), shortTemp));
    RecordingUiPort ui;
    ui.messageAnswers.push_back(IDYES);
    ClearTable(inst.Command(-1, L"temp.dmg"));
    EXPECT_EQ(LastMessage(ui), L"码表已损坏或无法写入，清空操作未能完成。");
    EXPECT_EQ(ReadFileBytes(inst.ime.Path(L"temp.dmg")), shortTemp);
    inst.ime.WriteTemp();
    ui.messageAnswers.push_back(IDYES);
    ClearTable(inst.Command(-1, L"temp.dmg"));
    EXPECT_EQ(inst.ime.TempCount(), 0);
}

}  // namespace
