// The status bar as a window under Xvfb: styles, the one tooltip tool, clicks and drag by
// direct messages.
#include "ui/status/status_window.h"

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "engine/ui_command.h"
#include "status_skin_fixture.h"
#include "support/sent_commands.h"
#include "ui/menus/popup_menus.h"
#include "ui/status/status_text.h"
#include "ui/windows/skin_window_classes.h"

using status_test::StatusSkin;

namespace {

using testing_support::g_sent;
using testing_support::RecordCommand;
using testing_support::Sent;

int g_menus = 0;
uint64_t CountMenu(HMENU, HWND, POINT) {
    ++g_menus;
    return 0;
}

bool NoCapsLock() { return false; }

class StatusWindow : public testing::Test {
protected:
    static void SetUpTestSuite() { RegisterSkinWindowClasses(GetModuleHandleW(nullptr)); }
    StatusWindow() {
        SetStatusCapsLockSeam(NoCapsLock);
        SetMenuTracker(CountMenu);
        host_ = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP, 10, 10, 50, 50, nullptr, nullptr,
                                nullptr, nullptr);
        t.e->uiCommand = {RecordCommand, nullptr};
        t.e->skin->statusWindowPos = WindowPoint{200, 300};
        g_sent.clear();
        g_menus = 0;
    }
    ~StatusWindow() override {
        DestroyStatusWindow(t.e);
        DestroyWindow(host_);
        SetMenuTracker(nullptr);
        SetStatusCapsLockSeam(nullptr);
    }
    HWND Bar() { return t.e->windows.statusWindow; }
    void Click(int x, int y, int releaseX = -1) {
        SendMessageW(Bar(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageW(Bar(), WM_LBUTTONUP, 0, MAKELPARAM(releaseX < 0 ? x : releaseX, y));
    }
    StatusSkin t;
    HWND host_ = nullptr;
};

TEST_F(StatusWindow, CreatedLayeredTopmostAndNeverActivated) {
    ASSERT_TRUE(CreateStatusBarWindow(t.e, host_));
    ASSERT_NE(Bar(), nullptr);
    const LONG_PTR ex = GetWindowLongPtrW(Bar(), GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_LAYERED);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(GetWindowLongPtrW(Bar(), GWL_STYLE) & WS_DISABLED);
    EXPECT_EQ(GetWindow(Bar(), GW_OWNER), host_);
    EXPECT_FALSE(IsWindowVisible(Bar()));
    UpdateStatusWindow(t.e);
    EXPECT_TRUE(IsWindowVisible(Bar()));
    EXPECT_NE(GetForegroundWindow(), Bar());  // shown without activation
    RECT r;
    GetWindowRect(Bar(), &r);
    EXPECT_EQ(r.left, 200);
    EXPECT_EQ(r.top, 300);
    EXPECT_EQ(r.right - r.left, 120);
    EXPECT_EQ(r.bottom - r.top, 24);
    EXPECT_TRUE(CreateStatusBarWindow(t.e, host_));  // a second call keeps the one bar
}

TEST_F(StatusWindow, OneToolForTheLifeOfTheBar) {
    ASSERT_TRUE(CreateStatusBarWindow(t.e, host_));
    HWND tip = t.e->uiState->statusTooltip;
    ASSERT_NE(tip, nullptr);
    for (int i = 0; i < 50; ++i) {
        t.e->state = i % 2 ? kStateEnglishMode : 0;
        UpdateStatusWindow(t.e);
    }
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    wchar_t text[kStatusTextUnits] = {};
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = Bar();
    tool.lpszText = text;
    SendMessageW(tip, TTM_GETTEXTW, kStatusTextUnits, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(std::wstring(text), L"当前状态：英文，半角，中文标点");
}

TEST_F(StatusWindow, ClicksSendCommands) {
    ASSERT_TRUE(CreateStatusBarWindow(t.e, host_));
    UpdateStatusWindow(t.e);
    struct Case {
        const char* name;
        int x, releaseX;
        std::vector<uint32_t> codes;
        int menus;
    };
    const Case cases[] = {
        {"width", 40, -1, {uicmd::kFullWidth}, 0},
        {"punctuation", 28, -1, {uicmd::kEnglishPunct}, 0},
        {"mode", 16, -1, {uicmd::kEnglishInput}, 0},
        {"soft keyboard", 52, -1, {uicmd::kSoftKeyboard}, 0},
        {"menu button", 64, -1, {}, 1},
        {"logo", 4, -1, {}, 0},
        {"empty bar", 110, -1, {}, 0},
        {"pressed on width, released on punctuation", 40, 28, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_sent.clear();
        g_menus = 0;
        Click(c.x, 7, c.releaseX);
        std::vector<uint32_t> codes;
        for (const Sent& s : g_sent) codes.push_back(s.code);
        EXPECT_EQ(codes, c.codes);
        EXPECT_EQ(g_menus, c.menus);
    }
    g_menus = 0;
    SendMessageW(Bar(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(52, 7));  // soft-keyboard menu
    SendMessageW(Bar(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(16, 7));  // function menu
    EXPECT_EQ(g_menus, 2);
    EXPECT_TRUE(g_sent.empty());
}

TEST_F(StatusWindow, DragMovesAndStoresThePosition) {
    ASSERT_TRUE(CreateStatusBarWindow(t.e, host_));
    UpdateStatusWindow(t.e);
    SetCursorPos(500, 400);
    SendMessageW(Bar(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 7));
    SendMessageW(Bar(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(45, 9));
    POINT cursor;
    GetCursorPos(&cursor);
    EXPECT_EQ(t.e->skin->statusWindowPos.x, cursor.x - 40);
    EXPECT_EQ(t.e->skin->statusWindowPos.y, cursor.y - 7);
    RECT r;
    GetWindowRect(Bar(), &r);
    EXPECT_EQ(r.left, cursor.x - 40);
    g_sent.clear();
    SendMessageW(Bar(), WM_LBUTTONUP, 0, MAKELPARAM(40, 7));
    EXPECT_TRUE(g_sent.empty());  // a drag is no click
}

TEST_F(StatusWindow, DestroyForgetsTheHandle) {
    ASSERT_TRUE(CreateStatusBarWindow(t.e, host_));
    DestroyStatusWindow(t.e);
    EXPECT_EQ(Bar(), nullptr);
    EXPECT_EQ(t.e->uiState->statusTooltip, nullptr);
}

TEST_F(StatusWindow, NoBarWithoutTheBarPicture) {
    FreeSkinImage(t.e->uiState->images.images[kSlotStatusBar]);
    t.e->uiState->images.images[kSlotStatusBar] = nullptr;
    EXPECT_FALSE(CreateStatusBarWindow(t.e, host_));
    EXPECT_EQ(Bar(), nullptr);
    UpdateStatusWindow(t.e);  // nothing to do, nothing breaks
}

}  // namespace
