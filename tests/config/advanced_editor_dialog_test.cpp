// The advanced settings editor's dialog in this process, with the dialog port recorded: the
// backup writes the editor's text, the restore saves a text into the live blocks, and a save
// that changes the window style starts the installer hidden with "/EMMODE=...".
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/advanced_editor.h"
#include "config/editor_ids.h"
#include "core/record/engine.h"
#include "core/settings/config_blocks.h"
#include "dialog/testing/recording_ui_port.h"
#include "program_fixture.h"

namespace {

using namespace testing_support;

std::wstring Text(HWND d) {
    HWND e = GetDlgItem(d, IDC_ADV_EDITOR);
    const LRESULT n = SendMessageW(e, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    text.resize(static_cast<size_t>(
        SendMessageW(e, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

void Command(HWND d, int id) { SendMessageW(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

struct OpenEditor {
    Installation inst;
    Engine* engine = nullptr;
    std::unique_ptr<CKX_ADVConfig> dialog;
    HWND d = nullptr;
    OpenEditor() {
        LoadLibraryW(L"riched20.dll");
        engine = Engine::CreateForConfig(inst.ime.guidText);
        if (!engine) return;
        engine->ime->features |= kFeatHasTsf;
        dialog = std::make_unique<CKX_ADVConfig>(engine, GetDesktopWindow(), L"测试");
        d = dialog->Create(nullptr);
    }
    ~OpenEditor() {
        if (dialog) dialog->Destroy();
        dialog.reset();
        Engine::DestroyForConfig(engine);
    }
};

TEST(AdvancedEditorDialog, BackupWritesTheEditorTextAndRestoreSavesIt) {
    RecordingUiPort ui;
    OpenEditor open;
    ASSERT_NE(open.d, nullptr);
    HWND d = open.d;
    const std::wstring shown = Text(d);
    ASSERT_NE(shown.find(L"[-IME设置-]"), std::wstring::npos);

    TempDir dir;
    ui.fileAnswers.push_back(dir / L"Backup.TXT");
    Command(d, IDC_ADV_EXPORT);
    ASSERT_EQ(ui.Count(UiCallKind::SaveFile), 1);
    EXPECT_EQ(ui.Last(UiCallKind::SaveFile)->text, L"导出全部设置...");
    const std::vector<uint8_t> written = ReadFileBytes(dir / L"backup.kxconfig.txt");
    ASSERT_GT(written.size(), 3u);
    EXPECT_EQ(std::string(written.begin(), written.begin() + 3), "\xEF\xBB\xBF");

    // A restored text is saved at once: here one that moves the style to a TSF style.
    std::string restored(written.begin(), written.end());
    const std::string from = "编码窗口样式=IME-传统样式";
    const size_t at = restored.find(from);
    ASSERT_NE(at, std::string::npos);
    restored.replace(at, from.size(), "编码窗口样式=TSF-嵌入首选");
    WriteFileBytes(dir / L"restore.txt", restored);
    ui.fileAnswers.push_back(dir / L"restore.txt");
    ASSERT_EQ(open.engine->ime->options & kImeStyleMask, 0u);
    Command(d, IDC_ADV_IMPORT);
    EXPECT_EQ(ui.Last(UiCallKind::OpenFile)->text, L"导入备份文件...");
    EXPECT_EQ(open.engine->ime->options & kImeStyleMask, kImeStyleTsfEmbedFirst);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_ADV_SAVE)));  // saved
    ASSERT_EQ(ui.Count(UiCallKind::Shell), 1);
    const UiCall* shell = ui.Last(UiCallKind::Shell);
    EXPECT_EQ(shell->extra, L"/EMMODE=1 /GUID=" + std::wstring(open.inst.ime.guidText));
    EXPECT_EQ(shell->flags, static_cast<UINT>(SW_HIDE));
    EXPECT_EQ(shell->text, open.inst.ime.install.path() + L"\\installer.exe");

    // Saving the same text again starts nothing.
    SendMessageW(GetDlgItem(d, IDC_ADV_EDITOR), WM_CHAR, L' ', 0);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_ADV_SAVE)));
    Command(d, IDC_ADV_SAVE);
    EXPECT_EQ(ui.Count(UiCallKind::Shell), 1);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_ADV_SAVE)));
}

TEST(AdvancedEditorDialog, ALongTextIsKeptWhole) {
    RecordingUiPort ui;
    OpenEditor open;
    ASSERT_NE(open.d, nullptr);
    // Far beyond the control's default limit of 64,000 characters.
    std::string big = "\xEF\xBB\xBF";
    for (int i = 0; i < 9000; ++i) big += "// 注释行 " + std::to_string(i) + "\r\n";
    TempDir dir;
    WriteFileBytes(dir / L"big.txt", big);
    ui.fileAnswers.push_back(dir / L"big.txt");
    Command(open.d, IDC_ADV_IMPORT);
    const std::wstring text = Text(open.d);
    EXPECT_GT(text.size(), 64000u);
    EXPECT_NE(text.find(L"注释行 8999"), std::wstring::npos);
}

}  // namespace
