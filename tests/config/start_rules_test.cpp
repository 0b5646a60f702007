// What a start opens, the tabs of the main dialog, the system page's option bits, titles.
#include <gtest/gtest.h>

#include <string>

#include "config/config_app.h"
#include "config/settings_rules.h"
#include "config/start_target.h"
#include "core/settings/config_blocks.h"

namespace {

TEST(DecideStart, ExactTargetsAndPageNamesIgnoringCase) {
    struct Case {
        const wchar_t* target;
        StartAction action;
        int page;
    };
    const Case cases[] = {
        {L"gaojishezhi", StartAction::AdvancedEditor, 0},
        {L"高级设置", StartAction::AdvancedEditor, 0},
        {L"showurl", StartAction::HtmlViewer, 0},
        {L"dict", StartAction::Dictionary, 0},
        {L"update", StartAction::Updater, 0},
        {L"UPDATE", StartAction::MainDialog, 0},  // the first group compares exactly
        {L"update ", StartAction::MainDialog, 0},
        {L"shuchufancha", StartAction::ViewOutput, 0},
        {L"输出反查", StartAction::ViewOutput, 0},
        {L"jiantiebanfancha", StartAction::ViewClipboard, 0},
        {L"剪贴板反查", StartAction::ViewClipboard, 0},
        {L"anjianshezhi", StartAction::KeyFunctions, 0},
        {L"按键设置", StartAction::KeyFunctions, 0},
        {L"tianjiayonghuci", StartAction::AddWord, 0},
        {L"添加用户词", StartAction::AddWord, 0},
        {L"zaixianjiaci", StartAction::AddWordOnline, 0},
        {L"在线加词", StartAction::AddWordOnline, 0},
        {L"jianqiebanjiaci", StartAction::AddWordOnline, 0},
        {L"剪贴板加词", StartAction::AddWordOnline, 0},
        {L"help", StartAction::Help, 0},
        {L"帮助首页", StartAction::Help, 0},
        {L"jiemian", StartAction::MainDialog, 1},
        {L"界面", StartAction::MainDialog, 1},
        {L"MaBiao", StartAction::MainDialog, 2},
        {L"码表", StartAction::MainDialog, 2},
        {L"GAOJI", StartAction::MainDialog, 3},
        {L"高级", StartAction::MainDialog, 3},
        {L"about", StartAction::MainDialog, 4},
        {L"ABOUT", StartAction::MainDialog, 4},
        {L"关于", StartAction::MainDialog, 4},
        {L"", StartAction::MainDialog, 0},
        {L"anything", StartAction::MainDialog, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        StartDecision d = DecideStart(c.target);
        EXPECT_EQ(d.action, c.action);
        EXPECT_EQ(d.startPage, c.page);
    }
    EXPECT_EQ(DecideStart(nullptr).action, StartAction::MainDialog);
}

TEST(StartTitles, FormattedWithTheDisplayName) {
    wchar_t title[kTitleUnits];
    FormatDialogTitle(kMainDialogTitle, L"数字键盘", title);
    EXPECT_STREQ(title, L"使用设置 - 数字键盘");
    FormatDialogTitle(kDictionaryTitle, L"", title);
    EXPECT_STREQ(title, L"微型词典 - ");
    EXPECT_EQ(SingleWindowTitleFormat(StartAction::Updater), nullptr);
    EXPECT_STREQ(SingleWindowTitleFormat(StartAction::ViewClipboard), kTableViewerTitle);
}

TEST(StartVersion, OnlyAGivenOtherVersionWarns) {
    const wchar_t stored[4] = {L'1', L'.', L'2', L'3'};  // the field may fill its units
    EXPECT_FALSE(IsOtherVersion(L"", stored, 4));
    EXPECT_FALSE(IsOtherVersion(L"1.23", stored, 4));
    EXPECT_TRUE(IsOtherVersion(L"1.2", stored, 4));
    EXPECT_TRUE(IsOtherVersion(L"1.234", stored, 4));
    EXPECT_TRUE(IsOtherVersion(L"1.24", stored, 4));
}

TEST(MainTabs, VisibilityAndStartTab) {
    EXPECT_EQ(EffectiveVisibleItems(0), kVisibleAll);
    EXPECT_EQ(EffectiveVisibleItems(0x6), 0x6u);
    struct Case {
        uint32_t visible;
        int startPage;
        int count;
        int startTab;
    };
    const Case cases[] = {
        {0xFFFF, 0, 5, 0},
        {0xFFFF, 4, 5, 4},
        {0xFFFF, 9, 5, 4},
        {0xFFFF, -3, 5, 0},
        // "界面" hidden: start page 2 ("码表") is tab 1.
        {0xFFFF & ~kVisibleTabInterface, 2, 4, 1},
        // "高级" shows after "码表" although its bit is the lowest.
        {kVisibleTabAdvanced | kVisibleTabTables, 3, 2, 1},
        // The start page's tab is hidden: the first tab.
        {kVisibleTabCommon | kVisibleTabInterface, 4, 2, 0},
        {0x40, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        int shown[kMainTabCount];
        EXPECT_EQ(VisibleMainTabs(c.visible, shown), c.count);
        EXPECT_EQ(StartTabIndex(c.visible, c.startPage), c.startTab);
    }
    int shown[kMainTabCount];
    ASSERT_EQ(VisibleMainTabs(kVisibleTabAdvanced | kVisibleTabTables, shown), 2);
    EXPECT_STREQ(kMainTabs[shown[0]].text, L"码表");
    EXPECT_STREQ(kMainTabs[shown[1]].text, L"高级");

    EXPECT_EQ(NextTabIndex(0, 5), 1);
    EXPECT_EQ(NextTabIndex(4, 5), 0);
    EXPECT_EQ(NextTabIndex(0, 1), 0);
    EXPECT_EQ(NextTabIndex(3, 0), 0);
    MainPage page;
    ASSERT_TRUE(MainPageOfText(L"关于", page));
    EXPECT_EQ(page, MainPage::About);
    EXPECT_FALSE(MainPageOfText(L"其他", page));
}

TEST(SystemOptions, RadiosAndChecksOverTheOptionWord) {
    const uint32_t other = kImeAssociation | kImeTempWords;
    struct Scheme {
        uint32_t bits;
        SchemeRadio radio;
    };
    for (const Scheme& s : {Scheme{0, SchemeRadio::Main}, Scheme{kImeMainTable, SchemeRadio::Main},
                            Scheme{kImeAuxTable, SchemeRadio::Auxiliary},
                            Scheme{kImeMainTable | kImeAuxTable, SchemeRadio::Both}})
        EXPECT_EQ(SchemeRadioOf(other | s.bits), s.radio);
    EXPECT_EQ(WithSchemeRadio(other | kImeAuxTable, SchemeRadio::Main), other | kImeMainTable);
    EXPECT_EQ(WithSchemeRadio(other | kImeMainTable, SchemeRadio::Auxiliary), other | kImeAuxTable);
    EXPECT_EQ(WithSchemeRadio(other, SchemeRadio::Both), other | kImeMainTable | kImeAuxTable);
    EXPECT_EQ(SearchRadioOf(kImeSearchSecondary), SearchRadio::Search);
    EXPECT_EQ(SearchRadioOf(kImeSecondaryOnEmpty), SearchRadio::NoSearch);
    EXPECT_EQ(WithSearchRadio(other, SearchRadio::Search), other | kImeSearchSecondary);
    EXPECT_EQ(WithSearchRadio(other | kImeSearchSecondary, SearchRadio::NoSearch), other);
    EXPECT_EQ(WithBit(other, kImeNoComboHotkeys, true), other | kImeNoComboHotkeys);
    EXPECT_EQ(WithBit(other | kImeNoComboHotkeys, kImeNoComboHotkeys, false), other);
}

}  // namespace
