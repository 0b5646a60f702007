// The tips window: its size, its six ticks, a new tip restarting the count, and the mouse
// keeping it.
#include "ui/tips/tip_window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ui/windows/skin_window_classes.h"

namespace {

TEST(TipWindow, FontHeightByKind) {
    const int kinds[][2] = {{1, -14}, {2, -12}, {0, -20}, {3, -20}, {-1, -20}};
    for (const auto& k : kinds) EXPECT_EQ(TipFontHeight(k[0]), k[1]) << k[0];
}

class TipWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterSkinWindowClasses(GetModuleHandleW(nullptr));
        engine_ = static_cast<Engine*>(std::calloc(1, sizeof(Engine)));
    }
    void TearDown() override {
        DestroyTipWindow(engine_);
        std::free(engine_);
    }
    HWND Window() const { return engine_->windows.tipWindow; }
    void Tick() { SendMessageW(Window(), WM_TIMER, 1, 0); }

    Engine* engine_ = nullptr;
};

TEST_F(TipWindowTest, HidesAtTheSixthTickAndANewTipCountsAgain) {
    ASSERT_TRUE(ShowTipWindow(engine_, 100, 100, 1, L"中文"));
    ASSERT_NE(Window(), nullptr);
    EXPECT_TRUE(IsWindowVisible(Window()));
    RECT r;
    GetWindowRect(Window(), &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_GT(r.right - r.left, 20);
    EXPECT_GT(r.bottom - r.top, 10);
    for (int i = 0; i < 4; ++i) Tick();
    EXPECT_EQ(TipTicks(engine_), 4);
    ASSERT_TRUE(ShowTipWindow(engine_, 120, 100, 1, L"英文"));  // shown again: from zero
    EXPECT_EQ(TipTicks(engine_), 0);
    for (int i = 0; i < 5; ++i) Tick();
    EXPECT_NE(Window(), nullptr);
    Tick();
    EXPECT_EQ(Window(), nullptr);
}

TEST_F(TipWindowTest, TheMouseOnTheTipStopsItsTimer) {
    ASSERT_TRUE(ShowTipWindow(engine_, 100, 100, 2, L"半"));
    HWND w = Window();
    SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    // A stopped timer: KillTimer has nothing left to stop.
    EXPECT_FALSE(KillTimer(w, 1));
    SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(-50, -50));
    EXPECT_TRUE(KillTimer(w, 1)) << "restarted once the mouse left";
}

struct MenuOpened {
    Engine* engine;
    HWND owner;
    POINT at;
};
std::vector<MenuOpened>& MenusOpened() {
    static std::vector<MenuOpened> m;
    return m;
}

TEST_F(TipWindowTest, ARightClickOpensTheStatusMenu) {
    MenusOpened().clear();
    SetTipStatusMenu([](Engine* e, HWND owner, POINT at) {
        MenusOpened().push_back({e, owner, at});
    });
    ASSERT_TRUE(ShowTipWindow(engine_, 100, 120, 1, L"中文"));
    SendMessageW(Window(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(4, 5));
    SetTipStatusMenu(nullptr);
    ASSERT_EQ(MenusOpened().size(), 1u);
    EXPECT_EQ(MenusOpened()[0].engine, engine_);
    EXPECT_EQ(MenusOpened()[0].owner, Window());
    EXPECT_EQ(MenusOpened()[0].at.x, 104);
    EXPECT_EQ(MenusOpened()[0].at.y, 125);
}

// Two engine records of one process each keep their own tip: its text, size and count.
TEST_F(TipWindowTest, EachEngineHasItsOwnTip) {
    Engine* other = static_cast<Engine*>(std::calloc(1, sizeof(Engine)));
    ASSERT_TRUE(ShowTipWindow(engine_, 100, 100, 1, L"中文输入法"));
    for (int i = 0; i < 3; ++i) Tick();
    ASSERT_TRUE(ShowTipWindow(other, 100, 200, 1, L"半"));
    EXPECT_NE(other->windows.tipWindow, Window());
    EXPECT_EQ(TipTicks(engine_), 3);
    EXPECT_EQ(TipTicks(other), 0);
    RECT mine, theirs;
    GetWindowRect(Window(), &mine);
    GetWindowRect(other->windows.tipWindow, &theirs);
    EXPECT_GT(mine.right - mine.left, theirs.right - theirs.left);
    for (int i = 0; i < 3; ++i) Tick();
    EXPECT_EQ(Window(), nullptr);
    EXPECT_NE(other->windows.tipWindow, nullptr) << "the other tip stays";
    DestroyTipWindow(other);
    std::free(other);
}

TEST_F(TipWindowTest, ANegativeKindNeverHides) {
    ASSERT_TRUE(ShowTipWindow(engine_, 10, 10, -1, L"x"));
    EXPECT_FALSE(KillTimer(Window(), 1));
    const std::wstring longText(300, L'a');
    ASSERT_TRUE(ShowTipWindow(engine_, 10, 10, 1, longText.c_str()));
    EXPECT_TRUE(KillTimer(Window(), 1));
}

}  // namespace
