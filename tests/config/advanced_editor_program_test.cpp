// The advanced settings editor of the real config.exe: it shows the exported settings text,
// finds words (and says when there are none), keeps Ctrl+F, Ctrl+K and F3 to itself, and asks
// before closing with unsaved changes.
#include <windows.h>
#include <gtest/gtest.h>
#include <richedit.h>

#include <cstdlib>
#include <string>

#include "config/editor_ids.h"
#include "core/base/text_file.h"
#include "core/record/engine.h"
#include "core/settings/settings_export.h"
#include "program_fixture.h"
#include "textservice/export/exported_object.h"

namespace {

using namespace testing_support;

// The rich edit keeps one CR per line.
std::wstring OneCrPerLine(std::wstring s) {
    std::wstring out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == L'\r' && i + 1 < s.size() && s[i + 1] == L'\n') continue;
        out += s[i] == L'\n' ? L'\r' : s[i];
    }
    return out;
}

std::wstring EditorText(HWND d) {
    HWND e = GetDlgItem(d, IDC_ADV_EDITOR);
    const LRESULT n = SendMessageW(e, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    const LRESULT got =
        SendMessageW(e, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return OneCrPerLine(text);
}

DWORD Selection(HWND d) {
    return static_cast<DWORD>(SendMessageW(GetDlgItem(d, IDC_ADV_EDITOR), EM_GETSEL, 0, 0));
}

bool WaitForSelection(HWND d, DWORD start, DWORD end) {
    for (int i = 0; i < 100; ++i) {
        if (Selection(d) == static_cast<DWORD>(MAKELONG(start, end))) return true;
        PumpMessagesFor(50);
    }
    return false;
}

// The settings text as the editor exports it, through the module's codec.
std::wstring ExportedText(const wchar_t* guidText) {
    Engine* e = Engine::CreateForConfig(guidText);
    if (!e) return L"";
    std::wstring text;
    auto get = reinterpret_cast<GetObjectFunction>(
        reinterpret_cast<void*>(GetProcAddress(e->imeModule, "KXITFGetObject")));
    void* object = nullptr;
    OptionSectionCodec* codec = nullptr;
    if (get && get(kObjectOptionCodec, &object) == 1)
        codec = static_cast<OptionSectionCodec*>(object);
    TempDir dir;
    const std::wstring path = dir / L"x.txt";
    if (ExportSettingsText(e->ime, e->dme, e->skin, codec, path.c_str())) {
        wchar_t* t = nullptr;
        if (ReadTextFile(path.c_str(), &t) == 0) text = t;
        std::free(t);
    }
    if (codec && codec->release) codec->release(codec);
    Engine::DestroyForConfig(e);
    return OneCrPerLine(text);
}

TEST(AdvancedEditorProgram, ShowsTheSettingsTextAndFindsInIt) {
    Installation inst;
    const std::wstring expected = ExportedText(inst.ime.guidText);
    ASSERT_NE(expected.find(L"[-DME设置-]"), std::wstring::npos);
    Program p(L"/n " + std::wstring(inst.ime.guidText) + L" /do gaojishezhi");
    HWND d = WaitForDialog(inst.Title(L"高级设置模式 - %ls").c_str());
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(EditorText(d), expected);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_ADV_SAVE)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDOK)));  // nothing to find yet
    EXPECT_TRUE(SaveScreenshotIfAsked(d, L"config-advanced-editor.png"));

    // The editor's keys are not taken from other programs.
    for (UINT vk : {UINT('F'), UINT('K')}) {
        EXPECT_TRUE(RegisterHotKey(nullptr, 77, MOD_CONTROL, vk)) << vk;
        UnregisterHotKey(nullptr, 77);
    }
    EXPECT_TRUE(RegisterHotKey(nullptr, 78, 0, VK_F3));
    UnregisterHotKey(nullptr, 78);

    // Find, then F3 from the end of the match: "设置-]" ends every section line.
    const std::wstring word = L"设置-]";
    const size_t first = expected.find(word);
    const size_t second = expected.find(word, first + word.size());
    ASSERT_NE(second, std::wstring::npos);
    SendMessageW(GetDlgItem(d, IDC_ADV_FIND_TEXT), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(word.c_str()));
    for (int i = 0; i < 50 && !IsWindowEnabled(GetDlgItem(d, IDOK)); ++i) PumpMessagesFor(50);
    ClickDialogItem(d, IDOK);
    EXPECT_TRUE(WaitForSelection(d, first, first + word.size()));
    PostMessageW(GetDlgItem(d, IDC_ADV_EDITOR), WM_KEYDOWN, VK_F3, 0);
    EXPECT_TRUE(WaitForSelection(d, second, second + word.size()));

    // A word that is not there.
    SendMessageW(GetDlgItem(d, IDC_ADV_FIND_TEXT), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(L"没有这样的文字"));
    ClickDialogItem(d, IDOK);
    HWND box = WaitForDialog(L"高级设置");
    ASSERT_NE(box, nullptr);
    bool said = false;
    for (HWND s : ChildWindowsOfClass(box, L"Static")) said |= WindowTextOf(s) == L"未找到指定文本";
    EXPECT_TRUE(said);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitForWindowGone(box));

    // An edit enables Save; closing asks first, and Cancel keeps the editor.
    PostMessageW(GetDlgItem(d, IDC_ADV_EDITOR), WM_CHAR, L' ', 0);
    for (int i = 0; i < 50 && !IsWindowEnabled(GetDlgItem(d, IDC_ADV_SAVE)); ++i)
        PumpMessagesFor(50);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_ADV_SAVE)));
    ClickDialogItem(d, IDCANCEL);
    HWND ask = WaitForDialog(L"配置程序");
    ASSERT_NE(ask, nullptr);
    PostMessageW(ask, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitForWindowGone(ask));
    EXPECT_TRUE(IsWindow(d));
    ClickDialogItem(d, IDCANCEL);
    ask = WaitForDialog(L"配置程序");
    ASSERT_NE(ask, nullptr);
    PostMessageW(ask, WM_COMMAND, IDNO, 0);
    EXPECT_TRUE(WaitForWindowGone(d));
    EXPECT_TRUE(p.Ended());
}

}  // namespace
