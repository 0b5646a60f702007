// The word editor of the real config.exe: a word added there is in main.dmg for a reader of
// another process at once, and stays there; refusals keep the dialog open; the online add
// cuts its word and changes its length with the arrow keys.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "config/editor_ids.h"
#include "core/record/engine.h"
#include "core/table/code_table.h"
#include "core/table/table_format.h"
#include "program_fixture.h"

namespace {

using namespace testing_support;

void SetText(HWND d, int id, const wchar_t* text) {
    SendMessageW(GetDlgItem(d, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

bool WaitForItemText(HWND d, int id, const std::wstring& text) {
    for (int i = 0; i < 100; ++i) {
        if (DialogItemText(d, id) == text) return true;
        PumpMessagesFor(50);
    }
    return false;
}

// The words stored under a keypad code, first candidate first.
std::wstring FirstWordOf(Engine* e, const std::string& code) {
    Engine::RefreshTables(e);
    std::string key(1, static_cast<char>(code.size()));
    key += code;
    const int64_t at =
        CodeTable::FindCode(e->mainTable, reinterpret_cast<const uint8_t*>(key.data()));
    if (at <= 0) return L"";
    const uint8_t* entry = MakeTableView(e->mainTable).EntryAt(static_cast<int32_t>(at - 1));
    const uint8_t* word = EntryWord(entry);
    wchar_t text[64] = {};
    MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(word + 1), word[0], text, 63);
    return text;
}

TEST(WordEditorProgram, AWordAddedIsThereForAnotherProcessAtOnce) {
    Installation inst;
    Engine* other = Engine::CreateForConfig(inst.ime.guidText);  // a running reader
    ASSERT_NE(other, nullptr);
    Program p(L"/n " + std::wstring(inst.ime.guidText) + L" /do tianjiayonghuci");
    HWND d = WaitForDialog(inst.Title(L"添加词条 - %ls").c_str());
    ASSERT_NE(d, nullptr);
    EXPECT_FALSE(DialogItemVisible(d, IDC_WORD_FROM_CLIPBOARD));
    EXPECT_EQ(DialogItemText(d, IDC_WORD_STATUS), L"");

    // Refused: the dialog stays with the reason in its status line.
    SetText(d, IDC_WORD_TEXT, L"测试");
    SetText(d, IDC_WORD_CODE, L"\uFF11\t\uFF12");
    ClickDialogItem(d, IDOK);
    EXPECT_TRUE(WaitForItemText(d, IDC_WORD_STATUS, L"编码不能非键盘字符"));
    SetText(d, IDC_WORD_TEXT, L"一");
    SetText(d, IDC_WORD_CODE, L"\uFF11");
    ClickDialogItem(d, IDOK);
    EXPECT_TRUE(WaitForItemText(d, IDC_WORD_STATUS, L"词条已存在"));
    SetText(d, IDC_WORD_CODE, L"\uFF11\u4E00");
    ClickDialogItem(d, IDOK);
    EXPECT_TRUE(WaitForItemText(d, IDC_WORD_STATUS, L"编码不能非键盘字符"));

    SetText(d, IDC_WORD_TEXT, L"测试");
    SetText(d, IDC_WORD_CODE, L"\uFF11\uFF12\uFF13");
    SendMessageW(GetDlgItem(d, IDC_WORD_BEFORE_SYSTEM), BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_TRUE(SaveScreenshotIfAsked(d, L"config-word-editor.png"));
    ClickDialogItem(d, IDOK);
    EXPECT_TRUE(WaitForWindowGone(d));
    EXPECT_TRUE(p.Ended());

    EXPECT_EQ(FirstWordOf(other, "\x11\x12\x13"), L"测试");
    EXPECT_EQ(FirstWordOf(other, "\x11"), L"一");
    Engine::DestroyForConfig(other);
    // Still there when the tables are opened again.
    Engine* again = Engine::CreateForConfig(inst.ime.guidText);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(FirstWordOf(again, "\x11\x12\x13"), L"测试");
    Engine::DestroyForConfig(again);
}

TEST(WordEditorProgram, OnlineAddCutsItsWordAndTheArrowsChangeItsLength) {
    Installation inst;
    Program p(L"/n " + std::wstring(inst.ime.guidText) + L" /do zaixianjiaci");
    HWND d = WaitForDialog(inst.Title(L"在线加词 - %ls").c_str());
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(DialogItemVisible(d, IDC_WORD_FROM_CLIPBOARD));
    EXPECT_EQ(DialogItemText(d, IDC_WORD_STATUS), L"可用 ↑、↓ 更改词长");
    EXPECT_EQ(DialogItemText(d, IDC_WORD_TEXT), L"加词");  // no recent output
    HWND word = GetDlgItem(d, IDC_WORD_TEXT);
    PostMessageW(word, WM_KEYDOWN, VK_UP, 0);
    EXPECT_TRUE(WaitForItemText(d, IDC_WORD_TEXT, L"线加词"));
    for (int i = 0; i < 40; ++i) PostMessageW(word, WM_KEYDOWN, VK_UP, 0);
    EXPECT_TRUE(WaitForItemText(d, IDC_WORD_TEXT, L"在线加词"));  // the whole source
    for (int i = 0; i < 40; ++i) PostMessageW(word, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_TRUE(WaitForItemText(d, IDC_WORD_TEXT, L""));
    PostMessageW(word, WM_KEYDOWN, VK_UP, 0);
    EXPECT_TRUE(WaitForItemText(d, IDC_WORD_TEXT, L"词"));
    PostMessageW(word, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitForWindowGone(d));
    EXPECT_TRUE(p.Ended());
}

}  // namespace
