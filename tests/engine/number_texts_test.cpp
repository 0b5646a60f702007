#include "engine/number_texts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/test_files.h"

using testing_support::Narrow;

namespace {

NumberTexts Convert(const std::string& number) {
    NumberTexts t;
    std::memset(&t, 0x55, sizeof t);
    ConvertNumber(number.data(), number.size(), &t);
    return t;
}

// Texts 1-7 of a typed number; the digit symbols have their own table.
struct Case {
    const char* number;
    const wchar_t* numeral;
    const wchar_t* amount;
    const wchar_t* chineseDate;
    const wchar_t* arabicDate;
    const wchar_t* lower;
    const wchar_t* capital;
    const wchar_t* grouped;
};

const std::string kFortyDigits = "1234567890123456789012345678901234567890";

const Case kCases[] = {
    {"1005", L"一千零五", L"壹仟零伍元整", L"", L"", L"一〇〇五", L"壹零零伍", L"1,005"},
    {"15", L"十五", L"壹拾伍元整", L"", L"", L"一五", L"壹伍", L"15"},
    {"3", L"三", L"叁元整", L"", L"", L"三", L"叁", L"3"},
    {"12.5", L"十二点五", L"壹拾贰元伍角", L"十二月五日", L"12月5日", L"", L"", L"12.5"},
    {"2024.5.1", L"二千零二十四点五点一", L"", L"二〇二四年五月一日", L"2024年5月1日", L"", L"",
     L""},
    // Round numbers end without 零; 亿 only for a nonzero part.
    {"100000000", L"一亿", L"壹亿元整", L"", L"", L"一〇〇〇〇〇〇〇〇", L"壹零零零零零零零零",
     L"100,000,000"},
    {"1000000000", L"十亿", L"壹拾亿元整", L"", L"", L"一〇〇〇〇〇〇〇〇〇",
     L"壹零零零零零零零零零", L"1,000,000,000"},
    {"20000", L"二万", L"贰万元整", L"", L"", L"二〇〇〇〇", L"贰零零零零", L"20,000"},
    {"100001000", L"一亿零一千", L"壹亿零壹仟元整", L"", L"", L"一〇〇〇〇一〇〇〇",
     L"壹零零零零壹零零零", L"100,001,000"},
    {"100010000", L"一亿零一万", L"壹亿零壹万元整", L"", L"", L"一〇〇〇一〇〇〇〇",
     L"壹零零零壹零零零零", L"100,010,000"},
    {"110000000", L"一亿一千万", L"壹亿壹仟万元整", L"", L"", L"一一〇〇〇〇〇〇〇",
     L"壹壹零零零零零零零", L"110,000,000"},
    {"100150000", L"一亿零一十五万", L"壹亿零壹拾伍万元整", L"", L"", L"一〇〇一五〇〇〇〇",
     L"壹零零壹伍零零零零", L"100,150,000"},
    {"10010", L"一万零一十", L"壹万零壹拾元整", L"", L"", L"一〇〇一〇", L"壹零零壹零", L"10,010"},
    {"10001000", L"一千万一千", L"壹仟万壹仟元整", L"", L"", L"一〇〇〇一〇〇〇",
     L"壹零零零壹零零零", L"10,001,000"},
    {"10000100", L"一千万零一百", L"壹仟万零壹佰元整", L"", L"", L"一〇〇〇〇一〇〇",
     L"壹零零零零壹零零", L"10,000,100"},
    {"101", L"一百零一", L"壹佰零壹元整", L"", L"", L"一〇一", L"壹零壹", L"101"},
    {"110", L"一百一十", L"壹佰壹拾元整", L"", L"", L"一一〇", L"壹壹零", L"110"},
    {"1020", L"一千零二十", L"壹仟零贰拾元整", L"", L"", L"一〇二〇", L"壹零贰零", L"1,020"},
    {"1234567", L"一百二十三万四千五百六十七", L"壹佰贰拾叁万肆仟伍佰陆拾柒元整", L"", L"",
     L"一二三四五六七", L"壹贰叁肆伍陆柒", L"1,234,567"},
    {"999999999999", L"九千九百九十九亿九千九百九十九万九千九百九十九",
     L"玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元整", L"", L"", L"九九九九九九九九九九九九",
     L"玖玖玖玖玖玖玖玖玖玖玖玖", L"999,999,999,999"},
    // Above 999,999,999,999: no numeral and no amount.
    {"1000000000000", L"", L"", L"", L"", L"一〇〇〇〇〇〇〇〇〇〇〇〇",
     L"壹零零零零零零零零零零零零", L"1,000,000,000,000"},
    {kFortyDigits.c_str(), L"", L"", L"", L"",
     L"一二三四五六七八九〇一二三四五六七八九〇一二三四五六七八九〇一二三四五六七八九〇",
     L"壹贰叁肆伍陆柒捌玖零壹贰叁肆伍陆柒捌玖零壹贰叁肆伍陆柒捌玖零壹贰叁肆伍陆柒捌玖零", L""},
    // Zeros.
    {"0", L"零", L"零元整", L"", L"", L"〇", L"零", L"0"},
    {"00", L"零零", L"零元整", L"", L"", L"〇〇", L"零零", L"00"},
    {"05", L"零五", L"零伍元整", L"", L"", L"〇五", L"零伍", L"05"},
    // Decimals.
    {"0.5", L"零点五", L"伍角", L"", L"", L"", L"", L"0.5"},
    {"0.05", L"零点零五", L"伍分", L"", L"", L"", L"", L"0.05"},
    {"12.05", L"十二点零五", L"壹拾贰元伍分", L"十二月五日", L"12月5日", L"", L"", L"12.05"},
    {"12.0", L"十二点零", L"壹拾贰元整", L"", L"", L"", L"", L"12.0"},
    {"10.10", L"十点一零", L"壹拾元壹角", L"十月十日", L"10月10日", L"", L"", L"10.10"},
    {"12.345", L"十二点三四五", L"", L"", L"", L"", L"", L"12.345"},
    {"12.", L"十二点", L"壹拾贰元整", L"", L"", L"", L"", L"12."},
    {".5", L"点五", L"伍角", L"", L"", L"", L"", L""},
    // Dates.
    {"2024.5", L"二千零二十四点五", L"贰仟零贰拾肆元伍角", L"二〇二四年五月", L"2024年5月", L"",
     L"", L"2,024.5"},
    {"2024.0", L"二千零二十四点零", L"贰仟零贰拾肆元整", L"二〇二四年", L"2024年", L"", L"",
     L"2,024.0"},
    {"2024.13", L"二千零二十四点一三", L"贰仟零贰拾肆元壹角叁分", L"", L"", L"", L"", L"2,024.13"},
    {"12.31", L"十二点三一", L"壹拾贰元叁角壹分", L"十二月三十一日", L"12月31日", L"", L"",
     L"12.31"},
    {"12.32", L"十二点三二", L"壹拾贰元叁角贰分", L"", L"", L"", L"", L"12.32"},
    {"5.1.1", L"五点一点一", L"", L"〇五年一月一日", L"05年1月1日", L"", L"", L""},
    {"2024.12.0", L"二千零二十四点一二点零", L"", L"二〇二四年十二月", L"2024年12月", L"", L"",
     L""},
    {"2024.12.20", L"二千零二十四点一二点二零", L"", L"二〇二四年十二月二十日", L"2024年12月20日",
     L"", L"", L""},
    {"2024.5.32", L"二千零二十四点五点三二", L"", L"", L"", L"", L"", L""},
    {"9999.1.1", L"九千九百九十九点一点一", L"", L"", L"", L"", L"", L""},
    {"2024..1", L"二千零二十四点点一", L"", L"", L"", L"", L"", L""},
    // Grouping needs at most 30 units.
    {"12345678901234567890123", L"", L"", L"", L"",
     L"一二三四五六七八九〇一二三四五六七八九〇一二三",
     L"壹贰叁肆伍陆柒捌玖零壹贰叁肆伍陆柒捌玖零壹贰叁", L"12,345,678,901,234,567,890,123"},
    {"123456789012345678901234", L"", L"", L"", L"",
     L"一二三四五六七八九〇一二三四五六七八九〇一二三四",
     L"壹贰叁肆伍陆柒捌玖零壹贰叁肆伍陆柒捌玖零壹贰叁肆", L""},
    // No digit, or something that is no number: nothing.
    {".", L"", L"", L"", L"", L"", L"", L""},
    {"", L"", L"", L"", L"", L"", L"", L""},
    {"12a", L"", L"", L"", L"", L"", L"", L""},
};

TEST(ConvertNumber, TextsOfATypedNumber) {
    for (const auto& c : kCases) {
        NumberTexts t = Convert(c.number);
        const wchar_t* expected[] = {c.numeral, c.amount,  c.chineseDate, c.arabicDate,
                                     c.lower,   c.capital, c.grouped};
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(Narrow(t.text[i]), Narrow(expected[i])) << c.number << " text " << i + 1;
        }
    }
}

TEST(ConvertNumber, DigitSymbols) {
    struct SymbolCase {
        const char* number;
        const wchar_t* circled;
        const wchar_t* roman;
        const wchar_t* parenthesised;
        const wchar_t* dotted;
    };
    const SymbolCase cases[] = {
        {"1234567890", L"①②③④⑤⑥⑦⑧⑨⑩", L"ⅠⅡⅢⅣⅤⅥⅦⅧⅨⅩ", L"㈠㈡㈢㈣㈤㈥㈦㈧㈨㈩", L"⒈⒉⒊⒋⒌⒍⒎⒏⒐⒑"},
        {"100", L"①⑩⑩", L"ⅠⅩⅩ", L"㈠㈩㈩", L"⒈⒑⒑"},
        {"12.5", L"", L"", L"", L""},
    };
    for (const auto& c : cases) {
        NumberTexts t = Convert(c.number);
        EXPECT_EQ(Narrow(t.text[kCircledDigitsText]), Narrow(c.circled)) << c.number;
        EXPECT_EQ(Narrow(t.text[kRomanDigitsText]), Narrow(c.roman)) << c.number;
        EXPECT_EQ(Narrow(t.text[kParenthesisedDigitsText]), Narrow(c.parenthesised)) << c.number;
        EXPECT_EQ(Narrow(t.text[kDottedDigitsText]), Narrow(c.dotted)) << c.number;
    }
}

TEST(IntegerSkeleton, FormsAndLimits) {
    struct SkeletonCase {
        const char* digits;
        bool ok;
        const char* skeleton;
    };
    const SkeletonCase cases[] = {
        {"1", true, "1"},
        {"10", true, "s"},
        {"11", true, "s1"},
        {"20", true, "2s"},
        {"21", true, "2s1"},
        {"100", true, "1b"},
        {"105", true, "1b05"},
        {"150", true, "1b5s"},
        {"155", true, "1b5s5"},
        {"1000", true, "1q"},
        {"1005", true, "1ql5"},
        {"1050", true, "1ql5s"},
        {"1055", true, "1ql5s5"},
        {"1500", true, "1q5b"},
        {"1505", true, "1q5bl5"},
        {"1550", true, "1q5b5s"},
        {"1555", true, "1q5b5s5"},
        {"100000000", true, "1y"},
        {"100000015", true, "1yl1s5"},
        {"0012", true, "ls2"},
        {"000", true, "000"},
        {"", true, ""},
        {"999999999999", true, "9q9b9s9y9q9b9s9w9q9b9s9"},
        {"000999999999999", true, "l9q9b9s9y9q9b9s9w9q9b9s9"},
        {"1000000000000", false, ""},
    };
    for (const auto& c : cases) {
        char out[64];
        EXPECT_EQ(IntegerSkeleton(c.digits, std::strlen(c.digits), out, sizeof out), c.ok)
            << c.digits;
        EXPECT_STREQ(out, c.skeleton) << c.digits;
    }
    char small[3];
    EXPECT_FALSE(IntegerSkeleton("1555", 4, small, sizeof small));
    EXPECT_STREQ(small, "");
}

TEST(FillNumberEntry, OnlyTextsThatFitTheLengthByte) {
    std::wstring fits(85, L'中');  // 255 bytes
    std::wstring over(86, L'中');  // 258 bytes
    std::wstring pair = L"\U0001F600";
    struct EntryCase {
        const wchar_t* what;
        std::wstring text;
        size_t room;
        int result;
        int length;
    };
    const EntryCase cases[] = {
        {L"fits", fits, 261, 1, 255},
        {L"over 255 bytes", over, 300, 0, 0},
        {L"entry too small", L"中文", 5 + 5, 0, 0},
        {L"exact room", L"中文", 5 + 6, 1, 6},
        {L"pair", pair, 261, 1, 4},
        {L"broken pair", std::wstring(1, L'\xD83D'), 261, 0, 0},
        {L"empty", L"", 261, 0, 0},
    };
    for (const auto& c : cases) {
        uint8_t entry[320];
        std::memset(entry, 0xAA, sizeof entry);
        EXPECT_EQ(FillNumberEntry(c.text.c_str(), entry, c.room), c.result) << Narrow(c.what);
        uint32_t flags;
        std::memcpy(&flags, entry, 4);
        EXPECT_EQ(flags, 0u) << Narrow(c.what);
        EXPECT_EQ(entry[4], c.length) << Narrow(c.what);
        EXPECT_EQ(entry[c.room], 0xAA) << Narrow(c.what) << ": wrote past the entry";
        if (c.result) {
            std::string utf8(reinterpret_cast<char*>(entry + 5), entry[4]);
            EXPECT_EQ(utf8, Narrow(c.text)) << Narrow(c.what);
        }
    }
}

}  // namespace
