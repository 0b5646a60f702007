// What the wizard shows and decides without its window: the header of each stage, the
// licence page as plain text and where it is read from, and the chooser's answer for a
// folder typed or shown (created when missing, through the dialog port's questions).
#include <gtest/gtest.h>

#include <string>

#include "dialog/testing/recording_ui_port.h"
#include "installer/wizard/folder_chooser.h"
#include "installer/wizard/licence_page.h"
#include "installer/wizard/stage_header.h"
#include "support/test_files.h"

using namespace testing_support;

TEST(WizardTexts, HeaderOfEachStage) {
    const struct {
        WizardStage stage;
        const wchar_t* line;
    } cases[] = {
        {WizardStage::kReady, L"请确认相关设定，并单击“安装”按钮，执行安装操作。"},
        {WizardStage::kInstalling, L"正在将 赞拓输入法 安装到您的计算机中，请稍候。"},
        {WizardStage::kFinished, L"请单击“完成”按钮退出安装程序。"},
        {WizardStage::kFailed, L"请单击“完成”按钮退出安装程序。"},
    };
    for (const auto& c : cases) {
        const StageHeaderText t = WizardHeaderText(c.stage, L"赞拓输入法");
        EXPECT_EQ(t.title, L"欢迎使用 赞拓输入法 安装程序");
        EXPECT_EQ(t.line, c.line);
    }
}

TEST(WizardTexts, LicencePageAsPlainText) {
    const struct {
        const wchar_t* html;
        const wchar_t* text;
    } cases[] = {
        {L"<html><head><title>x</title></head><body><p>甲</p><p>乙</p></body></html>",
         L"甲\r\n\r\n乙"},
        {L"<P>a<BR>b</P>", L"a\r\nb"},
        {L"<ul><li>one</li><li>two</li></ul>", L"one\r\ntwo"},
        {L"a  \r\n  b\tc", L"a b c"},
        {L"&lt;x&gt; &amp; &quot;y&quot; &#39;z&#x27; &copy;", L"<x> & \"y\" 'z' \u00A9"},
        {L"&unknown; &#xD800; &#;", L"&unknown; &#xD800; &#;"},
        {L"<script>var a = '<p>';</script><STYLE>p{}</Style>text", L"text"},
        {L"<h2>GPL</h2><pre>line 1\n  indented\n\nend</pre>after",
         L"GPL\r\n\r\nline 1\r\n  indented\r\n\r\nend\r\n\r\nafter"},
        {L"unclosed <tag", L"unclosed"},
        {L"<head>never closed", L""},
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(HtmlToPlainText(c.html), c.text) << Narrow(c.html);
}

TEST(WizardTexts, LicencePageIsTheUnpackedFileElseTheHelpFilesPage) {
    TempDir unpack;
    EXPECT_EQ(LicencePageAddress(unpack.path()),
              L"mk:@MSITStore:" + unpack.path() + L"\\main.chm::/License.html");
    // Neither there: nothing to show.
    EXPECT_EQ(ReadLicenceText(unpack.path()), L"");
    ASSERT_TRUE(WriteFileBytes(unpack / L"License.html",
                               std::string("\xEF\xBB\xBF<p>\xE8\xAE\xB8\xE5\x8F\xAF</p>")));
    EXPECT_EQ(LicencePageAddress(unpack.path()), unpack / L"License.html");
    EXPECT_EQ(ReadLicenceText(unpack.path()), L"许可");
}

TEST(WizardTexts, TheChoosersFolderIsCreatedWhenTheUserAgrees) {
    TempDir root;
    const std::wstring missing = root / L"新目录";
    const struct {
        const char* name;
        std::wstring folder;
        int answer;
        bool accepted, exists;
        int messages;
    } cases[] = {
        {"an existing folder", root.path(), IDYES, true, true, 0},
        {"nothing typed", L"", IDYES, true, false, 0},
        {"missing, kept out", missing, IDNO, false, false, 1},
        {"missing, created", missing, IDYES, true, true, 1},
        // A folder below a file cannot be made: the error follows the question.
        {"cannot be created", root / L"file.txt\\sub", IDYES, false, false, 2},
    };
    ASSERT_TRUE(WriteFileBytes(root / L"file.txt", std::string("x")));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingUiPort ui;
        ui.messageAnswers.push_back(c.answer);
        EXPECT_EQ(AcceptChosenFolder(nullptr, c.folder), c.accepted);
        if (!c.folder.empty()) {
            EXPECT_EQ(DirExists(c.folder), c.exists);
        }
        ASSERT_EQ(ui.Count(UiCallKind::Message), c.messages);
        if (c.messages > 0) {
            EXPECT_EQ(ui.calls[0].text, L"目录“" + c.folder + L"”不存在。\r\n是否创建该目录？");
            EXPECT_EQ(ui.calls[0].caption, L"文件夹选择");
        }
        if (c.messages > 1) {
            EXPECT_EQ(ui.calls[1].text, L"创建目录失败，请确定程序对当前路径的访问权限。");
        }
    }
}
