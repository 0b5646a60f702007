// The real config.exe over the shipped tables: the table page lists every table with its true
// counts; the viewer and the mini dictionary as a user meets them.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "config/table_ids.h"
#include "core/base/mapped_file.h"
#include "core/base/text_convert.h"
#include "core/settings/config_blocks.h"
#include "core/table/table_edit.h"
#include "core/table/table_format.h"
#include "program_fixture.h"
#include "support/installed_ime.h"
#include "support/shipped_data.h"
#include "support/test_files.h"
#include "support/window_driver.h"

namespace {

using namespace testing_support;

constexpr wchar_t kName[] = L"码表测试";
constexpr wchar_t kModule[] = L"zantableprog";

// The shipped data files under a GUID of their own, with the built module.
struct ShippedInstallation {
    InstalledIme ime;
    bool ok = false;
    ShippedInstallation() {
        if (!InstallShippedData(ime, {L"config.dsc", L"main.dmg", L"temp.dmg", L"sysl.dmg",
                                      L"engl.dmg", L"danzi.dmi", L"dict.dms"}))
            return;
        ime.WriteValue(L"IMEName", kModule);
        ime.WriteValue(L"DisplayName", kName);
        ok = !PlaceSystemModule(Beside(L"zanTSF.dll"), std::wstring(kModule) + L".ime").empty();
    }
    std::wstring Title(const wchar_t* format) const {
        wchar_t t[256];
        _snwprintf(t, 256, format, kName);
        return t;
    }
    int32_t Count(const wchar_t* name) const {
        MappedFile* f = nullptr;
        if (MappedFile::Open(&f, ime.Path(name).c_str()) <= 0) return -1;
        const int32_t n = MakeTableView(f).count;
        MappedFile::Close(f);
        return n;
    }
};

// The visible child dialog holding control id.
HWND PageWith(HWND d, int id) {
    for (HWND c : ChildWindowsOfClass(d, L"#32770"))
        if (GetDlgItem(c, id)) return c;
    return nullptr;
}

TEST(TablePage, ListsTheShippedTablesWithTrueCounts) {
    ShippedInstallation inst;
    if (!inst.ok) GTEST_SKIP() << "shipped tables not built (ZAN_DATA_DIR)";
    MappedFile* main = nullptr;
    ASSERT_GT(MappedFile::Open(&main, inst.ime.Path(L"main.dmg").c_str()), 0);
    int32_t byClass[kCategoryCounters] = {};
    CountEntriesByCategory(main, byClass);
    const int32_t mainCount = MakeTableView(main).count;
    MappedFile::Close(main);

    Program p(L"/n " + std::wstring(inst.ime.guidText) + L" /do mabiao");
    HWND d = WaitForDialog(inst.Title(L"使用设置 - %ls").c_str());
    ASSERT_NE(d, nullptr);
    HWND page = nullptr;
    for (int i = 0; i < 100 && !page; ++i) {
        page = PageWith(d, IDC_TABLE_VIEW);
        if (!page) PumpMessagesFor(50);
    }
    ASSERT_NE(page, nullptr);
    HWND list = GetDlgItem(page, IDC_TABLE_LIST);
    const int rows = ListViewRowCount(list);
    ASSERT_GE(rows, 4);
    EXPECT_EQ(ListViewCellText(list, 0, 1), L"输入编码表");
    EXPECT_EQ(ListViewCellText(list, 0, 2), std::to_wstring(mainCount));
    bool temp = false, assoc = false, english = false;
    for (int r = 0; r < rows; ++r) {
        const std::wstring cls = ListViewCellText(list, r, 0);
        const std::wstring name = ListViewCellText(list, r, 1);
        const std::wstring count = ListViewCellText(list, r, 2);
        SCOPED_TRACE(Narrow(name));
        if (cls == L"-1") {
            const wchar_t* file = name == L"临时词表"   ? L"temp.dmg"
                                  : name == L"联想码表" ? L"sysl.dmg"
                                                        : L"engl.dmg";
            EXPECT_EQ(count, std::to_wstring(inst.Count(file)));
            temp |= name == L"临时词表";
            assoc |= name == L"联想码表";
            english |= name == L"英文码表";
        } else if (r > 0) {
            EXPECT_EQ(count, std::to_wstring(byClass[std::stoi(cls)]));
        }
    }
    EXPECT_TRUE(temp && assoc && english);
    // The first row is selected: the main table's commands, as its permission says.
    const std::vector<uint8_t> config = ReadFileBytes(inst.ime.Path(L"config.dsc"));
    uint32_t permission = 0;
    std::memcpy(&permission, &config[kSoftBlockOffset + offsetof(SoftConfigData, classPermissions)],
                4);
    const bool editable = permission & kClassWritable;
    EXPECT_EQ(DialogItemText(page, IDC_TABLE_VIEW), editable ? L"编辑(&E)" : L"查看(&E)");
    EXPECT_EQ(IsWindowEnabled(GetDlgItem(page, IDC_TABLE_IMPORT)) != 0, editable);
    EXPECT_TRUE(SaveScreenshotIfAsked(d, L"config-table-page.png"));
    PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(p.Ended());
}

// True once the viewer shows its list (the loader has finished) with rows rows (any number
// above 0 for -1).
bool WaitForRows(HWND viewer, int rows, DWORD ms = 30000) {
    const DWORD start = GetTickCount();
    HWND list = GetDlgItem(viewer, IDC_VIEW_LIST);
    while (GetTickCount() - start < ms) {
        if (DialogItemVisible(viewer, IDC_VIEW_LIST) &&
            !DialogItemVisible(viewer, IDC_VIEW_NOTICE)) {
            const int n = ListViewRowCount(list);
            if (rows < 0 ? n > 0 : n == rows) return true;
        }
        PumpMessagesFor(2);
    }
    return false;
}

std::wstring CodeText(const std::string& bytes) {
    std::wstring out;
    for (unsigned char c : bytes) out.push_back(c < 32 ? static_cast<wchar_t>(0xFF00 + c) : c);
    return out;
}

TEST(TableViewer, FiltersTheShippedMainTableByACode) {
    ShippedInstallation inst;
    if (!inst.ok) GTEST_SKIP() << "shipped tables not built (ZAN_DATA_DIR)";
    // A code of the shipped table and how many entries carry it.
    MappedFile* main = nullptr;
    ASSERT_GT(MappedFile::Open(&main, inst.ime.Path(L"main.dmg").c_str()), 0);
    const TableView v = MakeTableView(main);
    ASSERT_GT(v.count, 1000);
    const uint8_t* probe = v.EntryAt(v.count / 2);
    ASSERT_NE(probe, nullptr);
    const std::string code(reinterpret_cast<const char*>(EntryCode(probe) + 1),
                           EntryCode(probe)[0]);
    int expected = 0;
    for (int32_t i = 0; i < v.count; ++i) {
        const uint8_t* e = v.EntryAt(i);
        const uint32_t flags = LoadU32(e);
        if (EntryClassOf(flags) != 5 && e[4] == code.size() &&
            std::memcmp(e + 5, code.data(), code.size()) == 0)
            ++expected;
    }
    MappedFile::Close(main);
    ASSERT_GT(expected, 0);

    const DWORD started = GetTickCount();
    Program p(L"/n " + std::wstring(inst.ime.guidText) + L" /do shuchufancha");
    HWND d = WaitForDialog(inst.Title(L"输入编码表详细视图 - %ls").c_str(), 30000);
    ASSERT_NE(d, nullptr);
    ASSERT_TRUE(WaitForRows(d, -1));
    HWND list = GetDlgItem(d, IDC_VIEW_LIST);
    std::printf("viewer: start to first rows %lu ms (%d rows)\n",
                static_cast<unsigned long>(GetTickCount() - started), ListViewRowCount(list));

    SendMessageW(GetDlgItem(d, IDC_VIEW_WORD), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    const std::wstring wanted = CodeText(code);
    SendMessageW(GetDlgItem(d, IDC_VIEW_CODE), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(wanted.c_str()));
    const DWORD filtered = GetTickCount();
    ClickDialogItem(d, IDC_VIEW_FIND);
    ASSERT_TRUE(WaitForRows(d, expected));
    std::printf("viewer: filter to rows %lu ms\n",
                static_cast<unsigned long>(GetTickCount() - filtered));
    ASSERT_EQ(ListViewRowCount(list), expected);
    for (int r = 0; r < expected; ++r) EXPECT_EQ(ListViewCellText(list, r, 1), wanted) << r;
    EXPECT_FALSE(ListViewCellText(list, 0, 2).empty());
    EXPECT_TRUE(SaveScreenshotIfAsked(d, L"config-table-viewer.png"));

    // A second start raises this viewer instead of opening another.
    Program second(L"/n " + std::wstring(inst.ime.guidText) + L" /do shuchufancha");
    EXPECT_TRUE(second.Ended());
    EXPECT_EQ(FindDialogs(inst.Title(L"输入编码表详细视图 - %ls").c_str()).size(), 1u);
    PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(p.Ended());
}

TEST(MiniDictionary, ASecondStartHandsItsWordToTheOpenDictionary) {
    ShippedInstallation inst;
    if (!inst.ok) GTEST_SKIP() << "shipped tables not built (ZAN_DATA_DIR)";
    const std::wstring guid = inst.ime.guidText;
    Program first(L"/n " + guid + L" /dict 中国");
    HWND d = WaitForDialog(inst.Title(L"微型词典 - %ls").c_str(), 30000);
    ASSERT_NE(d, nullptr);
    auto waitFor = [&](int id, auto pred) {
        for (int i = 0; i < 300; ++i) {
            if (pred(DialogItemText(d, id))) return true;
            PumpMessagesFor(50);
        }
        return false;
    };
    EXPECT_TRUE(waitFor(IDC_DICT_CODES, [](const std::wstring& t) { return !t.empty(); }));
    EXPECT_EQ(DialogItemText(d, IDC_DICT_WORD), L"中国");

    Program second(L"/n " + guid + L" /dict 你好");
    EXPECT_TRUE(second.Ended());
    EXPECT_TRUE(waitFor(IDC_DICT_WORD, [](const std::wstring& t) { return t == L"你好"; }));
    EXPECT_TRUE(waitFor(IDC_DICT_CODES, [](const std::wstring& t) {
        return t.find(L"你好") != std::wstring::npos || t.rfind(L"编码:", 0) == 0;
    }));
    EXPECT_FALSE(DialogItemText(d, IDC_DICT_TEXT).empty());
    EXPECT_EQ(FindDialogs(inst.Title(L"微型词典 - %ls").c_str()).size(), 1u);
    PumpMessagesFor(300);
    EXPECT_TRUE(SaveScreenshotIfAsked(d, L"config-dictionary.png"));
    PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(first.Ended());
}

}  // namespace
