// The dictionary window: the lookup key of a candidate, the text from dict.dms with its
// fallbacks, its place beside the candidate window, and the link through the launch seam.
#include "ui/dict/dict_window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/record/engine.h"
#include "core/table/table_format.h"
#include "support/table_on_disk.h"
#include "support/test_files.h"
#include "support/window_driver.h"
#include "ui/dict/dict_look.h"
#include "ui/dict/dict_text.h"
#include "ui/skin/skin_loader.h"
#include "ui/windows/skin_window_classes.h"
#include "ui/windows/ui_state_block.h"

using testing_support::TableOnDisk;

namespace {

// A key/value table (kind 65536) of UTF-8 pairs, sorted by key.
std::vector<uint8_t> KeyValueTable(std::vector<std::pair<std::string, std::string>> pairs) {
    std::sort(pairs.begin(), pairs.end());
    const uint32_t n = static_cast<uint32_t>(pairs.size());
    std::vector<uint8_t> bytes(FreshHeapStart(n), 0);
    auto* h = reinterpret_cast<TableFileHeader*>(bytes.data());
    h->heapStart = FreshHeapStart(n);
    h->count = static_cast<int32_t>(n);
    h->kind = kTableKindKeyValue;
    h->version = kTableVersion;
    for (uint32_t i = 0; i < n; ++i) {
        StoreU32(bytes.data() + kOffsetArrayStart + 4 * i, static_cast<uint32_t>(bytes.size()));
        const auto& [key, value] = pairs[i];
        uint8_t length[4];
        StoreU32(length, static_cast<uint32_t>(key.size() + value.size() + 3));
        bytes.insert(bytes.end(), length, length + 4);
        bytes.push_back(static_cast<uint8_t>(key.size()));
        bytes.insert(bytes.end(), key.begin(), key.end());
        bytes.push_back(0);
        bytes.insert(bytes.end(), value.begin(), value.end());
        bytes.push_back(0);
    }
    return bytes;
}

const std::vector<std::pair<std::string, std::string>> kDictionary = {
    {"中文", "汉语的书面语\r\n \r\n详细的解释"},
    {"abc", "字母表"},
    {"赞拓输入法", "一种输入法"},
    {"run", "跑"},
    {"长",
     "长度大，与短相对。指两端之间的距离大，或时间久远。又读作生长的长：年纪大，排行第一，"
     "领导者。也指长处、优点：取长补短，一技之长。"},
};

TEST(DictionaryText, FoundStrippedFallbackAndMissing) {
    TableOnDisk dict(KeyValueTable(kDictionary), L"dict.dms");
    struct Case {
        const wchar_t* key;
        const wchar_t* text;
    } cases[] = {
        {L"中文", L"汉语的书面语"},
        {L"abc", L"字母表"},
        {L"abc12", L"字母表"},  // looked up again with its letters only
        {L"a-b_c!", L"字母表"},
        {L"12+3", L"一种输入法"},  // nothing left: the input method's own entry
        {L"英文", L"英文"},        // not found: the key itself
        {L"xyz", L"xyz"},
    };
    for (const Case& c : cases) EXPECT_EQ(DictionaryText(dict.get(), c.key), c.text);
    EXPECT_EQ(DictionaryText(nullptr, L"中文"), L"中文");
}

TEST(DictionaryText, StrippedCharacters) {
    struct Case {
        std::wstring key, stripped;
    } cases[] = {
        {L"Ab9@[`z{~", L"Abz"},
        {std::wstring(1, wchar_t(254)) + L"x" + wchar_t(255), std::wstring(L"x") + wchar_t(255)},
        {L"中,文", L"中文"},
        {L"", L""},
    };
    for (const Case& c : cases) EXPECT_EQ(StripDictKey(c.key), c.stripped);
}

struct PageEngine {
    Engine* e = static_cast<Engine*>(std::calloc(1, sizeof(Engine)));
    ~PageEngine() { std::free(e); }
    void Row(int r, int64_t candidate, const std::wstring& text, const std::wstring& commit) {
        e->page.rowCandidate[r] = candidate;
        e->page.rowText[r].length = static_cast<uint32_t>(text.size());
        std::wmemcpy(e->page.rowText[r].text, text.data(), text.size());
        e->page.rowCommit[r].length = static_cast<uint32_t>(commit.size());
        std::wmemcpy(e->page.rowCommit[r].text, commit.data(), commit.size());
        if (r + 1 > e->page.rowCount) e->page.rowCount = r + 1;
    }
};

TEST(DictLookupKey, PageTextUnlessTheSecondTextIsAWord) {
    PageEngine p;
    const std::pair<std::wstring, std::wstring> rows[] = {
        {L"中文", L""},        {L"打开记事本", L"run(notepad)"},
        {L"帮助", L"help(x)"}, {L"键", L"a keyboard(x)"},
        {L"简", L"繁"},        {L"日期", L"set(a,b=c)"},
    };
    const wchar_t* keys[] = {L"中文", L"打开记事本", L"帮助", L"键", L"繁", L"日期"};
    for (int r = 0; r < 6; ++r) p.Row(r, 10 + r, rows[r].first, rows[r].second);
    for (int r = 0; r < 6; ++r) EXPECT_EQ(DictLookupKey(p.e, 10 + r), keys[r]) << r;
    EXPECT_EQ(DictLookupKey(p.e, 3), L"") << "not on the page";
    p.Row(6, 20, std::wstring(200, L'x'), L"");
    EXPECT_EQ(DictLookupKey(p.e, 20).size(), kDictKeyChars);
}

TEST(PlaceDictWindow, BesideTheCandidateWindowWithinItsWorkArea) {
    struct Case {
        const char* name;
        bool rows;
        RECT candidate;
        POINT word;
        RECT work;
        POINT at;
    } cases[] = {
        {"row layout below", false, {100, 100, 400, 140}, {50, 8}, {0, 0, 1280, 1024}, {140, 145}},
        {"row layout above", false, {100, 700, 400, 740}, {50, 8}, {0, 0, 1280, 1024}, {140, 535}},
        {"monitor below: halves from its top",
         false,
         {100, 900, 400, 940},
         {0, 0},
         {0, 800, 1280, 1824},
         {90, 945}},
        {"rows right", true, {100, 100, 300, 300}, {10, 40}, {0, 0, 1280, 1024}, {305, 130}},
        {"rows left", true, {900, 100, 1100, 300}, {10, 40}, {0, 0, 1280, 1024}, {765, 130}},
        {"monitor to the right: fifths from its left",
         true,
         {1900, 100, 2100, 300},
         {0, 0},
         {1280, 0, 2560, 1024},
         {2105, 90}},
        // Kept inside the work area (a window of 130 x 160).
        {"rows at the top edge", true, {100, 0, 300, 200}, {0, 4}, {0, 0, 1280, 1024}, {305, 0}},
        {"rows at the bottom edge",
         true,
         {100, 900, 300, 1000},
         {10, 40},
         {0, 0, 1280, 1024},
         {305, 864}},
        {"row layout at the left edge",
         false,
         {0, 100, 300, 140},
         {2, 8},
         {0, 0, 1280, 1024},
         {0, 145}},
        {"row layout at the right edge",
         false,
         {1100, 100, 1270, 140},
         {150, 8},
         {0, 0, 1280, 1024},
         {1150, 145}},
        {"larger than the work area: as placed",
         true,
         {100, 100, 300, 300},
         {10, 40},
         {0, 0, 100, 100},
         {-35, 130}},
    };
    for (const Case& c : cases) {
        const POINT p = PlaceDictWindow(c.rows, c.candidate, c.word, c.work);
        EXPECT_EQ(p.x, c.at.x) << c.name;
        EXPECT_EQ(p.y, c.at.y) << c.name;
    }
}

TEST(DictLinkParameters, TheWordIsQuoted) {
    EXPECT_EQ(DictLinkParameters(L"{G}", L"中 文"), L"/n {G} /dict '中 文'");
}

struct Launched {
    std::wstring file, parameters, verb;
    int show;
};
std::vector<Launched>& Launches() {
    static std::vector<Launched> l;
    return l;
}

class DictWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterSkinWindowClasses(GetModuleHandleW(nullptr));
        SetDictLaunch([](const wchar_t* f, const wchar_t* p, const wchar_t* v, int s) {
            Launches().push_back({f, p, v, s});
        });
        Launches().clear();
        page_.e->dictTable = dict_.get();
        wcscpy_s(page_.e->installLocation, L"C:\\Zan\\");
        wcscpy_s(page_.e->guidText, L"{G}");
        page_.Row(0, 0, L"中文", L"");
        page_.Row(1, 1, L"abc12", L"");
        page_.Row(2, 2, L"长", L"");
    }
    void TearDown() override {
        DestroyDictWindow(page_.e);
        SetDictLaunch(nullptr);
    }
    HWND Window() { return page_.e->windows.dictWindow; }
    void Mouse(UINT message, int x, int y) {
        SendMessageW(Window(), message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0,
                     MAKELPARAM(x, y));
    }

    TableOnDisk dict_{KeyValueTable(kDictionary), L"dict.dms"};
    PageEngine page_;
};

TEST_F(DictWindowTest, ShowsTheExplanationAndLaunchesTheDictionaryFromItsLink) {
    ShowDictWindow(page_.e, 0);
    ASSERT_NE(Window(), nullptr);
    EXPECT_EQ(DictWindowKey(page_.e), L"中文");
    EXPECT_EQ(DictWindowText(page_.e), L"汉语的书面语");
    // A short text takes the smallest window.
    RECT r;
    GetClientRect(Window(), &r);
    EXPECT_EQ(r.right, kDictMinWidth);
    EXPECT_EQ(r.bottom, kDictMinHeight);

    // The same candidate again changes nothing, another refills.
    SetWindowPos(Window(), nullptr, 7, 9, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowDictWindow(page_.e, 0);
    RECT at;
    GetWindowRect(Window(), &at);
    EXPECT_EQ(at.left, 7);
    ShowDictWindow(page_.e, 1);
    EXPECT_EQ(DictWindowKey(page_.e), L"abc12");
    EXPECT_EQ(DictWindowText(page_.e), L"字母表");

    Mouse(WM_LBUTTONDOWN, 60, 20);  // body
    Mouse(WM_LBUTTONUP, 20, 60);    // released on the link
    EXPECT_TRUE(Launches().empty());
    Mouse(WM_LBUTTONDOWN, 20, 60);
    Mouse(WM_LBUTTONUP, 25, 62);
    ASSERT_EQ(Launches().size(), 1u);
    EXPECT_EQ(Launches()[0].file, L"C:\\Zan\\config.exe");
    EXPECT_EQ(Launches()[0].parameters, L"/n {G} /dict 'abc12'");
    EXPECT_EQ(Launches()[0].verb, L"open");
    EXPECT_EQ(Launches()[0].show, SW_SHOW);

    DestroyDictWindow(page_.e);
    EXPECT_EQ(Window(), nullptr);
}

// A long explanation widens the window to its limit and makes it as tall as the wrapped text;
// a size the user gave it stays.
TEST_F(DictWindowTest, TheWindowFitsItsText) {
    // In the built-in skin's colours.
    auto* state = static_cast<UIState*>(std::calloc(1, sizeof(UIState)));
    ASSERT_TRUE(LoadBuiltInSkin(&state->skin, &state->images));
    page_.e->uiState = state;
    auto ime = std::make_unique<ImeConfigData>();  // the word's place in the window reads it
    page_.e->ime = ime.get();
    ShowDictWindow(page_.e, 2);
    ASSERT_NE(Window(), nullptr);
    EXPECT_TRUE(testing_support::SaveScreenshotIfAsked(Window(), L"dictionary-window.png"));
    RECT r;
    GetClientRect(Window(), &r);
    EXPECT_EQ(r.right, kDictMaxWidth);
    EXPECT_GT(r.bottom, kDictMinHeight + 20);
    EXPECT_LT(r.bottom, kDictMaxHeight);
    // Every line of the text is inside the edit: it shows the last character without scrolling.
    HWND edit = FindWindowExW(Window(), nullptr, L"RichEdit20W", nullptr);
    ASSERT_NE(edit, nullptr);
    RECT inside;
    GetClientRect(edit, &inside);
    const int last = GetWindowTextLengthW(edit) - 1;
    POINTL at{};
    SendMessageW(edit, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), last);
    EXPECT_LT(at.y, inside.bottom);
    EXPECT_EQ(SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    // Once the user resized it, another candidate keeps that size.
    state->dictSize = {200, 150};
    ShowDictWindow(page_.e, 0);
    GetClientRect(Window(), &r);
    EXPECT_EQ(r.right, 200);
    EXPECT_EQ(r.bottom, 150);
    DestroyDictWindow(page_.e);
    page_.e->uiState = nullptr;
    page_.e->ime = nullptr;
    ReleaseUIState(state);
    std::free(state);
}

TEST(DictWindowSize, TextPlusMarginsWithinLimits) {
    const struct {
        SIZE extent;
        int32_t dpi;
        SIZE want;
    } cases[] = {
        {{10, 10}, 96, {kDictMinWidth, kDictMinHeight}},
        {{150, 60}, 96, {150 + 20, 60 + 42}},
        {{900, 900}, 96, {kDictMaxWidth, kDictMaxHeight}},
        {{10, 10}, 192, {2 * kDictMinWidth, 2 * kDictMinHeight}},
        {{300, 120}, 192, {300 + 40, 120 + 84}},
    };
    for (const auto& c : cases) {
        const SIZE got = DictWindowSize(c.extent, c.dpi);
        EXPECT_EQ(got.cx, c.want.cx) << c.extent.cx << " at " << c.dpi;
        EXPECT_EQ(got.cy, c.want.cy) << c.extent.cy << " at " << c.dpi;
    }
    // The wrap width fills the widest window.
    EXPECT_EQ(DictWindowSize({DictWrapWidth(96), 50}, 96).cx, kDictMaxWidth);
    EXPECT_EQ(DictWindowSize({DictWrapWidth(144), 50}, 144).cx, 390);
}

TEST(DictLookOfSkin, GroundFrameAndTextColoursOfTheSkin) {
    // 8 x 4: shadow column, border column, then ground; straight B, G, R, A.
    SkinImage* bg = CreateSkinImage(8, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            uint8_t* p = bg->pixels + (y * 8 + x) * 4;
            const uint8_t shade = x == 0 ? 0 : x == 1 ? 0x40 : 0xF0;
            p[0] = shade, p[1] = shade, p[2] = uint8_t(shade + (x == 1)), p[3] = x == 0 ? 40 : 255;
        }
    SkinTextStyle t{};
    t.candidateColour = 0x102030;
    t.codeColour = 0xD04010;
    const DictLook look = DictLookOfSkin(t, bg);
    EXPECT_EQ(look.ground, RGB(0xF0, 0xF0, 0xF0));
    EXPECT_EQ(look.frame, RGB(0x41, 0x40, 0x40));
    EXPECT_EQ(look.text, COLORREF(0x102030));
    EXPECT_EQ(look.link, COLORREF(0xD04010));
    // A see-through middle or no picture: the plain look.
    bg->pixels[(2 * 8 + 4) * 4 + 3] = 100;
    EXPECT_EQ(DictLookOfSkin(t, bg).ground, kPlainDictLook.ground);
    EXPECT_EQ(DictLookOfSkin(t, nullptr).link, kPlainDictLook.link);
    FreeSkinImage(bg);
}

TEST_F(DictWindowTest, NoWindowWithoutTheDictionaryTable) {
    page_.e->dictTable = nullptr;
    ShowDictWindow(page_.e, 0);
    EXPECT_EQ(Window(), nullptr);
    MappedFile closed{};  // a table that did not open
    page_.e->dictTable = &closed;
    ShowDictWindow(page_.e, 0);
    EXPECT_EQ(Window(), nullptr);
}

// Two engine records of one process (two input contexts) each have their own window with its
// own key; closing one leaves the other's as it is.
TEST_F(DictWindowTest, EachEngineHasItsOwnWindowAndKey) {
    PageEngine other;
    other.e->dictTable = dict_.get();
    other.Row(0, 0, L"abc", L"");
    ShowDictWindow(page_.e, 0);
    ShowDictWindow(other.e, 0);
    ASSERT_NE(other.e->windows.dictWindow, nullptr);
    EXPECT_NE(other.e->windows.dictWindow, Window());
    EXPECT_EQ(DictWindowKey(page_.e), L"中文");
    EXPECT_EQ(DictWindowKey(other.e), L"abc");
    DestroyDictWindow(other.e);
    EXPECT_EQ(DictWindowKey(page_.e), L"中文");
    EXPECT_EQ(DictWindowText(page_.e), L"汉语的书面语");
    // The first window still knows it shows candidate 0: showing it again refills nothing.
    SetWindowTextW(FindWindowExW(Window(), nullptr, L"RichEdit20W", nullptr), L"kept");
    ShowDictWindow(page_.e, 0);
    EXPECT_EQ(DictWindowText(page_.e), L"kept");
}

}  // namespace
