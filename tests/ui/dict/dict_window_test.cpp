// The dictionary window on a real display (Xvfb under Wine): showing beside the candidate
// window, refilling only for another candidate, the link, the hide timer and the painting.
#include "ui/dict/dict_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/table_fixture.h"
#include "support/table_on_disk.h"
#include "ui/dict/dict_geometry.h"
#include "ui/dict/dict_paint.h"
#include "ui/image/gdi_handles.h"
#include "ui/ui_engine_fixture.h"
#include "ui/windows/skin_window_classes.h"

namespace {

using testing_support::MakeKeyValueTable;
using testing_support::TableOnDisk;
using testing_support::UiEngine;

struct Launch {
    std::wstring file, parameters;
};
std::vector<Launch> g_launches;
void RecordLaunch(const wchar_t* file, const wchar_t* parameters) {
    g_launches.push_back({file, parameters});
}

std::wstring ChildText(HWND w) {
    wchar_t text[600] = {};
    GetWindowTextW(GetWindow(w, GW_CHILD), text, 600);
    return text;
}

class DictWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterSkinWindowClasses(GetModuleHandleW(nullptr)); }
    void SetUp() override {
        g_launches.clear();
        SetDictLaunchForTesting(RecordLaunch);
        t.e->dictTable = dict.get();
        wcscpy(t.e->installLocation, L"C:\\Zan\\");
        wcscpy(t.e->guidText, L"{D7812E39-FBD7-43A7-99C7-DE9322D54A0F}");
        t.Page({L"你好", L"abc1", L"中"});
        CandidateWindowState& c = t.e->uiState->candidate;
        c.x = 100;
        c.y = 100;
        c.width = 300;
        c.height = 40;
        t.e->skin->options = kSkinHorizontal;
    }
    void TearDown() override {
        DestroyDictWindow(t.e);
        SetDictLaunchForTesting(nullptr);
    }
    HWND Window() const { return t.e->windows.dictWindow; }

    UiEngine t;
    TableOnDisk dict{MakeKeyValueTable({{"你好", "问候\r\n \r\n更多"}, {"abc", "字母"}}),
                     L"dict.dms"};
};

TEST_F(DictWindow, ShowsTheExplanationBesideTheCandidateWindow) {
    ShowDictWindow(t.e, 0);
    ASSERT_NE(Window(), nullptr);
    EXPECT_TRUE(IsWindowVisible(Window()));
    EXPECT_EQ(ShownDictCandidate(), 0);
    wchar_t cls[32];
    GetClassNameW(Window(), cls, 32);
    EXPECT_STREQ(cls, kDictClass);
    EXPECT_EQ(GetWindowLongW(Window(), GWL_STYLE) & (WS_POPUP | WS_DISABLED),
              WS_POPUP | WS_DISABLED);
    EXPECT_TRUE(GetWindowLongW(Window(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT r;
    GetWindowRect(Window(), &r);
    EXPECT_EQ(r.right - r.left, kDictWidth);
    EXPECT_EQ(r.bottom - r.top, kDictHeight);
    EXPECT_EQ(r.top, 145) << "5 pixels below a candidate window in the upper half";
    EXPECT_EQ(ChildText(Window()), L"问候");
    RECT child;
    GetWindowRect(GetWindow(Window(), GW_CHILD), &child);
    EXPECT_EQ(child.left - r.left, 8);
    EXPECT_EQ(child.right - child.left, kDictWidth - 16);

    ShowDictWindow(t.e, 1);
    EXPECT_EQ(ShownDictCandidate(), 1);
    EXPECT_EQ(ChildText(Window()), L"字母") << "letters only";
}

TEST_F(DictWindow, TheSameCandidateTwiceNeitherRefillsNorMoves) {
    ShowDictWindow(t.e, 0);
    ASSERT_NE(Window(), nullptr);
    SetWindowTextW(GetWindow(Window(), GW_CHILD), L"kept");
    SetWindowPos(Window(), nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowDictWindow(t.e, 0);
    EXPECT_EQ(ChildText(Window()), L"kept");
    RECT r;
    GetWindowRect(Window(), &r);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
}

TEST_F(DictWindow, NothingWithoutTheTableOrForACandidateOffThePage) {
    ShowDictWindow(t.e, 7);
    EXPECT_EQ(Window(), nullptr);
    t.e->dictTable = nullptr;
    ShowDictWindow(t.e, 0);
    EXPECT_EQ(Window(), nullptr);
    ShowDictWindow(nullptr, 0);
}

TEST_F(DictWindow, TheLinkStartsTheConfigurationProgramOnlyAfterAPressOnIt) {
    ShowDictWindow(t.e, 0);
    ASSERT_NE(Window(), nullptr);
    const LPARAM body = MAKELPARAM(20, 20), link = MAKELPARAM(20, kDictHeight - 10);
    SendMessageW(Window(), WM_LBUTTONDOWN, MK_LBUTTON, body);
    SendMessageW(Window(), WM_LBUTTONUP, 0, link);
    EXPECT_TRUE(g_launches.empty()) << "pressed on the body";
    SendMessageW(Window(), WM_LBUTTONDOWN, MK_LBUTTON, link);
    SendMessageW(Window(), WM_LBUTTONUP, 0, body);
    EXPECT_TRUE(g_launches.empty()) << "released off the link";
    SendMessageW(Window(), WM_LBUTTONDOWN, MK_LBUTTON, link);
    SendMessageW(Window(), WM_LBUTTONUP, 0, link);
    ASSERT_EQ(g_launches.size(), 1u);
    EXPECT_EQ(g_launches[0].file, L"C:\\Zan\\config.exe");
    EXPECT_EQ(g_launches[0].parameters, L"/n {D7812E39-FBD7-43A7-99C7-DE9322D54A0F} /dict '你好'");
}

TEST_F(DictWindow, TheHideTimerDestroysTheWindow) {
    ShowDictWindow(t.e, 0);
    HWND w = Window();
    ASSERT_NE(w, nullptr);
    SendMessageW(w, WM_TIMER, kDictHideTimer, 0);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(Window(), nullptr);
    EXPECT_EQ(ShownDictCandidate(), -1);
    HideDictWindowSoon(t.e);  // no window: nothing to time
}

TEST(DictLaunch, ParametersAndLimits) {
    UiEngine t;
    wcscpy(t.e->installLocation, L"D:\\IME\\");
    wcscpy(t.e->guidText, L"{G}");
    wchar_t file[MAX_PATH], parameters[512];
    ASSERT_TRUE(DictConfigLaunch(t.e, L"词", file, parameters));
    EXPECT_STREQ(file, L"D:\\IME\\config.exe");
    EXPECT_STREQ(parameters, L"/n {G} /dict '词'");
    std::wstring longKey(600, L'k');
    EXPECT_FALSE(DictConfigLaunch(t.e, longKey.c_str(), file, parameters));
    EXPECT_STREQ(file, L"");
    EXPECT_FALSE(DictConfigLaunch(nullptr, L"x", file, parameters));
}

TEST(DictPaint, GroundFrameLinkAndGrip) {
    zan::WindowDC screen(nullptr);
    zan::MemoryDC dc(screen.get());
    zan::UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), kDictWidth, kDictHeight));
    zan::SelectedObject keep(dc.get(), bitmap.get());
    PaintDictWindow(dc.get(), kDictWidth, kDictHeight, nullptr);
    EXPECT_EQ(GetPixel(dc.get(), 0, 0), kDictFrameColour);
    EXPECT_EQ(GetPixel(dc.get(), kDictWidth - 1, 60), kDictFrameColour);
    EXPECT_EQ(GetPixel(dc.get(), 60, 60), RGB(255, 255, 255));
    // The grip's last line runs from (right, bottom - 5) to (right - 5, bottom).
    EXPECT_EQ(GetPixel(dc.get(), kDictWidth - 3, kDictHeight - 2), kDictFrameColour);
    int blue = 0;
    RECT link = DictLinkRect(kDictWidth, kDictHeight);
    for (int y = link.top; y < link.bottom; ++y)
        for (int x = link.left; x < link.right; ++x)
            if (GetPixel(dc.get(), x, y) == kDictLinkColour) ++blue;
    EXPECT_GT(blue, 20) << "the link is drawn in blue";
}

}  // namespace
