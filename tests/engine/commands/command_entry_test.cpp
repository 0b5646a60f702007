// Command entries: escapes, macros and the display and commit texts of "$kxcmd(" words.
#include "engine/commands/command_entry.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/command_fixture.h"
#include "engine/commands/macros.h"

using namespace command_test;

namespace {

TEST(Unescape, ResolvesEveryEscape) {
    struct Case {
        const wchar_t* text;
        const wchar_t* out;
    } cases[] = {
        {L"a\\1b", L"a,b"},   {L"\\2x\\3", L"(x)"},  {L"\\4d\\5", L"<d>"},
        {L"a\\\\b", L"a\\b"}, {L"x\\ry", L"x\r\ny"}, {L"\\s\\t", L" \t"},
        {L"\\q", L"\\q"},     {L"end\\", L"end\\"},  {L"", L""},
        {L"\\\\1", L"\\1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        wchar_t out[64];
        const int n = Unescape(c.text, out, 64);
        EXPECT_EQ(std::wstring(out), c.out);
        EXPECT_EQ(n, static_cast<int>(wcslen(c.out)));
    }
}

TEST(Unescape, StaysInsideTheBuffer) {
    wchar_t out[5];
    wmemset(out, L'#', 5);
    EXPECT_EQ(Unescape(L"abcdefgh", out, 4), 3);
    EXPECT_EQ(std::wstring(out), L"abc");
    EXPECT_EQ(out[4], L'#');
    // No half line break at the end.
    EXPECT_EQ(Unescape(L"ab\\r", out, 4), 2);
    EXPECT_EQ(std::wstring(out), L"ab");
}

TEST(ChineseNumber, Values) {
    struct Case {
        unsigned v;
        const wchar_t* text;
    } cases[] = {{0, L"零"},    {7, L"七"},    {10, L"十"},
                 {15, L"十五"}, {20, L"二十"}, {59, L"五十九"}};
    for (const Case& c : cases) {
        wchar_t out[4];
        ChineseNumber(c.v, out);
        EXPECT_EQ(std::wstring(out), c.text) << c.v;
    }
}

TEST(ExpandMacros, Table) {
    CommandEngine t;
    Rec().clipboard = L"剪贴";
    std::wcscpy(t.ime->lastOutput, L"刚才");
    t.ime->lastOutputCount = 2;
    t.ime->recentCount = 2;
    std::wcscpy(t.ime->recentOutputs[0].text, L"前一");
    std::wcscpy(t.ime->recentOutputs[1].text, L"最后");
    struct Case {
        const wchar_t* text;
        const wchar_t* out;
    } cases[] = {
        {L"<time.H>:<time.M>:<time.S>", L"九:五:七"},
        {L"<time.h>:<time.mm>:<time.ss>", L"9:05:07"},
        {L"<time.hh>", L"09"},
        {L"<time.x>", L"#"},
        {L"<date.yyyy>年", L"2026年"},
        {L"<date.yy>", L"26"},
        {L"<date.YYYY>", L"二〇二六"},
        {L"<date.Y>", L"二六"},
        {L"<date.M>月<date.D>日", L"十二月十日"},
        {L"<date.m>/<date.d>", L"12/10"},
        {L"<date.z> <date.Z>", L"星期四 周四"},
        {L"<date.d+1>", L"11"},
        {L"<date.z+3>", L"星期日"},
        {L"<date.d+22>/<date.m+22>", L"1/10"},
        {L"<date.m+1>", L"1"},
        {L"<date.yyyy+1>", L"2027"},
        {L"<date.yyyy-30>", L"1996"},
        {L"<date.dd-9>", L"01"},
        {L"<date.q>", L"#"},
        {L"<last.0>", L"刚才"},
        {L"<last.1>", L"最后"},
        {L"<last.2>", L"前一"},
        {L"<last.7>", L" "},
        {L"<u16value.AB>", L"0x65,0x66,"},
        {L"[<clipboard>]", L"[剪贴]"},
        {L"<nope.1> <time", L"<nope.1> <time"},
        {L"<time.123456789012345678901>", L"<time.123456789012345678901>"},
        {L"<u16value>", L"<u16value>"},
        {L"a<>b", L"a<>b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        wchar_t out[kMacroOutputUnits + 1];
        const int n = ExpandMacros(t.e, c.text, out);
        EXPECT_EQ(std::wstring(out), c.out);
        EXPECT_EQ(n, static_cast<int>(wcslen(c.out)));
    }
}

TEST(ExpandMacros, CutsAt129Units) {
    CommandEngine t;
    Rec().clipboard = std::wstring(100, L'x');
    wchar_t out[kMacroOutputUnits + 1];
    EXPECT_EQ(ExpandMacros(t.e, L"<clipboard><clipboard>", out), kMacroOutputUnits);
    EXPECT_EQ(out[kMacroOutputUnits], 0);
}

TEST(ExpandMacros, LastAfterSentenceEndIsASpace) {
    CommandEngine t;
    Engine::AppendOutputText(t.e, L"你好");
    Engine::AppendOutputText(t.e, L"。");
    wchar_t out[kMacroOutputUnits + 1];
    ExpandMacros(t.e, L"<last.0>", out);
    EXPECT_EQ(std::wstring(out), L" ");
}

TEST(ExpandCommandEntry, DisplayAndCommit) {
    CommandEngine t;
    Rec().clipboard = L"clip";
    struct Case {
        const wchar_t* word;
        int result;
        const wchar_t* display;
        const wchar_t* commit;
    } cases[] = {
        {L"$kxcmd(<date.yyyy>年,今年)", 2, L"今年", L"2026年"},
        {L"$kxcmd(abcd)", 4, L"abcd", L"abcd"},
        {L"$kxcmd(abc)", 3, L"abc", L"abc"},
        {L"$kxcmd(ab)", 0, L"", L""},
        {L"$kxcmd(a\\1b,c)", 1, L"c", L"a,b"},
        {L"$kxcmd(a,b,c)", 1, L"c", L"a,b"},
        {L"$kxcmd(run\\2x\\3,打开)", 2, L"打开", L"run(x)"},
        {L"$kxcmd(abcd", 0, L"", L""},
        {L"$kxcmx(abcd)", 0, L"", L""},
        {L"$kxcmd(<clipboard>,<u16value.a>)", 5, L"0x97,", L"clip"},
        {L"$kxcmd(abcd,)", 0, L"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.word)));
        PageRow display{}, commit{};
        EXPECT_EQ(ExpandCommandEntry(t.e, c.word, &display, &commit), c.result);
        EXPECT_EQ(std::wstring(display.text, display.length), c.display);
        EXPECT_EQ(std::wstring(commit.text, commit.length), c.commit);
    }
}

TEST(ExpandCommandEntry, LongTextsStayInTheRow) {
    CommandEngine t;
    const std::wstring word =
        L"$kxcmd(" + std::wstring(600, L'x') + L"," + std::wstring(300, L'y') + L")";
    PageRow display{}, commit{};
    EXPECT_EQ(ExpandCommandEntry(t.e, word.c_str(), &display, &commit), kRowTextUnits - 1);
    EXPECT_EQ(commit.length, static_cast<uint32_t>(kRowTextUnits - 1));
    EXPECT_EQ(display.text[kRowTextUnits - 1], 0);
    EXPECT_EQ(commit.text[0], L'x');
}

}  // namespace
