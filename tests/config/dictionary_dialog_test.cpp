// The mini dictionary's window in this process over a test installation: lookups one at a
// time with the newest request winning, the history buttons and the word of WM_COPYDATA.
#include "config/dictionary_dialog.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "config/single_window.h"
#include "config/table_ids.h"
#include "core/table/table_format.h"
#include "dialog/testing/recording_ui_port.h"
#include "support/window_driver.h"
#include "table_installation.h"
#include "tablegen/key_value_table.h"

namespace {

using namespace testing_support;

void WriteDict(const TableInstallation& inst) {
    std::wstring text;
    for (int i = 0; i < 20000; ++i)
        text += L"词" + std::to_wstring(i) + L"\t解释" + std::to_wstring(i) + L"\n";
    text += L"你好\t问候\n你好吗\t问句\n";
    KeyValueParse p = ParseKeyValueText(text.c_str(), text.size());
    ASSERT_TRUE(WriteFileBytes(inst.ime.Path(L"dict.dms"), MakeKeyValueTableBytes(p.items)));
}

void Look(HWND d, const wchar_t* word) {
    SetDlgItemTextW(d, IDC_DICT_WORD, word);
    SendMessageW(d, WM_COMMAND, IDOK, 0);
}

bool WaitIdle(CKX_Dict& d) {
    for (int i = 0; i < 1000; ++i) {
        PumpMessagesFor(5);
        if (!d.worker().Running()) {
            PumpMessagesFor(20);
            if (!d.worker().Running()) return true;
        }
    }
    return false;
}

TEST(DictionaryDialog, TheNewestLookupWinsAndTheHistoryFollows) {
    TableInstallation inst({{"nh", Narrow(L"你好"), ComposeFlags(1, 1)}});
    ASSERT_NE(inst.engine, nullptr);
    WriteDict(inst);
    RecordingUiPort ui;
    LoadLibraryW(L"riched20.dll");  // the program loads it at its start
    CKX_Dict dialog(inst.engine, L"测试", L"");
    ASSERT_NE(dialog.Create(nullptr), nullptr);
    HWND d = dialog.hwnd();
    // Requests in a burst: only the last one's result is shown.
    for (int i = 0; i < 5; ++i) Look(d, (L"词" + std::to_wstring(i)).c_str());
    Look(d, L"你好");
    ASSERT_TRUE(WaitIdle(dialog));
    EXPECT_EQ(DialogItemText(d, IDC_DICT_TEXT), L"问候\r\n");
    EXPECT_EQ(DialogItemText(d, IDC_DICT_CODES), L"编码:  nh");
    EXPECT_EQ(dialog.history().words().size(), 6u);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_DICT_BACK)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_DICT_FORWARD)));

    SendMessageW(d, WM_COMMAND, IDC_DICT_BACK, 0);
    ASSERT_TRUE(WaitIdle(dialog));
    EXPECT_EQ(DialogItemText(d, IDC_DICT_WORD), L"词4");
    EXPECT_EQ(DialogItemText(d, IDC_DICT_TEXT), L"解释4\r\n");
    EXPECT_EQ(DialogItemText(d, IDC_DICT_CODES), L"未能找到 词4 的编码");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_DICT_FORWARD)));
    EXPECT_EQ(dialog.history().words().size(), 6u);  // going back records nothing

    // A word handed by a second start.
    std::wstring word = L"不在";
    COPYDATASTRUCT data{0, static_cast<DWORD>((word.size() + 1) * sizeof(wchar_t)), word.data()};
    SendMessageW(d, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    ASSERT_TRUE(WaitIdle(dialog));
    EXPECT_EQ(dialog.currentWord(), L"不在");
    EXPECT_EQ(DialogItemText(d, IDC_DICT_TEXT), L"词典中尚未收录该词条.");

    // Web lookups open the encoded address.
    Look(d, L"你好");
    ASSERT_TRUE(WaitIdle(dialog));
    SendMessageW(d, WM_COMMAND, IDM_DICT_BAIDU, 0);
    ASSERT_EQ(ui.Count(UiCallKind::Shell), 1);
    EXPECT_EQ(ui.Last(UiCallKind::Shell)->text, L"https://www.baidu.com/s?wd=%E4%BD%A0%E5%A5%BD");
    dialog.Destroy();
}

}  // namespace
