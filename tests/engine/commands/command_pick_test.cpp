// Picking command rows: action codes, argument buffer and picked text.
#include "engine/commands/command_pick.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/candidate_pick.h"
#include "engine/command_fixture.h"

using namespace command_test;

namespace {

TEST(ExtractCommandArgument, Table) {
    CommandEngine t;
    struct Case {
        const wchar_t* command;
        int result;
        const wchar_t* argument;
    } cases[] = {
        {L"run(notepad.exe)", 16, L"notepad.exe"},
        {L"run(%apppath%\\readme.txt)", 25, L"C:\\Zan\\readme.txt"},
        {L"run(%apppath%readme.txt)", 24, L"C:\\Zan\\readme.txt"},
        {L"run(a(b)c)x", 10, L"a(b)c"},
        {L"run(http://x.cn/中)", 18, L"http://x.cn/%E4%B8%AD"},
        {L"run(https://x.cn/中)", 19, L"https://x.cn/中"},
        {L"run(x", 0, L""},
        {L"run)x(", 0, L""},
        {L"runx", 0, L""},
        {L"run()", 5, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.command)));
        wchar_t out[kCommandArgumentUnits];
        EXPECT_EQ(ExtractCommandArgument(t.e, c.command, out), c.result);
        EXPECT_EQ(std::wstring(out), c.argument);
    }
}

TEST(ExtractCommandArgument, LongArgumentIsCut) {
    CommandEngine t;
    const std::wstring command = L"run(%apppath%" + std::wstring(700, L'a') + L")";
    wchar_t out[kCommandArgumentUnits];
    EXPECT_GT(ExtractCommandArgument(t.e, command.c_str(), out), 0);
    EXPECT_EQ(wcslen(out), static_cast<size_t>(kCommandArgumentUnits - 1));
}

struct PickCase {
    const char* name;
    std::wstring commit;
    uint32_t action;
    std::wstring argument;
    std::wstring picked;
};

TEST(RunCandidateCommand, RecognisesCommandRows) {
    const PickCase cases[] = {
        {"run", L"run(%apppath%a.txt)", kActionRun, L"C:\\Zan\\a.txt", L""},
        {"readfile", L"readfile(C:\\d,a.png)", kActionReadFile, L"C:\\d,a.png", L""},
        {"help", L"help(x.htm,400,300)", kActionHelp, L"x.htm,400,300", L""},
        {"set keeps the whole line", L"set(a=b)", kActionSet, L"set(a=b)", L""},
        {"convert", L"convert(全半角,全角)", kActionConvert, L"全半角,全角", L""},
        {"skbd", L"skbd(1)", kActionSoftKeyboard, L"1", L""},
        {"config", L"config(/do 3)", kActionConfig, L"/do 3", L""},
        {"keyboard at start", L"keyboard(<键A>)", kActionKeyboard, L"keyboard(<键A>)", L""},
        {"keyboard after text", L"你好keyboard(<键A>)", kActionKeyboardAfterText,
         L"keyboard(<键A>)", L"你好"},
        {"newkey", L"ab newkey(123)", kActionNewKey, L"123", L"ab "},
        // Plain texts that only look like commands stay text.
        {"read is no readfile", L"ready(now)", 0, L"", L"ready(now)"},
        {"conv is no convert", L"conversation(x)", 0, L"", L"conversation(x)"},
        {"skbd needs its bracket", L"skbdx(1)", 0, L"", L"skbdx(1)"},
        {"run without closing bracket", L"run(x", 0, L"", L"run(x"},
        {"plain text", L"你好", 0, L"", L"你好"},
    };
    for (const PickCase& c : cases) {
        SCOPED_TRACE(c.name);
        CommandEngine t;
        t.SetRow(0, "$kxcmd(whatever,shown)", L"shown", c.commit);
        std::wcscpy(t.e->input.commandArgument, L"old");
        EXPECT_EQ(Engine::SelectCandidate(t.e, 1), 0);
        EXPECT_EQ(t.e->input.pickedAction, c.action);
        EXPECT_EQ(std::wstring(t.e->input.pickedText, t.e->input.pickedLength), c.picked);
        if (c.action) {
            EXPECT_EQ(std::wstring(t.e->input.commandArgument), c.argument);
        }
    }
}

TEST(RunCandidateCommand, OnlyExpandedRowsWithCommandsEnabled) {
    {
        SCOPED_TRACE("commands disabled");
        CommandEngine t;
        t.ime->features = 0;
        t.SetRow(0, "$kxcmd(run\\2x\\3,go)", L"go", L"run(x)");
        Engine::SelectCandidate(t.e, 1);
        EXPECT_EQ(t.e->input.pickedAction, 0u);
        EXPECT_EQ(std::wstring(t.e->input.pickedText), L"run(x)");
    }
    {
        SCOPED_TRACE("plain word that reads like a command");
        CommandEngine t;
        t.SetRow(0, "run(x)", L"run(x)", L"");
        Engine::SelectCandidate(t.e, 1);
        EXPECT_EQ(t.e->input.pickedAction, 0u);
        EXPECT_EQ(std::wstring(t.e->input.pickedText), L"run(x)");
    }
    {
        SCOPED_TRACE("second row");
        CommandEngine t;
        t.SetRow(0, "甲", L"甲", L"");
        t.SetRow(1, "$kxcmd(run\\2y\\3,go)", L"go", L"run(y)");
        EXPECT_EQ(Engine::SelectCandidate(t.e, 2), 1);
        EXPECT_EQ(t.e->input.pickedAction, kActionRun);
        EXPECT_EQ(std::wstring(t.e->input.commandArgument), L"y");
        Engine::SelectCandidate(t.e, 1);
        EXPECT_EQ(t.e->input.pickedAction, 0u);
    }
    {
        SCOPED_TRACE("rows outside 1..10");
        CommandEngine t;
        t.SetRow(0, "$kxcmd(run\\2y\\3,go)", L"go", L"run(y)");
        EXPECT_EQ(RunCandidateCommand(t.e, 0), 0u);
        EXPECT_EQ(RunCandidateCommand(t.e, 11), 0u);
        EXPECT_EQ(RunCandidateCommand(t.e, 2), 0u);
        EXPECT_EQ(RunCandidateCommand(nullptr, 1), 0u);
    }
}

}  // namespace
