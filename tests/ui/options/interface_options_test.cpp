#include "ui/options/interface_options.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::unique_ptr<SkinConfigData> Block(uint32_t options = 0) {
    auto b = std::make_unique<SkinConfigData>();
    b->options = options;
    return b;
}

TEST(InterfaceOptions, KeysSetAndClearTheirBits) {
    struct Case {
        const wchar_t* key;
        const wchar_t* value;
        uint32_t before, after;
    } cases[] = {
        {L"候选序号是否可见", L"是", 0, kSkinShowIndex},
        {L"houxuanxuhaoshifoukejian", L"shi", 0, kSkinShowIndex},
        {L"候选序号是否可见", L"否", kSkinShowIndex | kSkinShowHints, kSkinShowHints},
        {L"候选序号是否可见", L"切换", kSkinShowIndex, 0},
        {L"编码提示是否可见", L"是", 0, kSkinShowHints},
        {L"bianmatishishifoukejian", L"切换", 0, kSkinShowHints},
        {L"界面按钮是否可见", L"是", 0, kSkinShowButtons},
        {L"jiemiananniusihfoukejian", L"x", kSkinShowButtons, 0},
        {L"从右向左的文本", L"是", 0, kSkinRightToLeft},
        {L"从右向左的文本", L"shi", kSkinRightToLeft, 0},  // no pinyin yes here
        {L"候选列表排列样式", L"横排", kSkinVerticalLeft, kSkinHorizontal},
        {L"候选列表排列样式", L"左起纵向", kSkinHorizontal, kSkinVerticalLeft},
        {L"候选列表排列样式", L"竖排", kSkinHorizontal | kSkinShowIndex, kSkinShowIndex},
        {L"光标样式", L"竖线", kSkinCaretHorizontal, kSkinCaretVertical},
        {L"光标样式", L"横线", 0, kSkinCaretHorizontal},
        {L"光标样式", L"不显示", kSkinCaretVertical, 0},
        {L"光标宽度", L"1", 0, kSkinCaretThin},
        {L"光标宽度", L"2", kSkinCaretThin, 0},
        {L"英文和引导模式自动切换竖排窗口", L"是", 0, kSkinVerticalInLeadModes},
        {L"英文和引导模式自动切换竖排窗口", L"否", kSkinVerticalInLeadModes, 0},
        {L" 候选序号是否可见", L"是", 0, 0},  // keys are compared exactly
    };
    for (const Case& c : cases) {
        auto b = Block(c.before);
        EXPECT_EQ(ParseInterfaceOptions(b.get(), c.key, c.value), 0);
        EXPECT_EQ(b->options, c.after) << testing::PrintToString(std::wstring(c.key)) << "="
                                       << testing::PrintToString(std::wstring(c.value));
    }
}

TEST(InterfaceOptions, ToggleTwiceRestores) {
    auto b = Block(kSkinShowIndex);
    ParseInterfaceOptions(b.get(), L"候选序号是否可见", L"切换");
    ParseInterfaceOptions(b.get(), L"候选序号是否可见", L"切换");
    EXPECT_EQ(b->options, kSkinShowIndex);
}

TEST(InterfaceOptions, Prefixes) {
    struct Case {
        const wchar_t* value;
        std::vector<std::wstring> prefixes;
    } cases[] = {
        {L"zx,zy,zz", {L"zx", L"zy", L"zz"}},
        {L"abcdef,q", {L"abcd", L"q"}},
        {L"", {}},
        {L"a,,b", {L"a", L"", L"b"}},
        {L"1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17",
         {L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8", L"9", L"10", L"11", L"12", L"13", L"14",
          L"15", L"16"}},
    };
    for (const Case& c : cases) {
        auto b = Block();
        b->prefixCount = 3;
        wcscpy(b->prefixes[5], L"old");
        ParseInterfaceOptions(b.get(), L"自动竖排的编码前缀", c.value);
        std::vector<std::wstring> got;
        for (int i = 0; i < b->prefixCount; ++i) got.push_back(b->prefixes[i]);
        EXPECT_EQ(got, c.prefixes) << testing::PrintToString(std::wstring(c.value));
        if (c.prefixes.size() < 6) {
            EXPECT_EQ(b->prefixes[5][0], 0);
        }
    }
}

TEST(InterfaceOptions, SkinNameKeepsAtMost39Characters) {
    auto b = Block();
    ParseInterfaceOptions(b.get(), L"使用皮肤名称", std::wstring(50, L'n').c_str());
    EXPECT_EQ(std::wstring(b->skinName), std::wstring(39, L'n'));
    ParseInterfaceOptions(b.get(), L"shiyongpifumingcheng", L"切换");
    EXPECT_STREQ(b->skinName, L"切换");
}

TEST(InterfaceOptions, WrittenTextReadsBack) {
    const uint32_t kAll = kSkinShowIndex | kSkinShowHints | kSkinShowButtons | kSkinRightToLeft |
                          kSkinVerticalInLeadModes | kSkinCaretThin;
    for (uint32_t layout : {0u, kSkinHorizontal, kSkinVerticalLeft})
        for (uint32_t caret : {0u, kSkinCaretVertical, kSkinCaretHorizontal})
            for (uint32_t rest : {0u, kAll}) {
                auto b = Block(layout | caret | rest);
                wcscpy(b->skinName, L"default.col");
                ParseInterfaceOptions(b.get(), L"自动竖排的编码前缀", L"zx,abcd");
                wchar_t text[4096];
                int n = WriteInterfaceOptions(b.get(), text, 4096);
                EXPECT_EQ(n, int(wcslen(text)));
                auto back = Block(kSkinOwnFonts);  // a bit the section does not carry
                std::wstring all(text);
                size_t at = 0;
                while (at < all.size()) {
                    size_t end = all.find(L"\r\n", at);
                    std::wstring line = all.substr(at, end - at);
                    at = end == std::wstring::npos ? all.size() : end + 2;
                    size_t eq = line.find(L'=');
                    if (line.empty() || line.rfind(L"//", 0) == 0 || eq == std::wstring::npos)
                        continue;
                    ParseInterfaceOptions(back.get(), line.substr(0, eq).c_str(),
                                          line.substr(eq + 1).c_str());
                }
                EXPECT_EQ(back->options, b->options | kSkinOwnFonts);
                EXPECT_STREQ(back->skinName, L"default.col");
                ASSERT_EQ(back->prefixCount, 2);
                EXPECT_STREQ(back->prefixes[1], L"abcd");
            }
}

TEST(InterfaceOptions, WritingIsCutAtTheCapacity) {
    auto b = Block(kSkinShowIndex);
    wchar_t text[16];
    std::fill(std::begin(text), std::end(text), L'#');
    int n = WriteInterfaceOptions(b.get(), text, 10);
    EXPECT_EQ(n, 9);
    EXPECT_EQ(text[9], 0);
    EXPECT_EQ(text[10], L'#');
    EXPECT_EQ(std::wstring(text), L"\r\n候选序号是否可");
}

TEST(InterfaceOptions, TextBeginsAsTheSettingsFileExpects) {
    auto b = Block(kSkinShowIndex | kSkinShowHints | kSkinHorizontal);
    wcscpy(b->skinName, L"default.col");
    wchar_t text[4096];
    WriteInterfaceOptions(b.get(), text, 4096);
    std::wstring t(text);
    EXPECT_EQ(t.rfind(L"\r\n候选序号是否可见=是\r\n编码提示是否可见=是\r\n界面按钮是否可见=否\r\n"
                      L"英文和引导模式自动切换竖排窗口=否\r\n\r\n//如果当前输入",
                      0),
              0u);
    EXPECT_NE(t.find(L"使用皮肤名称=default.col\r\n\r\n"), std::wstring::npos);
    EXPECT_NE(t.find(L"候选列表排列样式=横排\r\n\r\n"), std::wstring::npos);
    EXPECT_NE(t.find(L"光标样式=不显示\r\n\r\n"), std::wstring::npos);
    EXPECT_TRUE(t.ends_with(L"光标宽度=2\r\n\r\n"));
}

}  // namespace
