// The appearance page, created through the library's exported object over an engine whose
// install folder holds two skin packages.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/record/engine.h"
#include "support/settings_blocks.h"
#include "support/test_files.h"
#include "textservice/export/exported_object.h"
#include "textservice/pages/page_ids.h"
#include "ui/skin_fixture.h"

using testing_support::SettingsBlocks;
using testing_support::TempDir;

namespace {

std::wstring LibraryPath() {
    std::wstring self = testing_support::SelfPath();
    return self.substr(0, self.find_last_of(L'\\') + 1) + L"zanTSF.dll";
}

class AppearancePageTest : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryW(LibraryPath().c_str());
        ASSERT_NE(module_, nullptr);
        auto get = reinterpret_cast<GetObjectFunction>(
            reinterpret_cast<void*>(GetProcAddress(module_, "KXITFGetObject")));
        void* out = nullptr;
        ASSERT_EQ(get(kObjectSettingsPages, &out), 1);
        pages_ = static_cast<SettingsPageObject*>(out);
        parent_ = CreateWindowExW(0, L"STATIC", L"settings", WS_OVERLAPPEDWINDOW, 0, 0, 800, 700,
                                  nullptr, nullptr, nullptr, nullptr);
        CreateDirectoryW((dir_ / L"colourful").c_str(), nullptr);
        using namespace testing_support;
        ASSERT_TRUE(WriteFileBytes(dir_ / L"colourful\\a.col", SkinPackage(SkinIni("", "甲"))));
        ASSERT_TRUE(WriteFileBytes(
            dir_ / L"colourful\\b.col",
            SkinPackage(SkinIni("[-文字显示-]\r\n候选字体大小=20\r\n编码字体大小=16\r\n", "乙"))));
        engine_ = static_cast<Engine*>(std::calloc(1, sizeof(Engine)));
        engine_->ime = blocks_.ime.get();
        engine_->dme = blocks_.dme.get();
        engine_->skin = blocks_.skin.get();
        wcscpy_s(engine_->installLocation, (dir_.path() + L"\\").c_str());
        wcscpy_s(engine_->dataLocation, (dir_.path() + L"\\").c_str());
    }
    void TearDown() override {
        if (pages_) {
            pages_->destroy(0);
            pages_->release(pages_);
        }
        if (parent_) DestroyWindow(parent_);
        std::free(engine_);
        if (module_) FreeLibrary(module_);
    }

    HWND Open() {
        HWND h = pages_->create(parent_, 3, engine_);
        EXPECT_NE(h, nullptr);
        return h;
    }
    static void Select(HWND page, int id, int item) {
        SendDlgItemMessageW(page, id, CB_SETCURSEL, item, 0);
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    }
    static int Selected(HWND page, int id) {
        return static_cast<int>(SendDlgItemMessageW(page, id, CB_GETCURSEL, 0, 0));
    }

    HMODULE module_ = nullptr;
    SettingsPageObject* pages_ = nullptr;
    HWND parent_ = nullptr;
    SettingsBlocks blocks_;
    TempDir dir_;
    Engine* engine_ = nullptr;
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
