#include "core/settings/key_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(KeyFunctionNames, Parse) {
    struct Case {
        const wchar_t* text;
        KeyFunctionMask mask;
    };
    const Case cases[] = {
        {L"", 0},
        {L"输入法打开/关闭,英文输入开关,", 0x3},
        {L"倒数第1候选上屏,", 0xC80},
        {L"第1候选上屏,", 0x180},
        {L"第10候选上屏", 0xA80},
        {L"首选上屏,", 0x80},
        {L"首选顶屏,", 0xD80},
        {L"英文上屏,", 0xB80},
        {L"第3候选上屏,第2候选调频,", 0x100280},
        {L"第4候选删除,", 0x200400},
        {L"光标至尾,光标左移,", 0x1000},  // first of the caret group only
        {L"显示|关闭界面显示|关闭候选窗口", 0x10000000000},
        {L"上屏转换 - 繁体", 0x80000000000},
        {L"在线删词,软键盘切换,", 0x600000000000},
        {L"配置 - 帮助,配置 - 主页,", 0x100000000},
        {L"配置 - 词典查询,", 0x800000000000},
        {L"定制2,第3候选定制,", 0x2000000000000000},
        {L"第10候选定制,", 0x8000000000000A00},
        {L"清除输入前翻页后翻页", 0x64},  // no separators needed
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseKeyFunctionNames(c.text), c.mask)
            << testing::PrintToString(std::wstring(c.text));
    }
    EXPECT_EQ(ParseKeyFunctionNames(static_cast<const wchar_t*>(nullptr)), 0u);
}

TEST(KeyFunctionNames, Format) {
    struct Case {
        KeyFunctionMask mask;
        const wchar_t* text;
    };
    const Case cases[] = {
        {0, L""},
        {0x4080, L"首选上屏,光标至头,"},
        {0xC80, L"倒数第1候选上屏,"},
        {0xE80, L""},  // commit index 14 has no name
        {0x100280, L"第2候选上屏,第2候选调频,"},
        {0x800005, L"输入法打开/关闭,清除输入,输入方案主/辅切换,"},
        {0x30000000000, L"显示|关闭界面,"},
        {0x3000000000000000, L"定制1定制2"},
        {0x8000000000000300, L"第3候选定制,"},
        {0x1100000000, L"配置 - 主页,"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(std::wstring(FormatKeyFunctionNames(c.mask)), c.text) << std::hex << c.mask;
    }
}

TEST(KeyFunctionNames, SingleFunctionsRoundTrip) {
    std::vector<KeyFunctionMask> masks;
    for (int bit = 0; bit < 64; ++bit) {
        const KeyFunctionMask m = KeyFunctionMask{1} << bit;
        if ((m & 0xF80) || m == keyfn::kAdjustFrequency || m == keyfn::kDeleteCandidate ||
            m == keyfn::kCustomCandidate) {
            continue;
        }
        if (FormatKeyFunctionNames(m)[0]) masks.push_back(m);
    }
    for (int n = 0; n < 14; ++n) masks.push_back(WithKeyFunctionIndex(keyfn::kCommit, n));
    for (int n = 1; n <= 10; ++n) {
        masks.push_back(WithKeyFunctionIndex(keyfn::kAdjustFrequency, n));
        masks.push_back(WithKeyFunctionIndex(keyfn::kDeleteCandidate, n));
        masks.push_back(WithKeyFunctionIndex(keyfn::kCustomCandidate, n));
    }
    for (KeyFunctionMask m : masks) {
        const std::wstring text = FormatKeyFunctionNames(m);
        EXPECT_EQ(ParseKeyFunctionNames(text), m) << std::hex << m;
    }
}

TEST(KeyCombinationText, Parse) {
    struct Case {
        const wchar_t* text;
        KeyCombination code;
    };
    const Case cases[] = {
        {L"", -1},
        {L"键F1+键Ctrl", 0x470},
        {L"键F10", 0x79},
        {L"键F13", 0x7C},
        {L"键F24+键Alt", 0x287},
        {L"键PrtSc", 0x2C},
        {L"＋", 0x6B},
        {L"０", 0x60},
        {L"／", 0x6F},
        {L"A", 0x141},
        {L"a+键Shift+键Ctrl", 0x541},
        {L"键Foo+键Alt", 0x200},
        {L"键Esc", 0x1B},
        {L"键左Shift+键右Ctrl", 0x404A0},
        {L"\t", 0x09},
        {L" ", 0x20},
        {L"\"", 0x1DE},
        {L"~", 0x1C0},
        {L"'", 0xDE},
        {L"键VK5D+键Ctrl", 0x45D},
        {L"键VKzz", 0},
        {L"中", -1},
        {L"，", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseKeyCombination(c.text), c.code)
            << testing::PrintToString(std::wstring(c.text));
    }
    EXPECT_EQ(ParseKeyCombination(static_cast<const wchar_t*>(nullptr)), -1);
}

TEST(KeyCombinationText, Format) {
    struct Case {
        KeyCombination code;
        const wchar_t* text;
    };
    const Case cases[] = {
        {0x20, L" "},
        {0x141, L"A"},
        {0x41, L"a"},
        {0x541, L"a+键Shift+键Ctrl"},
        {0x60, L"０"},
        {0x6A, L"＊"},
        {0x2C, L"键PrtSc"},
        {0x7C, L"键F13"},
        {0x10D, L"键Enter+键Shift"},
        {0x110, L"键Shift+键Shift"},
        {0x1DE, L"\""},
        {0x1170, L"键F1+键左Shift"},
        {0x62670, L"键F1+键左Alt+键右Alt+键右Ctrl"},
        {0x5D, L"键VK5D"},
        {0x45D, L"键VK5D+键Ctrl"},
        {0x400, L""},
        {-1, L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(std::wstring(FormatKeyCombination(c.code)), c.text) << std::hex << c.code;
    }
}

TEST(KeyCombinationText, IsNamedKey) {
    struct Case {
        KeyCombination code;
        bool named;
    };
    const Case cases[] = {
        {0x41, true},  {0x141, true}, {0x170, false}, {0x70, true},    {0x0C, false},
        {0x2A, false}, {0x2C, true},  {0x441, false}, {0x1141, false}, {-1, false},
        {0xFF, false}, {0x10D, true}, {0x1BB, true},
    };
    for (const auto& c : cases) EXPECT_EQ(IsNamedKey(c.code), c.named) << std::hex << c.code;
    EXPECT_FALSE(IsStorableKeyCombination(-1));
    EXPECT_FALSE(IsStorableKeyCombination(ParseKeyCombination(L"键Foo+键Alt")));
    EXPECT_TRUE(IsStorableKeyCombination(0x470));
}

TEST(KeyCombinationText, RoundTripsEveryKeyAndModifierVariant) {
    const KeyCombination shift[] = {0, keycombo::kShift, keycombo::kLeftShift,
                                    keycombo::kRightShift,
                                    keycombo::kLeftShift | keycombo::kRightShift};
    const KeyCombination alt[] = {0, keycombo::kAlt, keycombo::kLeftAlt, keycombo::kRightAlt,
                                  keycombo::kLeftAlt | keycombo::kRightAlt};
    const KeyCombination ctrl[] = {0, keycombo::kCtrl, keycombo::kLeftCtrl, keycombo::kRightCtrl,
                                   keycombo::kLeftCtrl | keycombo::kRightCtrl};
    for (int vk = 1; vk < 256; ++vk) {
        for (KeyCombination s : shift) {
            for (KeyCombination a : alt) {
                for (KeyCombination c : ctrl) {
                    const KeyCombination code = vk | s | a | c;
                    const std::wstring text = FormatKeyCombination(code);
                    ASSERT_FALSE(text.empty()) << std::hex << code;
                    ASSERT_LE(text.size(), static_cast<size_t>(kMaxKeyCombinationText));
                    ASSERT_EQ(ParseKeyCombination(text), code)
                        << std::hex << code << " " << testing::PrintToString(text);
                }
            }
        }
    }
}

TEST(KeyNameTables, KeypadNamesUseCodeCharacters) {
    EXPECT_EQ(plainKeyNames[0x60][0], 0x10);
    EXPECT_EQ(plainKeyNames[0x6F][0], 0x0F);
    EXPECT_EQ(std::wstring(plainKeyNames[0x87]), L"键F24");
    EXPECT_EQ(std::wstring(shiftedKeyNames[0x5A]), L"Z");
    EXPECT_EQ(shiftedKeyNames[0x70][0], 0);
}

TEST(KeyFunctionTables, ReadsAndWritesUnaligned) {
    alignas(8) unsigned char storage[sizeof(KeyFunctionTables) + 1] = {};
    auto* tables = reinterpret_cast<KeyFunctionTables*>(storage + 1);
    SetKeyFunction(tables, 0x141, 0x8000000000000180);
    EXPECT_EQ(GetKeyFunction(tables, 0x141), 0x8000000000000180u);
    EXPECT_EQ(GetKeyFunction(tables, 0x41), 0u);
    EXPECT_EQ(GetKeyFunction(tables, 512), 0u);
    EXPECT_EQ(GetKeyFunction(nullptr, 1), 0u);
}

}  // namespace
