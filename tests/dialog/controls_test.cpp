// Bounded control text, control layout helpers, menu helpers and the dialog port's fake.
#include <gtest/gtest.h>

#include <string>

#include "dialog/control_text.h"
#include "dialog/menus.h"
#include "dialog/testing/recording_ui_port.h"
#include "dialog/ui_port.h"
#include "tests/dialog/test_dialogs.h"

namespace {

INT_PTR CALLBACK PlainProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

struct TestDialog {
    HWND hwnd = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_TEST_MODAL),
                                   nullptr, &PlainProc, 0);
    ~TestDialog() { DestroyWindow(hwnd); }
};

TEST(ControlText, ReadsAreCutToTheBufferAndAlwaysTerminated) {
    TestDialog d;
    ASSERT_NE(d.hwnd, nullptr);
    ASSERT_TRUE(SetItemText(d.hwnd, IDC_TEST_EDIT, L"一二三四五"));
    struct Case {
        int capacity;
        const wchar_t* expected;
        int copied;
    };
    const Case cases[] = {{16, L"一二三四五", 5},
                          {6, L"一二三四五", 5},
                          {5, L"一二三四", 4},
                          {2, L"一", 1},
                          {1, L"", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.capacity);
        wchar_t buffer[17];
        wmemset(buffer, L'#', 17);
        EXPECT_EQ(GetItemTextBounded(d.hwnd, IDC_TEST_EDIT, buffer, c.capacity), c.copied);
        EXPECT_STREQ(buffer, c.expected);
        EXPECT_EQ(buffer[c.capacity], L'#');  // nothing written past the capacity
    }
    wchar_t keep[4] = L"abc";
    EXPECT_EQ(GetItemTextBounded(d.hwnd, IDC_TEST_EDIT, keep, 0), 0);
    EXPECT_STREQ(keep, L"abc");
    EXPECT_EQ(GetItemTextBounded(d.hwnd, 9999, keep), 0);  // missing control
    EXPECT_STREQ(keep, L"");
    EXPECT_EQ(ItemText(d.hwnd, IDC_TEST_EDIT), L"一二三四五");
    EXPECT_EQ(ItemText(d.hwnd, 9999), L"");
}

TEST(ControlText, FormattingIsBoundedAndSaysWhenItCut) {
    wchar_t out[8];
    EXPECT_TRUE(FormatBounded(out, 8, L"%ls-%d", L"ab", 12));
    EXPECT_STREQ(out, L"ab-12");
    EXPECT_FALSE(FormatBounded(out, 8, L"%ls", L"0123456789"));
    EXPECT_STREQ(out, L"0123456");
    TestDialog d;
    std::wstring longText(3000, L'x');
    EXPECT_TRUE(SetItemTextFormat(d.hwnd, IDC_TEST_EDIT, L"%ls", longText.c_str()));
    EXPECT_EQ(ItemText(d.hwnd, IDC_TEST_EDIT), std::wstring(1023, L'x'));
}

TEST(ControlLayout, ChecksVisibilityAndMoves) {
    TestDialog d;
    SetItemChecked(d.hwnd, IDC_TEST_OTHER, true);  // a push button ignores checks
    EXPECT_FALSE(IsItemChecked(d.hwnd, 9999));
    ShowItem(d.hwnd, IDC_TEST_OTHER, false);
    EXPECT_FALSE(IsItemShown(d.hwnd, IDC_TEST_OTHER));
    ShowItem(d.hwnd, IDC_TEST_OTHER, true);
    EXPECT_TRUE(IsItemShown(d.hwnd, IDC_TEST_OTHER));
    RECT before = ItemRect(d.hwnd, IDC_TEST_OTHER);
    MoveItemBy(d.hwnd, IDC_TEST_OTHER, -20, 15, 30, 0);
    RECT after = ItemRect(d.hwnd, IDC_TEST_OTHER);
    EXPECT_EQ(after.left, before.left - 20);
    EXPECT_EQ(after.top, before.top + 15);
    EXPECT_EQ(after.right - after.left, before.right - before.left + 30);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
    MoveItemBy(d.hwnd, 9999, 1, 1);  // missing: nothing happens
}

TEST(Menus, ItemStateTextAndTrackingThroughThePort) {
    UniqueMenu menu(CreatePopupMenu());
    AppendMenuW(menu.get(), MF_STRING, 11, L"添加(&A)");
    AppendMenuW(menu.get(), MF_STRING, 12, L"删除(&D)");
    SetMenuItemEnabled(menu.get(), 12, false);
    SetMenuItemChecked(menu.get(), 11, true);
    EXPECT_TRUE(IsMenuItemEnabled(menu.get(), 11));
    EXPECT_FALSE(IsMenuItemEnabled(menu.get(), 12));
    EXPECT_TRUE(IsMenuItemChecked(menu.get(), 11));
    EXPECT_FALSE(IsMenuItemChecked(menu.get(), 12));
    EXPECT_FALSE(IsMenuItemEnabled(menu.get(), 99));
    EXPECT_EQ(MenuItemText(menu.get(), 12), L"删除(&D)");
    EXPECT_EQ(MenuItemText(menu.get(), 99), L"");

    RecordingUiPort ui;
    ui.menuAnswers.push_back(12);
    EXPECT_EQ(TrackPopupCommand(menu.get(), nullptr, {10, 20}), 12u);
    EXPECT_EQ(TrackPopupCommand(menu.get(), nullptr, {10, 20}), 0u);  // queue empty: none
    ASSERT_EQ(ui.Count(UiCallKind::Menu), 2);
    EXPECT_TRUE(ui.calls[0].flags & TPM_RETURNCMD);
    EXPECT_EQ(TrackPopupCommand(nullptr, nullptr, {0, 0}), 0u);
    EXPECT_EQ(ui.Count(UiCallKind::Menu), 2);  // no menu, nothing tracked
}

TEST(UiPortFake, RecordsCallsAnswersFromItsQueuesAndRestoresThePreviousPort) {
    UiPort* real = &Ui();
    {
        RecordingUiPort ui;
        EXPECT_EQ(&Ui(), &ui);
        ui.messageAnswers = {IDYES};
        EXPECT_EQ(Ui().ShowMessage(nullptr, L"问题", L"配置程序", MB_YESNO), IDYES);
        EXPECT_EQ(Ui().ShowMessage(nullptr, L"提示", L"配置程序", MB_OK), IDOK);
        ASSERT_EQ(ui.Count(UiCallKind::Message), 2);
        EXPECT_EQ(ui.calls[0].text, L"问题");
        EXPECT_EQ(ui.calls[0].caption, L"配置程序");
        EXPECT_EQ(ui.calls[0].flags, static_cast<UINT>(MB_YESNO));

        wchar_t file[12] = L"old";
        OPENFILENAMEW dialog{};
        dialog.lpstrFile = file;
        dialog.nMaxFile = 12;
        ui.fileAnswers = {L"C:\\a.txt", L"C:\\far-too-long.txt"};
        EXPECT_TRUE(Ui().ChooseOpenFile(dialog));
        EXPECT_STREQ(file, L"C:\\a.txt");
        EXPECT_FALSE(Ui().ChooseSaveFile(dialog));  // longer than the buffer: cancelled
        EXPECT_STREQ(file, L"");
        EXPECT_FALSE(Ui().ChooseOpenFile(dialog));  // queue empty: cancelled

        wchar_t folder[kPathChars];
        ui.folderAnswers = {L"D:\\backup"};
        EXPECT_TRUE(Ui().ChooseFolder(nullptr, L"文件夹选择", folder));
        EXPECT_STREQ(folder, L"D:\\backup");
        EXPECT_FALSE(Ui().ChooseFolder(nullptr, L"文件夹选择", folder));
        EXPECT_STREQ(folder, L"");

        ui.shellResult = false;
        EXPECT_FALSE(Ui().ShellOpen(nullptr, L"open", L"C:\\main.chm", L"", L"", SW_SHOW));
        EXPECT_EQ(Ui().ShowHelp(nullptr, L"C:\\main.chm", 0, 5), nullptr);
        const UiCall* shell = ui.Last(UiCallKind::Shell);
        ASSERT_NE(shell, nullptr);
        EXPECT_EQ(shell->caption, L"open");
        EXPECT_EQ(shell->text, L"C:\\main.chm");
        EXPECT_EQ(shell->flags, static_cast<UINT>(SW_SHOW));
        const UiCall* help = ui.Last(UiCallKind::Help);
        ASSERT_NE(help, nullptr);
        EXPECT_EQ(help->data, 5u);
        {
            RecordingUiPort inner;
            Ui().ShowMessage(nullptr, L"x", L"y", MB_OK);
            EXPECT_EQ(inner.Count(UiCallKind::Message), 1);
        }
        EXPECT_EQ(&Ui(), &ui);
        EXPECT_EQ(ui.Count(UiCallKind::Message), 2);
    }
    EXPECT_EQ(&Ui(), real);
    EXPECT_EQ(&Ui(), &RealUiPort());
}

}  // namespace
