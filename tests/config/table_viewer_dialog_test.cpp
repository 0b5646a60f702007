// The table viewer's window in this process over a test installation: commands wait while its
// loader runs, rows come in whole when it ends, a grown table is mapped again on reload, and
// delete, copy and the dictionary lookup act on the selected rows.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/table_ids.h"
#include "config/table_viewer.h"
#include "core/base/clipboard_text.h"
#include "core/table/table_edit.h"
#include "dialog/testing/recording_ui_port.h"
#include "support/window_driver.h"
#include "table_installation.h"

namespace {

using namespace testing_support;

std::vector<FixtureEntry> ManyEntries(int n, uint32_t cls) {
    std::vector<FixtureEntry> out;
    for (int i = 0; i < n; ++i) {
        const std::wstring k = std::to_wstring(i);
        out.push_back({Narrow(L"k" + k), Narrow(L"词" + k), ComposeFlags(10, cls)});
    }
    return out;
}

bool WaitLoaded(CKX_DME_MBMANGE_VIEW& v) {
    for (int i = 0; i < 1000 && v.worker().Running(); ++i) PumpMessagesFor(5);
    PumpMessagesFor(20);
    return !v.worker().Running();
}

void SelectRows(HWND list, std::initializer_list<int> rows) {
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    for (int r : rows) ListView_SetItemState(list, r, LVIS_SELECTED, LVIS_SELECTED);
}

TEST(TableViewerDialog, CommandsWaitWhileLoadingAndAGrownTableIsMappedAgain) {
    TableInstallation inst(ManyEntries(60000, 2));
    ASSERT_NE(inst.engine, nullptr);
    RecordingUiPort ui;
    ui.defaultMessageAnswer = IDYES;
    const std::wstring path = inst.Main();
    TableViewerRequest r{inst.engine, nullptr, path.c_str(), 0, nullptr, nullptr};
    CKX_DME_MBMANGE_VIEW viewer(r);
    ASSERT_NE(viewer.Create(nullptr), nullptr);
    HWND h = viewer.hwnd();
    // The loader is running: a delete (as its accelerator sends it) waits, asking nothing.
    ASSERT_TRUE(viewer.worker().Running());
    SendMessageW(h, WM_COMMAND, IDM_VIEW_DELETE, 0);
    EXPECT_EQ(ui.Count(UiCallKind::Message), 0);
    EXPECT_EQ(viewer.rowCount(), 0u);
    ASSERT_TRUE(WaitLoaded(viewer));
    EXPECT_EQ(viewer.rowCount(), 60000u);
    HWND list = GetDlgItem(h, IDC_VIEW_LIST);
    EXPECT_EQ(ListView_GetItemCount(list), 60000);

    // Another mapping grows the file; the next reload sees every entry.
    MappedFile* other = nullptr;
    ASSERT_GT(MappedFile::Open(&other, path.c_str()), 0);
    const std::string extra = EntryRecord(ComposeFlags(1, 2), "zz", Narrow(L"新"));
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(CodeTable::AppendEntry(other, reinterpret_cast<const uint8_t*>(extra.data())), 1);
    CodeTable::Sort(other);
    CodeTable::RebuildPrefixIndex(other);
    MappedFile::Close(other);
    SendMessageW(h, WM_COMMAND, IDC_VIEW_FIND, 0);
    ASSERT_TRUE(WaitLoaded(viewer));
    EXPECT_EQ(viewer.rowCount(), 60200u);

    // Two rows selected: one dictionary start, for the first; the copy holds both.
    SelectRows(list, {0, 1});
    SendMessageW(h, WM_COMMAND, IDM_VIEW_DICT, 0);
    ASSERT_EQ(ui.Count(UiCallKind::Shell), 1);
    const UiCall* shell = ui.Last(UiCallKind::Shell);
    EXPECT_EQ(shell->text, std::wstring(inst.engine->installLocation) + L"config.exe");
    EXPECT_EQ(shell->extra.rfind(L"/n " + std::wstring(inst.ime.guidText) + L" /dict '", 0), 0u)
        << Narrow(shell->extra);
    SendMessageW(h, WM_COMMAND, IDM_VIEW_COPY, 0);
    wchar_t clip[kClipboardTextChars];
    ASSERT_TRUE(GetClipboardText(clip));
    EXPECT_EQ(std::count(clip, clip + wcslen(clip), L'\n'), 2);

    // Delete of user words: gone for good.
    SelectRows(list, {0, 1, 2});
    SendMessageW(h, WM_COMMAND, IDM_VIEW_DELETE, 0);
    EXPECT_EQ(ui.Last(UiCallKind::Message)->text, L"是否删除选中的所有词条？");
    ASSERT_TRUE(WaitLoaded(viewer));
    EXPECT_EQ(viewer.rowCount(), 60197u);
    SendMessageW(h, WM_COMMAND, IDCANCEL, 0);
    viewer.Destroy();
}

TEST(TableViewerDialog, CancelWhileLoadingStopsTheLoadAndCloses) {
    TableInstallation inst(ManyEntries(60000, 1));
    ASSERT_NE(inst.engine, nullptr);
    RecordingUiPort ui;
    const std::wstring path = inst.Main();
    TableViewerRequest r{inst.engine, nullptr, path.c_str(), 0, nullptr, nullptr};
    CKX_DME_MBMANGE_VIEW viewer(r);
    ASSERT_NE(viewer.Create(nullptr), nullptr);
    ASSERT_TRUE(viewer.worker().Running());
    SendMessageW(viewer.hwnd(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(viewer.Ended());  // not while the loader runs
    ASSERT_TRUE(WaitLoaded(viewer));
    EXPECT_TRUE(viewer.Ended());
    EXPECT_EQ(viewer.Result(), IDCANCEL);
    viewer.Destroy();
}

}  // namespace
