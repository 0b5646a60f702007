// The decisions of the about page, the HTML viewer and the embedding dialog, and the page
// text shown where no browser renders.
#include <gtest/gtest.h>

#include <string>

#include "config/about_ids.h"
#include "config/about_page.h"
#include "config/embedding_dialog.h"
#include "config/html_text.h"
#include "config/html_viewer.h"
#include "config/update_address.h"
#include "core/settings/config_blocks.h"

namespace {

TEST(AboutPage, VersionLineReadsEachFieldWithinItsLength) {
    wchar_t unterminated[4] = {L'赞', L'拓', L'输', L'入'};
    struct Case {
        const wchar_t* product;
        int productUnits;
        const wchar_t* version;
        int versionUnits;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"赞拓输入法", 64, L"3.2.0.5", 32, L"赞拓输入法: 3.2.0.5 build 215"},
        {L"", 64, L"", 32, L":  build 215"},
        {unterminated, 4, L"1.0", 32, L"赞拓输入: 1.0 build 215"},
        {L"abc", 2, L"1.2.3.4", 3, L"ab: 1.2 build 215"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatAboutVersionLine(c.product, c.productUnits, c.version, c.versionUnits,
                                         kBuildNumber),
                  c.expected);
    }
}

TEST(AboutPage, UpdateButtonOnlyForACustomAddress) {
    std::wstring upper = kDefaultUpdateTemplate;
    for (wchar_t& c : upper)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    struct Case {
        std::wstring templ;
        bool shown;
    };
    const Case cases[] = {
        {L"", false},
        {kDefaultUpdateTemplate, false},
        {upper, false},  // the default in another letter case
        {L"http://127.0.0.1:8080/update_list.txt", true},
        {std::wstring(kDefaultUpdateTemplate) + L"&x=1", true},
        {std::wstring(kDefaultUpdateTemplate).substr(1), true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsCustomUpdateAddress(c.templ.c_str(), kSoftUrlUnits), c.shown) << c.templ.size();
    EXPECT_FALSE(IsCustomUpdateAddress(nullptr, kSoftUrlUnits));
    wchar_t full[4] = {L'h', L't', L't', L'p'};  // fills its field, no terminator
    EXPECT_TRUE(IsCustomUpdateAddress(full, 4));
}

TEST(AboutPage, HelpPageAddressNamesTheInstalledHelpFile) {
    EXPECT_EQ(HelpPageAddress(L"C:\\Program Files\\Zan\\", L"About.html"),
              L"mk:@MSITStore:C:\\Program Files\\Zan\\main.chm::/About.html");
}

TEST(HtmlViewer, TargetEncodesAllButHelpFileAddresses) {
    struct Case {
        const wchar_t* address;
        const wchar_t* target;
    };
    const Case cases[] = {
        {L"mk:@MSITStore:C:\\安装\\main.chm::/About.html",
         L"mk:@MSITStore:C:\\安装\\main.chm::/About.html"},
        {L"http://example.com/词典?q=字", L"http://example.com/%E8%AF%8D%E5%85%B8?q=%E5%AD%97"},
        {L"http://example.com/a b", L"http://example.com/a b"},
        {L"", L""},
    };
    for (const Case& c : cases) EXPECT_EQ(ViewerTarget(c.address), c.target) << c.target;
    EXPECT_EQ(ViewerTarget(std::wstring(600, L'a').c_str()).size(), 511u);
}

TEST(HtmlViewer, PlacementLimitsToTheScreenAndCentres) {
    struct Case {
        int width, height;
        ViewerPlacement expected;
    };
    const Case cases[] = {
        {2000, 500, {true, 0, 262, 1280, 500}}, {600, 500, {true, 340, 262, 600, 500}},
        {600, 3000, {true, 340, 0, 600, 1024}}, {1280, 1024, {true, 0, 0, 1280, 1024}},
        {-1, 500, {false, 0, 0, -1, 500}},      {600, 0, {false, 0, 0, 600, 0}},
    };
    for (const Case& c : cases) {
        ViewerPlacement p = PlaceViewer(c.width, c.height, 1280, 1024);
        EXPECT_EQ(p.move, c.expected.move) << c.width << "x" << c.height;
        if (!p.move) continue;
        EXPECT_EQ(p.left, c.expected.left) << c.width << "x" << c.height;
        EXPECT_EQ(p.top, c.expected.top) << c.width << "x" << c.height;
        EXPECT_EQ(p.width, c.expected.width) << c.width << "x" << c.height;
        EXPECT_EQ(p.height, c.expected.height) << c.width << "x" << c.height;
    }
}

TEST(EmbeddingDialog, RadioOfTheStyleBitsAndBack) {
    struct Case {
        uint32_t options;
        int radio;
        uint32_t stored;  // WithEmbeddingRadio(0xFFFFFFFF, radio)
        EmbeddingChecks checks;
    };
    const uint32_t others = ~kImeStyleMask;
    const Case cases[] = {
        {0, IDC_EMBED_IME_CLASSIC, others, {false, false}},
        {kImeStyleTsfEmbedCode, IDC_EMBED_CODE, others | kImeStyleTsfEmbedCode, {true, false}},
        {kImeStyleTsfEmbedCode | kImeStyleTsfClassic,
         IDC_EMBED_CODE,
         others | kImeStyleTsfEmbedCode,
         {true, false}},
        {kImeStyleTsfEmbedFirst, IDC_EMBED_FIRST, others | kImeStyleTsfEmbedFirst, {true, true}},
        {kImeStyleTsfClassic | 0x1,
         IDC_EMBED_TSF_CLASSIC,
         others | kImeStyleTsfClassic,
         {true, false}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EmbeddingRadioOf(c.options), c.radio) << c.options;
        EXPECT_EQ(WithEmbeddingRadio(0xFFFFFFFF, c.radio), c.stored) << c.radio;
        EmbeddingChecks e = EmbeddingChecksFor(c.radio);
        EXPECT_EQ(e.onlyWhenMany, c.checks.onlyWhenMany) << c.radio;
        EXPECT_EQ(e.hideFirst, c.checks.hideFirst) << c.radio;
    }
    EXPECT_EQ(WithEmbeddingChecks(0x1, true, false), 0x1u | kFeatCandidateOnlyWhenMany);
    EXPECT_EQ(WithEmbeddingChecks(0xFFFFFFFF, false, true), ~kFeatCandidateOnlyWhenMany);
}

TEST(EmbeddingDialog, InstallerRunsOnlyWhenTheFrontEndClassChanges) {
    struct Case {
        uint32_t before, after;
        int mode;
    };
    const Case cases[] = {
        {0, kImeStyleTsfClassic, 1},
        {0, kImeStyleTsfEmbedFirst | 0x8, 1},
        {kImeStyleTsfEmbedCode, 0, 0},
        {kImeStyleTsfEmbedCode, kImeStyleTsfClassic, -1},  // between two TSF styles
        {0, 0x8, -1},
        {kImeStyleTsfEmbedFirst, kImeStyleTsfEmbedFirst, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EmbeddingInstallerMode(c.before, c.after), c.mode) << c.before << " " << c.after;

    InstallerLaunch launch;
    ASSERT_TRUE(MakeInstallerLaunch(L"C:\\Zan", L"{A-B}", 1, launch));
    EXPECT_EQ(launch.file, L"C:\\Zan\\installer.exe");
    EXPECT_EQ(launch.parameters, L"/EMMODE=1 /GUID={A-B}");
    ASSERT_TRUE(MakeInstallerLaunch(L"C:\\Zan\\", L"{A-B}", 0, launch));
    EXPECT_EQ(launch.file, L"C:\\Zan\\installer.exe");
    EXPECT_EQ(launch.parameters, L"/EMMODE=0 /GUID={A-B}");
    EXPECT_FALSE(MakeInstallerLaunch(L"", L"{A-B}", 1, launch));
    EXPECT_FALSE(MakeInstallerLaunch(L"C:\\Zan", L"{A-B}", -1, launch));
}

TEST(EmbeddingDialog, ClassicStyleTextNamesMetroAfterWindows7) {
    EXPECT_EQ(std::wstring(ImeClassicRadioText(6, 1)), L"传统样式(&I)  ");
    EXPECT_EQ(std::wstring(ImeClassicRadioText(6, 2)), L"传统样式(&I)  ※不可用于Metro模式");
    EXPECT_EQ(std::wstring(ImeClassicRadioText(10, 0)), L"传统样式(&I)  ※不可用于Metro模式");
    EXPECT_EQ(std::wstring(ImeClassicRadioText(5, 1)), L"传统样式(&I)  ");
}

TEST(HtmlText, MarkupBecomesLinesOfText) {
    struct Case {
        const wchar_t* html;
        const wchar_t* title;
        const wchar_t* body;
    };
    const Case cases[] = {
        {L"<html><head><title> 关于\n 输入法 </title><style>p{color:red}</style></head>"
         L"<body><h1>关于</h1><p>版本 <b>3</b>.2</p></body></html>",
         L"关于 输入法", L"关于\r\n版本 3.2"},
        {L"<ul><li>一</li><li>二</li></ul>", L"", L"• 一\r\n• 二"},
        {L"<table><tr><td>7</td><td> abc </td></tr><tr><td>8</td></tr></table>", L"",
         L"7\tabc\r\n8"},
        {L"a&amp;b &lt;c&gt; &#x4E2D;&#25991; &unknown; &", L"", L"a&b <c> 中文 &unknown; &"},
        {L"<pre>x  y\n z</pre>after", L"", L"x  y\r\n z\r\nafter"},
        {L"one<br>two<!-- <p>hidden</p> --><script>var a = '<p>';</script>three", L"",
         L"one\r\ntwothree"},
        {L"<p>unclosed <b", L"", L"unclosed"},
        {L"", L"", L""},
    };
    for (const Case& c : cases) {
        HtmlText t = HtmlToText(c.html);
        EXPECT_EQ(t.title, c.title) << testing::PrintToString(std::wstring(c.html));
        EXPECT_EQ(t.body, c.body) << testing::PrintToString(std::wstring(c.html));
    }
}

TEST(HtmlText, HelpStoreAddressesAreRecognisedInAnyCase) {
    EXPECT_TRUE(IsHelpStoreAddress(L"mk:@MSITStore:C:\\a\\main.chm::/About.html"));
    EXPECT_TRUE(IsHelpStoreAddress(L"MK:@msitstore:x"));
    EXPECT_FALSE(IsHelpStoreAddress(L"http://mk:@MSITStore"));
    EXPECT_FALSE(IsHelpStoreAddress(nullptr));
    std::string bytes;
    EXPECT_FALSE(ReadHelpStorePage(L"http://example.com/", bytes));
}

}  // namespace
