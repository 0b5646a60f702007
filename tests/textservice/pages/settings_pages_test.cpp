// The embedded settings pages, created through the library's exported object inside a
// parent window, over an engine whose settings blocks are in memory.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "core/record/engine.h"
#include "engine/effective_settings.h"
#include "support/test_files.h"
#include "textservice/pages/page_ids.h"
#include "textservice/pages/settings_pages_fixture.h"

namespace {

class SettingsPagesTest : public testing_support::SettingsPagesFixture {
protected:
    HWND Open(int page = 1) { return OpenPage(page); }
    static void Click(HWND page, int id) { SendDlgItemMessageW(page, id, BM_CLICK, 0, 0); }
    static std::wstring Text(HWND page, int id) {
        wchar_t text[64] = {};
        GetDlgItemTextW(page, id, text, 64);
        return text;
    }
};

TEST_F(SettingsPagesTest, CheckBoxesFlipTheirBitAtOnce) {
    testing_support::WriteFileBytes(dir_ / L"sysl.dmg", std::string("x"));
    struct Case {
        int id;
        uint32_t* word;
        uint32_t bit;
    } cases[] = {
        {IDC_SAVE_START_STATE, &blocks_.ime->features, kFeatSaveStartState},
        {IDC_ASSOCIATION, &blocks_.ime->options, kImeAssociation},
        {IDC_LONGER_ON_EMPTY, &blocks_.dme->inputOptions, kInputLongerOnEmpty},
        {IDC_WILDCARD_SINGLE, &blocks_.dme->inputOptions, kInputWildcardSingle},
    };
    const HWND foreground = GetForegroundWindow();
    HWND page = Open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        const uint32_t others = 0x80000000;
        *c.word |= others;
        Click(page, c.id);
        EXPECT_EQ(*c.word, others | c.bit);
        Click(page, c.id);
        EXPECT_EQ(*c.word, others);
        *c.word = 0;
    }
    EXPECT_TRUE(GetWindowLongW(GetDlgItem(page, IDC_ASSOCIATION), GWL_STYLE) & WS_VISIBLE);
    // A page never takes the foreground: a window of another test's process may.
    const HWND now = GetForegroundWindow();
    DWORD owner = 0;
    GetWindowThreadProcessId(now, &owner);
    EXPECT_TRUE(now == foreground || owner != GetCurrentProcessId());
}

TEST_F(SettingsPagesTest, ControlsShowTheirFieldsWhenThePageOpens) {
    blocks_.ime->features = kFeatCustomStartState;
    blocks_.ime->startState = kStartStateFullWidth | kStartStateClosed;
    blocks_.ime->listOptions = kListFreqCount | 0x50000000;
    blocks_.dme->inputOptions = kInputWildcardSingle;
    blocks_.dme->wildcardChar = 0x0A;
    blocks_.dme->showNextLength = 3;
    blocks_.dme->showWordsLength = 200;
    HWND page = Open();
    const int checked[] = {IDC_CUSTOM_START_STATE, IDC_START_ENGLISH_PUNCT, IDC_START_FULL_WIDTH,
                           IDC_START_CLOSED, IDC_WILDCARD_SINGLE};
    const int clear[] = {IDC_START_CHINESE_PUNCT, IDC_START_HALF_WIDTH, IDC_START_OPEN,
                         IDC_SAVE_START_STATE, IDC_LONGER_ON_EMPTY};
    for (int id : checked) EXPECT_EQ(IsDlgButtonChecked(page, id), BST_CHECKED) << id;
    for (int id : clear) EXPECT_EQ(IsDlgButtonChecked(page, id), 0u) << id;
    EXPECT_EQ(SendDlgItemMessageW(page, IDC_FREQUENCY, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(Text(page, IDC_WILDCARD_CHAR), L"＊");
    EXPECT_EQ(Text(page, IDC_SHOW_NEXT_LENGTH), L"3");
    EXPECT_EQ(Text(page, IDC_SHOW_WORDS_LENGTH), L"200");
    // Without sysl.dmg in the data folder there is no association to switch.
    EXPECT_FALSE(GetWindowLongW(GetDlgItem(page, IDC_ASSOCIATION), GWL_STYLE) & WS_VISIBLE);
    RECT r;
    GetWindowRect(page, &r);
    EXPECT_EQ(r.right - r.left, 600);
    EXPECT_EQ(r.bottom - r.top, 600);
}

TEST_F(SettingsPagesTest, CustomStartStateAndItsRadios) {
    HWND page = Open();
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_START_OPEN)));
    Click(page, IDC_CUSTOM_START_STATE);
    EXPECT_EQ(blocks_.ime->features, kFeatCustomStartState);
    EXPECT_EQ(blocks_.ime->startState, kStartStateFollowSystem);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_START_OPEN)));
    EXPECT_EQ(IsDlgButtonChecked(page, IDC_START_CHINESE_PUNCT), BST_CHECKED);

    struct Case {
        int id;
        uint32_t state;
    } clicks[] = {
        {IDC_START_ENGLISH_PUNCT, 0x1},   {IDC_START_FULL_WIDTH, 0x9},   {IDC_START_CLOSED, 0x109},
        {IDC_START_CHINESE_PUNCT, 0x509}, {IDC_START_HALF_WIDTH, 0x501}, {IDC_START_OPEN, 0x401},
    };
    for (const Case& c : clicks) {
        Click(page, c.id);
        EXPECT_EQ(blocks_.ime->startState, c.state) << c.id;
    }
    Click(page, IDC_START_CLOSED);
    Click(page, IDC_CUSTOM_START_STATE);  // off: everything cleared
    EXPECT_EQ(blocks_.ime->features, 0u);
    EXPECT_EQ(blocks_.ime->startState, 0u);
    for (int id = IDC_START_CHINESE_PUNCT; id <= IDC_START_CLOSED; ++id)
        EXPECT_EQ(IsDlgButtonChecked(page, id), 0u) << id;
    Click(page, IDC_CUSTOM_START_STATE);  // on again: the default state
    EXPECT_EQ(blocks_.ime->startState, kStartStateFollowSystem);
}

TEST_F(SettingsPagesTest, FrequencyListSetsItsBitsOnly) {
    blocks_.ime->listOptions = kListFreqToTop | kListByCode | 0x30000000;
    HWND page = Open();
    EXPECT_EQ(SendDlgItemMessageW(page, IDC_FREQUENCY, CB_GETCURSEL, 0, 0), 0);
    const uint32_t bits[] = {kListFreqToTop, kListFreqGradual, kListFreqCount, 0};
    for (int item : {1, 3, 2, 0}) {
        Select(page, IDC_FREQUENCY, item);
        EXPECT_EQ(blocks_.ime->listOptions, bits[item] | kListByCode | 0x30000000) << item;
    }
}

TEST_F(SettingsPagesTest, EditFieldsAreStoredOnApplyOnly) {
    blocks_.dme->wildcardChar = '?';
    blocks_.dme->showNextLength = 4;
    blocks_.dme->showWordsLength = 5;
    struct Case {
        const wchar_t* wildcard;
        const wchar_t* next;
        const wchar_t* words;
        uint8_t wildcardByte, nextByte, wordsByte;
    } cases[] = {
        {L"＊", L"300", L"12", 0x0A, 255, 12},
        {L"~", L"255", L"0", '~', 255, 0},
        {L"", L"", L"7", 0, 0, 7},
        {L"？", L"1", L"999", 0, 1, 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        const uint8_t before[3] = {blocks_.dme->wildcardChar, blocks_.dme->showNextLength,
                                   blocks_.dme->showWordsLength};
        for (int apply : {0, 1}) {
            HWND page = Open();
            SetDlgItemTextW(page, IDC_WILDCARD_CHAR, c.wildcard);
            SetDlgItemTextW(page, IDC_SHOW_NEXT_LENGTH, c.next);
            SetDlgItemTextW(page, IDC_SHOW_WORDS_LENGTH, c.words);
            EXPECT_EQ(pages_->destroy(apply), 1);
            EXPECT_FALSE(IsWindow(page));
            if (!apply) {
                EXPECT_EQ(blocks_.dme->wildcardChar, before[0]) << "discarded";
                EXPECT_EQ(blocks_.dme->showNextLength, before[1]);
                EXPECT_EQ(blocks_.dme->showWordsLength, before[2]);
            }
        }
        EXPECT_EQ(blocks_.dme->wildcardChar, c.wildcardByte);
        EXPECT_EQ(blocks_.dme->showNextLength, c.nextByte);
        EXPECT_EQ(blocks_.dme->showWordsLength, c.wordsByte);
    }
    blocks_.dme->wildcardChar = 0x0A;
    HWND page = Open();
    EXPECT_EQ(Text(page, IDC_WILDCARD_CHAR), L"＊");
}

TEST_F(SettingsPagesTest, OnePageAtATime) {
    HWND first = Open();
    EXPECT_EQ(pages_->create(parent_, 2, engine_), first) << "no page 2: the open one";
    HWND second = Open();
    EXPECT_NE(second, nullptr);
    EXPECT_FALSE(IsWindow(first)) << "the old page is not left behind";
    EXPECT_EQ(GetParent(second), parent_);
    EXPECT_EQ(pages_->destroy(1), 1);
    EXPECT_FALSE(IsWindow(second));
    EXPECT_EQ(pages_->destroy(1), 1);
    EXPECT_EQ(pages_->create(parent_, 2, engine_), nullptr);
}

}  // namespace

namespace {

// A page procedure that refuses the apply request.
INT_PTR CALLBACK RefusingProc(HWND page, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        SetWindowLongPtrW(page, DWLP_MSGRESULT, 1);
        return TRUE;
    }
    return FALSE;
}

TEST_F(SettingsPagesTest, APageThatRefusesTheApplyStaysOpen) {
    HWND page = Open();
    SetWindowLongPtrW(page, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(RefusingProc));
    EXPECT_EQ(pages_->destroy(1), 0);
    EXPECT_TRUE(IsWindow(page));
    EXPECT_EQ(pages_->destroy(0), 1) << "discarding needs no consent";
    EXPECT_FALSE(IsWindow(page));
}

}  // namespace
