// The appearance page, created through the library's exported object over an engine whose
// install folder holds two skin packages.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "textservice/pages/page_ids.h"
#include "textservice/pages/settings_pages_fixture.h"
#include "ui/skin_fixture.h"

namespace {

class AppearancePageTest : public testing_support::SettingsPagesFixture {
protected:
    void SetUp() override {
        SettingsPagesFixture::SetUp();
        if (HasFatalFailure()) return;
        CreateDirectoryW((dir_ / L"colourful").c_str(), nullptr);
        using namespace testing_support;
        ASSERT_TRUE(WriteFileBytes(dir_ / L"colourful\\a.col", SkinPackage(SkinIni("", "甲"))));
        ASSERT_TRUE(WriteFileBytes(
            dir_ / L"colourful\\b.col",
            SkinPackage(SkinIni("[-文字显示-]\r\n候选字体大小=20\r\n编码字体大小=16\r\n", "乙"))));
        wcscpy_s(engine_->installLocation, (dir_.path() + L"\\").c_str());
    }

    HWND Open() { return OpenPage(3); }
    static int Selected(HWND page, int id) {
        return static_cast<int>(SendDlgItemMessageW(page, id, CB_GETCURSEL, 0, 0));
    }
};

TEST_F(AppearancePageTest, ListsSelectTheCurrentValues) {
    blocks_.ime->options = kImeCandidateFixed | kImeStatusHidden;
    blocks_.ime->listOptions = 7u << kListPageShift;
    blocks_.skin->options = kSkinVerticalLeft;
    wcscpy_s(blocks_.skin->skinName, L"b.col");
    HWND page = Open();
    EXPECT_EQ(IsDlgButtonChecked(page, IDC_HIDE_STATUS), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(page, IDC_HIDE_CANDIDATES), 0u);
    EXPECT_EQ(Selected(page, IDC_PLACEMENT), 2);
    EXPECT_EQ(Selected(page, IDC_PAGE_SIZE), 6);
    EXPECT_EQ(Selected(page, IDC_LAYOUT), 2);
    EXPECT_EQ(SendDlgItemMessageW(page, IDC_SKIN, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(Selected(page, IDC_SKIN), 1);
    // No own sizes set: the skin's are shown.
    EXPECT_EQ(Selected(page, IDC_CANDIDATE_SIZE), 4);  // 20 px
    EXPECT_EQ(Selected(page, IDC_CODE_SIZE), 2);       // 16 px
}

TEST_F(AppearancePageTest, AnUnknownSkinNameSelectsAndStoresTheFirst) {
    wcscpy_s(blocks_.skin->skinName, L"gone.col");
    HWND page = Open();
    EXPECT_EQ(Selected(page, IDC_SKIN), 0);
    EXPECT_STREQ(blocks_.skin->skinName, L"a.col");
    EXPECT_STREQ(blocks_.skin->currentSkin, L"a.col");
    Select(page, IDC_SKIN, 1);
    EXPECT_STREQ(blocks_.skin->skinName, L"b.col");
    EXPECT_STREQ(blocks_.skin->currentSkin, L"b.col");
}

// Without any package in the folder the built-in skin is listed; choosing it stores no name
// (an empty name is what selects it), never its pseudo path.
TEST_F(AppearancePageTest, TheBuiltInSkinIsStoredAsNoName) {
    DeleteFileW((dir_ / L"colourful\\a.col").c_str());
    DeleteFileW((dir_ / L"colourful\\b.col").c_str());
    wcscpy_s(blocks_.skin->skinName, L"gone.col");
    HWND page = Open();
    EXPECT_EQ(SendDlgItemMessageW(page, IDC_SKIN, CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(Selected(page, IDC_SKIN), 0);
    EXPECT_STREQ(blocks_.skin->skinName, L"");
    EXPECT_STREQ(blocks_.skin->currentSkin, L"");
    wcscpy_s(blocks_.skin->skinName, L"x.col");
    Select(page, IDC_SKIN, 0);
    EXPECT_STREQ(blocks_.skin->skinName, L"");
}

TEST_F(AppearancePageTest, SelectionsWriteTheirFieldsAtOnce) {
    blocks_.ime->options = kImeAssociation;
    blocks_.ime->listOptions = kListFreqGradual;
    blocks_.skin->options = kSkinShowIndex | kSkinHorizontal;
    HWND page = Open();
    struct Case {
        int id;
        int item;
        uint32_t* word;
        uint32_t expected;
    } cases[] = {
        {IDC_PLACEMENT, 1, &blocks_.ime->options, kImeAssociation | kImeCandidateFollowStatus},
        {IDC_PLACEMENT, 2, &blocks_.ime->options, kImeAssociation | kImeCandidateFixed},
        {IDC_PLACEMENT, 0, &blocks_.ime->options, kImeAssociation},
        {IDC_PAGE_SIZE, 9, &blocks_.ime->listOptions, kListFreqGradual | 10u << kListPageShift},
        {IDC_PAGE_SIZE, 0, &blocks_.ime->listOptions, kListFreqGradual | 1u << kListPageShift},
        {IDC_LAYOUT, 2, &blocks_.skin->options, kSkinShowIndex | kSkinVerticalLeft},
        {IDC_LAYOUT, 1, &blocks_.skin->options, kSkinShowIndex},
        {IDC_LAYOUT, 0, &blocks_.skin->options, kSkinShowIndex | kSkinHorizontal},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        Select(page, c.id, c.item);
        EXPECT_EQ(*c.word, c.expected);
    }
    Select(page, IDC_CANDIDATE_SIZE, 9);
    Select(page, IDC_CODE_SIZE, 1);
    EXPECT_EQ(blocks_.skin->candidateFontStyle.size, 40);
    EXPECT_EQ(blocks_.skin->codeFontStyle.size, 14);
    if (SendDlgItemMessageW(page, IDC_CANDIDATE_FACE, CB_GETCOUNT, 0, 0) > 0) {
        Select(page, IDC_CANDIDATE_FACE, 0);
        wchar_t face[64] = {};
        SendDlgItemMessageW(page, IDC_CANDIDATE_FACE, CB_GETLBTEXT, 0,
                            reinterpret_cast<LPARAM>(face));
        EXPECT_STREQ(blocks_.skin->candidateFontStyle.faceName, face);
    }
    SendDlgItemMessageW(page, IDC_HIDE_CANDIDATES, BM_CLICK, 0, 0);
    EXPECT_EQ(blocks_.ime->options, kImeAssociation | kImeCandidateHidden);
    UpdateWindow(page);  // paints the preview
    EXPECT_EQ(pages_->destroy(1), 1);
}

}  // namespace
