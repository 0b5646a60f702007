#include "core/base/text_convert.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(Utf16ToUtf8, CountsAndWritesWithinCapacity) {
    struct Case {
        const wchar_t* text;
        int limit;
        int capacity;
        int result;
        const char* written;  // null: not checked
    };
    const Case cases[] = {
        {L"", 10, 10, 0, ""},
        {L"abc", 10, 10, 3, "abc"},
        {L"abc", 2, 10, 2, "ab"},
        {L"\u4f60\u597d", 10, 10, 6, "\xe4\xbd\xa0\xe5\xa5\xbd"},
        {L"\U0001F600", 10, 10, 4, "\xf0\x9f\x98\x80"},
        {L"\xD83D", 10, 10, -1, nullptr},             // high surrogate at the end
        {L"\xD83Dx", 10, 10, -1, nullptr},            // high surrogate before a non-low unit
        {L"\U0001F600", 1, 10, -1, nullptr},          // pair cut by the unit limit
        {L"\u4f60\u597d", 10, 4, 6, "\xe4\xbd\xa0"},  // second character does not fit
    };
    for (const auto& c : cases) {
        char buf[16];
        std::memset(buf, 0x7F, sizeof buf);
        int n = Utf16ToUtf8(c.text, c.limit, buf, c.capacity);
        EXPECT_EQ(n, c.result);
        if (c.written) {
            EXPECT_EQ(std::string(buf, std::strlen(c.written)), c.written);
        }
        EXPECT_EQ(static_cast<unsigned char>(buf[c.capacity]), 0x7F) << "wrote past capacity";
        EXPECT_EQ(Utf16ToUtf8(c.text, c.limit, nullptr, 0), c.result);
    }
}

TEST(Utf8ToUtf16, DecodesAndBounds) {
    struct Case {
        const char* text;
        int bytes;
        int capacity;
        int result;
        std::wstring written;
    };
    const Case cases[] = {
        {"abc", 3, 10, 3, L"abc"},
        {"abc", 2, 10, 2, L"ab"},
        {"\xe4\xbd\xa0\xe5\xa5\xbd", 6, 10, 2, L"\u4f60\u597d"},
        {"\xf0\x9f\x98\x80", 4, 10, 2, L"\U0001F600"},
        {"\xf0\x9f\x98\x80", 4, 1, 0, L""},  // a pair only when both units fit
        {"\xff", 1, 10, -1, L""},
        {"a\0b", 3, 10, 1, L"a"},
    };
    for (const auto& c : cases) {
        wchar_t buf[16];
        wmemset(buf, 0x7777, 16);
        int n = Utf8ToUtf16(c.text, c.bytes, buf, c.capacity);
        EXPECT_EQ(n, c.result) << c.text;
        if (n >= 0) {
            EXPECT_EQ(std::wstring(buf, n), c.written);
        }
        EXPECT_EQ(buf[c.capacity + 1], 0x7777);
    }
}

TEST(LengthPrefixed, EncodeLimitsAndRoundTrip) {
    std::wstring cjk83(83, L'\u4e2d'), cjk84(84, L'\u4e2d');
    uint8_t buf[300];
    EXPECT_EQ(EncodeLengthPrefixedUtf8(cjk83.c_str(), buf, sizeof buf), 250);
    EXPECT_EQ(buf[0], 249);
    EXPECT_EQ(EncodeLengthPrefixedUtf8(cjk84.c_str(), buf, sizeof buf), 0);  // 252 bytes
    EXPECT_EQ(EncodeLengthPrefixedUtf8(cjk84.c_str(), nullptr, 0), 0);
    EXPECT_EQ(EncodeLengthPrefixedUtf8(std::wstring(251, L'a').c_str(), buf, sizeof buf), 0);
    EXPECT_EQ(EncodeLengthPrefixedUtf8(L"ab", buf, 2), 0);  // does not fit the capacity
    ASSERT_EQ(EncodeLengthPrefixedUtf8(L"\u4f60\U0001F600", buf, sizeof buf), 8);
    wchar_t out[8];
    EXPECT_EQ(DecodeLengthPrefixedUtf8(buf, out, 8), 3);
    EXPECT_EQ(std::wstring(out), L"\u4f60\U0001F600");
    EXPECT_EQ(DecodeLengthPrefixedUtf8(buf, out, 3), 1);  // never ends on half a pair
    EXPECT_EQ(std::wstring(out), L"\u4f60");
}

TEST(Utf16CharCount, PairsCountOnce) {
    EXPECT_EQ(Utf16CharCount(L"ab\u4e2d", 128), 3);
    EXPECT_EQ(Utf16CharCount(L"\U0001F600x", 128), 2);
    EXPECT_EQ(Utf16CharCount(L"\xD83D", 128), -1);
    EXPECT_EQ(Utf16CharCount(L"\xDE00", 128), -1);
    EXPECT_EQ(Utf16CharCount(L"abcdef", 3), 3);
}

}  // namespace

TEST(Surrogates, HalvesPairsAndCuts) {
    struct Unit {
        uint32_t unit;
        bool high, low;
    } units[] = {
        {0xD7FF, false, false}, {0xD800, true, false}, {0xDBFF, true, false},
        {0xDC00, false, true},  {0xDFFF, false, true}, {0xE000, false, false},
        {0x0041, false, false},
    };
    for (const Unit& u : units) {
        EXPECT_EQ(IsHighSurrogate(u.unit), u.high) << std::hex << u.unit;
        EXPECT_EQ(IsLowSurrogate(u.unit), u.low) << std::hex << u.unit;
        EXPECT_EQ(IsSurrogate(u.unit), u.high || u.low) << std::hex << u.unit;
    }
    for (uint32_t cp : {0x10000u, 0x1F600u, 0x10FFFFu}) {
        const wchar_t high = HighSurrogateOf(cp), low = LowSurrogateOf(cp);
        EXPECT_TRUE(IsHighSurrogate(high) && IsLowSurrogate(low)) << std::hex << cp;
        EXPECT_EQ(CodePointOfPair(high, low), cp) << std::hex << cp;
    }
    EXPECT_EQ(HighSurrogateOf(0x1F600), 0xD83D);
    EXPECT_EQ(LowSurrogateOf(0x1F600), 0xDE00);

    struct Case {
        const wchar_t* text;
        int left;
        int units;
    } cases[] = {
        {L"\xD83D\xDE00", 2, 2}, {L"\xD83D\xDE00", 1, 1},  // the low half is past the end
        {L"\xD83D", 2, 1},       {L"\xDE00\xD83D", 2, 1},  // broken or reversed
        {L"ab", 2, 1},           {L"", 2, 1},
    };
    for (const Case& c : cases) EXPECT_EQ(CharUnitsAt(c.text, c.left), c.units) << c.left;

    const wchar_t text[] = L"a\xD83D\xDE00";
    EXPECT_EQ(UnitsWithoutCutPair(text, 3), 3);
    EXPECT_EQ(UnitsWithoutCutPair(text, 2), 1) << "no high half left alone";
    EXPECT_EQ(UnitsWithoutCutPair(text, 1), 1);
    EXPECT_EQ(UnitsWithoutCutPair(text, 0), 0);
}
