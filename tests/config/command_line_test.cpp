// The command line: one value, the keys and their precedence, bounds.
#include "config/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CopyArgumentToken, ValuesEndAtABlankOrTheClosingQuoteOfEitherKind) {
    struct Case {
        const wchar_t* source;
        int capacity;
        const wchar_t* value;
        int taken;
    };
    const Case cases[] = {
        {L"abc def", 16, L"abc", 3},
        {L"abc", 16, L"abc", 3},
        {L"", 16, L"", 0},
        {L" x", 16, L"", 0},
        {L"\"a b\" c", 16, L"a b", 5},
        {L"'a b' c", 16, L"a b", 5},
        {L"\"a b' c\"", 16, L"a b", 5},  // a double quote also ends at an apostrophe
        {L"'open to the end", 32, L"open to the end", 16},
        {L"''", 16, L"", 2},
        {L"abcdef", 4, L"abc", 6},  // cut to capacity - 1, the whole value taken
        {L"'abcdef'", 3, L"ab", 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::wstring(c.source).size() << " cap " << c.capacity);
        wchar_t out[33];
        wmemset(out, L'#', 33);
        EXPECT_EQ(CopyArgumentToken(c.source, out, c.capacity), c.taken);
        EXPECT_STREQ(out, c.value);
        EXPECT_EQ(out[c.capacity], L'#');
    }
}

struct Parsed {
    std::wstring guid, target, argument, version;
    int width, height, left, top;
};

Parsed Parse(const wchar_t* line) {
    StartArguments a;
    ParseConfigCommandLine(line, a);
    return {a.guidText,  a.target,     a.argument, a.versionText,
            a.viewWidth, a.viewHeight, a.viewLeft, a.viewTop};
}

TEST(ParseConfigCommandLine, KeysPrecedenceAndAbsentNumbers) {
    struct Case {
        const wchar_t* line;
        Parsed expected;
    };
    const Case cases[] = {
        {L"config.exe /n {G}", {L"{G}", L"", L"", L"", -1, -1, -1, -1}},
        {L"config.exe /n {G} /do about", {L"{G}", L"about", L"", L"", -1, -1, -1, -1}},
        {L"x /n {G} /do 按键设置", {L"{G}", L"按键设置", L"", L"", -1, -1, -1, -1}},
        // "/showurl" wins over "/do" and hides "/dict" and "/currver".
        {L"x /n {G} /do about /showurl 'mk:@MSITStore:C:\\a b\\main.chm::/About.html' "
         L"/showurlCX 600 /showurlCY 500 /dict w /currver 1.2",
         {L"{G}", L"showurl", L"mk:@MSITStore:C:\\a b\\main.chm::/About.html", L"", 600, 500, -1,
          -1}},
        {L"x /showurl http://h/ /showurlCY 7", {L"", L"showurl", L"http://h/", L"", -1, 7, -1, -1}},
        {L"x /n {G} /dict '字'", {L"{G}", L"dict", L"字", L"", -1, -1, -1, -1}},
        {L"x /n {G} /dict ''", {L"{G}", L"dict", L"", L"", -1, -1, -1, -1}},
        {L"x /n {G} /dict 字 /currver 3.1.4 rest",
         {L"{G}", L"dict", L"字", L"3.1.4", -1, -1, -1, -1}},
        {L"x /n {G} /currver=9.0", {L"{G}", L"", L"", L"9.0", -1, -1, -1, -1}},
        {L"x /n {G} /do dict ", {L"{G}", L"dict", L"", L"", -1, -1, -1, -1}},
        // Keys are case-sensitive and count only where a token starts.
        {L"x /N {G} /DO about", {L"", L"", L"", L"", -1, -1, -1, -1}},
        {L"x/n {G}", {L"", L"", L"", L"", -1, -1, -1, -1}},
        // The first of a key counts.
        {L"x /n {A} /n {B}", {L"{A}", L"", L"", L"", -1, -1, -1, -1}},
        {L"", {L"", L"", L"", L"", -1, -1, -1, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "line " << (&c - cases));
        Parsed p = Parse(c.line);
        EXPECT_EQ(p.guid, c.expected.guid);
        EXPECT_EQ(p.target, c.expected.target);
        EXPECT_EQ(p.argument, c.expected.argument);
        EXPECT_EQ(p.version, c.expected.version);
        EXPECT_EQ(p.width, c.expected.width);
        EXPECT_EQ(p.height, c.expected.height);
        EXPECT_EQ(p.left, c.expected.left);
        EXPECT_EQ(p.top, c.expected.top);
    }
}

TEST(ParseConfigCommandLine, KeysInsideValuesAreNotReadAndQuotedWordsArriveWhole) {
    struct Case {
        const wchar_t* line;
        const wchar_t* guid;
        const wchar_t* target;
        const wchar_t* argument;
    };
    const Case cases[] = {
        // A word holding a key, a quote or blanks is the dictionary's word, whole.
        {L"x /n {G} /dict 'a /n b'", L"{G}", L"dict", L"a /n b"},
        {L"x /n {G} /dict 'it's'", L"{G}", L"dict", L"it's"},
        {L"x /n {G} /dict '\"引号\"'", L"{G}", L"dict", L"\"引号\""},
        {L"x /n {G} /dict 'x /do about'", L"{G}", L"dict", L"x /do about"},
        {L"x /n {G} /dict 'x /showurl y'", L"{G}", L"dict", L"x /showurl y"},
        // An address holding a key.
        {L"x /n {G} /showurl 'http://h/?q= /dict w' /showurlCX 5", L"{G}", L"showurl",
         L"http://h/?q= /dict w"},
        // "/n" inside the target is part of the target.
        {L"x /do '高级 /n {X}' /n {G}", L"{G}", L"高级 /n {X}", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "line " << (&c - cases));
        Parsed p = Parse(c.line);
        EXPECT_EQ(p.guid, c.guid);
        EXPECT_EQ(p.target, c.target);
        EXPECT_EQ(p.argument, c.argument);
    }
}

TEST(ParseConfigCommandLine, LongValuesAreCutToTheirFields) {
    std::wstring longGuid(100, L'g'), longTarget(400, L't'), longWord(400, L'w'),
        longVersion(100, L'v'), longNumber(100, L'1');
    Parsed p = Parse((L"x /n " + longGuid + L" /do " + longTarget + L" /dict '" + longWord +
                      L"' /currver " + longVersion)
                         .c_str());
    EXPECT_EQ(p.guid, std::wstring(39, L'g'));
    EXPECT_EQ(p.target, L"dict");
    EXPECT_EQ(p.argument, std::wstring(255, L'w'));
    EXPECT_EQ(p.version, std::wstring(39, L'v'));
    p = Parse((L"x /do " + longTarget).c_str());
    EXPECT_EQ(p.target, std::wstring(255, L't'));
    p = Parse((L"x /showurl u /showurlCX " + longNumber).c_str());
    EXPECT_EQ(p.width, 2147483647);  // 39 digits through the C library's conversion, clamped
}

}  // namespace
