// A settings text exported and imported with the input method's codec keeps the option
// sections it delegates.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "core/base/text_file.h"
#include "core/settings/settings_export.h"
#include "core/settings/settings_import.h"
#include "engine/effective_settings.h"
#include "support/settings_blocks.h"
#include "support/test_files.h"
#include "textservice/export/section_codec.h"

using testing_support::SettingsBlocks;
using testing_support::TempDir;

namespace {

std::wstring ReadBack(const std::wstring& path) {
    wchar_t* text = nullptr;
    EXPECT_EQ(ReadTextFile(path.c_str(), &text), 0);
    std::wstring s = text ? text : L"";
    std::free(text);
    return s;
}

TEST(SettingsTextWithCodec, OptionSectionsSurviveExportAndImport) {
    SettingsBlocks a;
    a.dme->autoCommitLength = 4;
    a.dme->emptyClearLength = 5;
    a.dme->inputOptions = kInputWildcardFirstKey | kInputExactLengths;
    a.dme->wildcardChar = 0x0A;
    a.dme->tempEnglishLead = ';';
    a.dme->auxiliaryLead = '\t';  // control bytes outside the keypad's keep their value
    a.dme->secondaryLead = 0x1B;
    a.dme->keyClass[0x0B] = kKeyCommitLead;
    a.dme->keyClass[0x09] = kKeyCodeEnd;
    a.dme->keyClass['.'] = kKeyEnglishPunctAfterDigit;
    a.skin->options = kSkinShowIndex | kSkinVerticalLeft | kSkinCaretHorizontal | kSkinCaretThin;
    wcscpy_s(a.skin->skinName, L"蓝天.col");
    a.skin->prefixCount = 2;
    wcscpy_s(a.skin->prefixes[0], L"zx");
    wcscpy_s(a.skin->prefixes[1], L"abcd");
    const OptionSectionCodec& codec = InputMethodOptionCodec();
    TempDir dir;
    const std::wstring first = dir / L"a.txt", second = dir / L"b.txt";
    ASSERT_TRUE(ExportSettingsText(a.ime.get(), a.dme.get(), a.skin.get(), &codec, first.c_str()));
    const std::wstring text = ReadBack(first);
    const size_t section = text.find(L"[-DME设置-]");
    ASSERT_NE(section, std::wstring::npos);
    EXPECT_NE(text.find(L"候选唯一自动上屏码长=4\r\n", section), std::wstring::npos);
    EXPECT_NE(text.find(L"查询输入字符=＊\r\n", section), std::wstring::npos);
    const size_t skin = text.find(L"[-SKIN设置-]");
    ASSERT_NE(skin, std::wstring::npos);
    EXPECT_NE(text.find(L"使用皮肤名称=蓝天.col\r\n", skin), std::wstring::npos);
    EXPECT_NE(text.find(L"自动竖排的编码前缀=zx,abcd\r\n", skin), std::wstring::npos);

    SettingsBlocks b;
    ASSERT_EQ(ImportSettingsText(text.c_str(), b.ime.get(), b.dme.get(), b.skin.get(), &codec), 1);
    EXPECT_EQ(b.dme->autoCommitLength, 4);
    EXPECT_EQ(b.dme->emptyClearLength, 5);
    EXPECT_EQ(b.dme->inputOptions, a.dme->inputOptions);
    EXPECT_EQ(b.dme->wildcardChar, 0x0A);
    EXPECT_EQ(b.dme->tempEnglishLead, ';');
    EXPECT_EQ(b.dme->auxiliaryLead, '\t');
    EXPECT_EQ(b.dme->secondaryLead, 0x1B);
    EXPECT_EQ(std::memcmp(a.dme->keyClass, b.dme->keyClass, sizeof a.dme->keyClass), 0);
    EXPECT_EQ(b.skin->options, a.skin->options);
    EXPECT_STREQ(b.skin->skinName, L"蓝天.col");
    EXPECT_EQ(b.skin->prefixCount, 2);
    EXPECT_STREQ(b.skin->prefixes[1], L"abcd");
    ASSERT_TRUE(ExportSettingsText(b.ime.get(), b.dme.get(), b.skin.get(), &codec, second.c_str()));
    EXPECT_EQ(ReadBack(second), text);
}

}  // namespace

namespace {

TEST(SettingsTextWithCodec, InterfaceOptionsSurviveExportAndImport) {
    SettingsBlocks a;
    a.skin->options = kSkinShowIndex | kSkinHorizontal | kSkinCaretVertical | kSkinRightToLeft;
    wcscpy(a.skin->skinName, L"blue.col");
    a.skin->prefixCount = 2;
    wcscpy(a.skin->prefixes[0], L"zx");
    wcscpy(a.skin->prefixes[1], L"zy");
    const OptionSectionCodec& codec = InputMethodOptionCodec();
    TempDir dir;
    const std::wstring first = dir / L"a.txt";
    ASSERT_TRUE(ExportSettingsText(a.ime.get(), a.dme.get(), a.skin.get(), &codec, first.c_str()));
    const std::wstring text = ReadBack(first);
    const size_t section = text.find(L"[-SKIN设置-]");
    ASSERT_NE(section, std::wstring::npos);
    EXPECT_NE(text.find(L"使用皮肤名称=blue.col\r\n", section), std::wstring::npos);

    SettingsBlocks b;
    ASSERT_EQ(ImportSettingsText(text.c_str(), b.ime.get(), b.dme.get(), b.skin.get(), &codec), 1);
    EXPECT_EQ(b.skin->options, a.skin->options);
    EXPECT_STREQ(b.skin->skinName, L"blue.col");
    ASSERT_EQ(b.skin->prefixCount, 2);
    EXPECT_STREQ(b.skin->prefixes[1], L"zy");
}

}  // namespace
