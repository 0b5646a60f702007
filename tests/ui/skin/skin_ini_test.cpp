#include "ui/skin/skin_ini.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "ui/skin/skin_text.h"
#include "ui/skin_fixture.h"

namespace {

using testing_support::kVersionLine;
using testing_support::SkinIni;

std::unique_ptr<SkinDescription> Parse(const std::string& bytes, SkinIniResult* result) {
    auto d = std::make_unique<SkinDescription>();
    *result = ParseSkinIni(d.get(), reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return d;
}

std::string Utf16(const std::wstring& text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (wchar_t c : text) {
        char hi = char(c >> 8), lo = char(c & 0xFF);
        out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return out;
}

const std::wstring kWideIni =
    std::wstring(L";------------------------for version 3.3+-------------------") +
    L"\r\n[-皮肤信息-]\r\n名称=宽\r\n[-文字显示-]\r\n候选字体大小=20\r\n";

TEST(SkinIni, EncodingsParseTheSame) {
    std::string utf8 = std::string(kVersionLine) +
                       "\r\n[-皮肤信息-]\r\n名称=宽\r\n[-文字显示-]\r\n候选字体大小=20\r\n";
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + utf8},
        {"UTF-8 without BOM", utf8},
        {"UTF-16LE", Utf16(kWideIni, false)},
        {"UTF-16BE", Utf16(kWideIni, true)},
    };
    for (const Case& c : cases) {
        SkinIniResult r;
        auto d = Parse(c.bytes, &r);
        EXPECT_EQ(r, kSkinIniOk) << c.name;
        EXPECT_STREQ(d->info.name, L"宽") << c.name;
        EXPECT_EQ(d->text.candidateFontSize, 20) << c.name;
    }
}

TEST(SkinText, Utf16CountsExcludeTheMark) {
    for (bool be : {false, true}) {
        std::string bytes = Utf16(L"ab", be);
        int count = -1;
        wchar_t* text =
            DecodeTextBuffer(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &count);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(count, 2) << (be ? "BE" : "LE");
        EXPECT_STREQ(text, L"ab");
        std::free(text);
    }
}

TEST(SkinText, Utf8CheckByLeadBytes) {
    struct Case {
        const char* bytes;
        bool ok;
    } cases[] = {
        {"plain", true},     {"\xE4\xB8\xAD", true}, {"\xE4\xB8", false},  // cut at the end
        {"\x80", false},                                                   // continuation as lead
        {"\xC3\x28", false},                                               // bad continuation
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsWellFormedUtf8(reinterpret_cast<const uint8_t*>(c.bytes), std::strlen(c.bytes)),
                  c.ok)
            << c.bytes;
}

TEST(SkinIni, ResultsForBadTexts) {
    struct Case {
        const char* name;
        std::string bytes;
        SkinIniResult result;
    } cases[] = {
        {"empty", "", kSkinIniNoText},
        {"version 3.2",
         "\xEF\xBB\xBF;------------------------for version "
         "3.2+-------------------\r\n[-皮肤信息-]\r\n名称=x\r\n",
         kSkinIniBadVersion},
        {"short text", "\xEF\xBB\xBF;---", kSkinIniBadVersion},
        {"no name", SkinIni("", ""), kSkinIniNoName},
        {"name outside its section", std::string("\xEF\xBB\xBF") + kVersionLine + "\r\n名称=x\r\n",
         kSkinIniNoName},
        {"name with blank before key", SkinIni("", "").append("[-皮肤信息-]\r\n 名称=x\r\n"),
         kSkinIniNoName},
    };
    for (const Case& c : cases) {
        SkinIniResult r;
        Parse(c.bytes, &r);
        EXPECT_EQ(r, c.result) << c.name;
    }
}

TEST(SkinIni, ValueForms) {
    std::string body =
        "[-文字显示-]\r\n"
        "编码字体粗细=50\r\n候选字体大小=0\r\n候选字体粗细=-5\r\n"
        "编码字体颜色=#255\r\n候选字体颜色=255\r\n第一候选背景色=#-1\r\n"
        "编码字体名称="
        "一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十超长\r\n"
        "编码最多显示个数= -12abc\r\n"
        "[-状态栏窗口-]\r\n状态栏默认位置=3\r\n菜单按钮位置=-1,-1\r\n中英文状态按钮位置=7\r\n"
        "[-候选窗口-合并-]\r\n右边据=9\r\n下边距=4\r\n序号后缀=.x\r\n文字背景边框=1,2,3\r\n"
        "横向拉伸区域=5,10\r\n候选间距=3\r\n候选间距=8\r\n"
        "[-未知-]\r\n行间距=99\r\n"
        "[-候选窗口-嵌入-竖排-]\r\n右边距=2\r\n";
    SkinIniResult r;
    auto d = Parse(SkinIni(body), &r);
    ASSERT_EQ(r, kSkinIniOk);
    EXPECT_EQ(d->text.codeFontWeight, 100);
    EXPECT_EQ(d->text.candidateFontSize, 12);
    EXPECT_EQ(d->text.candidateFontWeight, 100);  // the unsigned test catches negatives
    EXPECT_EQ(d->text.codeFontSize, 0);           // absent keys keep 0
    EXPECT_EQ(d->text.codeColour, 255);
    EXPECT_EQ(d->text.candidateColour, 0);  // no "#"
    EXPECT_EQ(d->text.firstCandidateBackground, -1);
    EXPECT_EQ(std::wcslen(d->text.codeFontName), 39u);
    EXPECT_EQ(d->text.maxCodeShown, -12);
    EXPECT_EQ(d->statusBar.defaultCorner, 3);
    EXPECT_EQ(d->statusBar.menuButton.x, -1);
    EXPECT_EQ(d->statusBar.menuButton.y, -1);
    EXPECT_EQ(d->statusBar.modeButton.x, 0);  // a pair without a comma is left alone
    EXPECT_EQ(d->mergedH.rightMargin, 9);
    EXPECT_EQ(d->mergedH.bottomMargin, 4);
    EXPECT_EQ(d->mergedH.indexSuffix, L'.');
    EXPECT_EQ(d->mergedH.textFrame[0], 1);
    EXPECT_EQ(d->mergedH.textFrame[2], 3);
    EXPECT_EQ(d->mergedH.textFrame[3], 0);
    EXPECT_EQ(d->mergedH.stretchX.x, 5);
    EXPECT_EQ(d->mergedH.stretchX.y, 10);
    EXPECT_EQ(d->mergedH.candidateGap, 8);  // the last value wins
    EXPECT_EQ(d->mergedH.lineGap, 0);       // lines under an unknown head are ignored
    EXPECT_EQ(d->embeddedV.rightMargin, 2);
    EXPECT_EQ(d->path[0], 0);
}

// Numbers no screen shows are held to the skin bounds as they are read: minimum sizes of 8000
// would make every show of the candidate window paint 64 million pixels, and a button at the
// end of the integer range overflows the hit test.
TEST(SkinIni, GeometryIsHeldWithinWhatAScreenShows) {
    std::string body =
        "[-文字显示-]\r\n候选字体大小=90000\r\n编码字体大小=-90000\r\n"
        "[-状态栏窗口-]\r\n软键盘按钮位置=2147483600,5\r\n菜单按钮位置=-1,-1\r\n"
        "输入法标志位置=-2147483000,3\r\n"
        "[-候选窗口-合并-]\r\n最小宽度=8000\r\n最小高度=-7\r\n候选起始位置=12,99999\r\n"
        "行间距=-99999\r\n文字背景边框=1,70000,3,4\r\n右边距=9\r\n"
        "[-候选窗口-嵌入-竖排-]\r\n最小高度=8000\r\n纵向拉伸区域=3,9000\r\n";
    SkinIniResult r;
    auto d = Parse(SkinIni(body), &r);
    ASSERT_EQ(r, kSkinIniOk);
    EXPECT_EQ(d->text.candidateFontSize, kMaxSkinFontSize);
    EXPECT_EQ(d->text.codeFontSize, -kMaxSkinFontSize);
    EXPECT_EQ(d->statusBar.softKeyboardButton.x, kMaxSkinExtent);
    EXPECT_EQ(d->statusBar.softKeyboardButton.y, 5);
    EXPECT_EQ(d->statusBar.menuButton.x, -1);  // hidden stays hidden
    EXPECT_EQ(d->statusBar.logo.x, -kMaxSkinExtent);
    EXPECT_EQ(d->mergedH.minWidth, kMaxSkinExtent);
    EXPECT_EQ(d->mergedH.minHeight, 0);
    EXPECT_EQ(d->mergedH.candidateOrigin.x, 12);
    EXPECT_EQ(d->mergedH.candidateOrigin.y, kMaxSkinExtent);
    EXPECT_EQ(d->mergedH.lineGap, -kMaxSkinExtent);
    EXPECT_EQ(d->mergedH.textFrame[1], kMaxSkinExtent);
    EXPECT_EQ(d->mergedH.rightMargin, 9);  // sane numbers are kept
    EXPECT_EQ(d->embeddedV.minHeight, kMaxSkinExtent);
    EXPECT_EQ(d->embeddedV.stretchY.y, kMaxSkinExtent);
}

TEST(SkinIni, LongLinesContinueAsTheNextLine) {
    std::string body = "[-候选窗口-合并-]\r\n;" + std::string(126, 'x') + "行间距=7\r\n";
    SkinIniResult r;
    auto d = Parse(SkinIni(body), &r);
    ASSERT_EQ(r, kSkinIniOk);
    EXPECT_EQ(d->mergedH.lineGap, 7);  // the rest of the comment is read as a line of its own
}

}  // namespace
