// The prompt log of runs under test: every box written as one line and answered with its
// first button, and a box repeated a third time in a row answered with its last button, so
// that a retry question ends.
#include <gtest/gtest.h>

#include "installer/app/prompt_log_ui.h"
#include "support/test_files.h"

using namespace testing_support;

TEST(PromptLog, AnswersAndLines) {
    TempDir dir;
    PromptLogUi ui(dir / L"prompts.txt");
    const struct {
        const wchar_t* text;
        UINT type;
        int answer;
    } cases[] = {
        {L"重试?", MB_YESNO, IDYES}, {L"重试?", MB_YESNO, IDYES},
        {L"重试?", MB_YESNO, IDNO},  // the third time in a row
        {L"重试?", MB_YESNO, IDNO},  {L"另一个\r\n问题", MB_OKCANCEL, IDOK},
        {L"重试?", MB_YESNO, IDYES},  // the run was broken
        {L"完成", MB_OK, IDOK},      {L"完成", MB_OK, IDOK},
        {L"完成", MB_OK, IDOK},      {L"中止", MB_RETRYCANCEL, IDRETRY},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.text));
        EXPECT_EQ(ui.ShowMessage(nullptr, c.text, L"标题", c.type), c.answer);
    }
    const std::vector<uint8_t> bytes = ReadFileBytes(dir / L"prompts.txt");
    const std::string log(bytes.begin(), bytes.end());
    EXPECT_NE(log.find("标题\t另一个\\r\\n问题\n"), std::string::npos);
    size_t lines = 0;
    for (char ch : log) lines += ch == '\n';
    EXPECT_EQ(lines, std::size(cases));
}

TEST(PromptLog, ButtonsOfEachType) {
    const struct {
        UINT type;
        int first, last;
    } cases[] = {
        {MB_OK, IDOK, IDOK},
        {MB_OKCANCEL, IDOK, IDCANCEL},
        {MB_YESNO, IDYES, IDNO},
        {MB_YESNOCANCEL, IDYES, IDCANCEL},
        {MB_RETRYCANCEL, IDRETRY, IDCANCEL},
        {MB_ABORTRETRYIGNORE, IDABORT, IDIGNORE},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FirstButtonOf(c.type | MB_ICONERROR), c.first) << c.type;
        EXPECT_EQ(LastButtonOf(c.type | MB_ICONERROR), c.last) << c.type;
    }
}
