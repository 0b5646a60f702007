#include "core/base/url_encode.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

namespace {

TEST(UrlEncodeText, WritesUtf8Escapes) {
    struct Case {
        const wchar_t* text;
        const wchar_t* encoded;
    };
    const Case cases[] = {
        {L"a b中", L"a b%E4%B8%AD"},
        {L"http://x/s?wd=中文&q=1", L"http://x/s?wd=%E4%B8%AD%E6%96%87&q=1"},
        {L"\u007f", L"\u007f"},
        {L"\u0080", L"%C2%80"},
        {L"é\u00fe\u00ff", L"%C3%A9%C3%BE%C3%BF"},
        {L"\u07ff\u0800", L"%DF%BF%E0%A0%80"},
        {L"\uffff", L"%EF%BF%BF"},
        {L"\U0001F600", L"%F0%9F%98%80"},
        {L"\U0010FFFF", L"%F4%8F%BF%BF"},
        {L"\xD83D"
         L"a",
         L"%EF%BF%BDa"},  // high half alone
        {L"\xDE00"
         L"a",
         L"%EF%BF%BDa"},  // low half alone
        {L"\xD83D\xD83D\xDE00", L"%EF%BF%BD%F0%9F%98%80"},
        {L"", L""},
    };
    for (const auto& c : cases) {
        wchar_t out[kUrlEncodeChars];
        int n = UrlEncodeText(c.text, out);
        EXPECT_STREQ(out, c.encoded);
        EXPECT_EQ(n, static_cast<int>(wcslen(c.encoded)));
    }
    wchar_t out[kUrlEncodeChars] = {L'x'};
    EXPECT_EQ(UrlEncodeText(nullptr, out), 0);
    EXPECT_STREQ(out, L"");
}

TEST(UrlEncodeText, NeverCutsAnEscapeAtTheLimit) {
    struct Case {
        int plain;  // ASCII units before the tail
        const wchar_t* tail;
        int count;  // units written
    };
    const Case cases[] = {
        {511, L"", 511},
        {520, L"", 511},
        {502, L"中", 511},  // nine units end exactly at the limit
        {503, L"中", 503},  // they would not fit: left out
        {510, L"中", 510},
        {499, L"\U0001F600", 511},  // a pair is twelve units
        {500, L"\U0001F600", 500},
        {503, L"中a", 503},  // nothing after a character that did not fit
    };
    for (const auto& c : cases) {
        std::wstring text(c.plain, L'a');
        text += c.tail;
        wchar_t out[kUrlEncodeChars + 8];
        wmemset(out, L'#', kUrlEncodeChars + 8);
        int n = UrlEncodeText(text.c_str(), out, kUrlEncodeChars);
        ASSERT_EQ(n, c.count) << c.plain;
        EXPECT_EQ(out[n], 0);
        EXPECT_EQ(out[kUrlEncodeChars], L'#') << "wrote past the buffer";
        std::wstring written(out, n);
        size_t pct = written.rfind(L'%');
        if (pct != std::wstring::npos) {
            EXPECT_EQ(pct + 3, written.size()) << c.plain;
        }
    }
}

TEST(UrlEncodeText, SmallCapacities) {
    wchar_t out[4] = {L'#', L'#', L'#', L'#'};
    EXPECT_EQ(UrlEncodeText(L"中", out, 4), 0);
    EXPECT_STREQ(out, L"");
    EXPECT_EQ(UrlEncodeText(L"abc", out, 1), 0);
    EXPECT_STREQ(out, L"");
    EXPECT_EQ(UrlEncodeText(L"abc", out, 0), 0);
    EXPECT_EQ(UrlEncodeText(L"abc", nullptr, 4), 0);
}

}  // namespace
