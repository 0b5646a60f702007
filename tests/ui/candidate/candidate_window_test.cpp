// The candidate window on a real display (Xvfb under Wine): creation, showing without
// activation, the pixels on the screen and the mouse by direct messages.
#include "ui/candidate/candidate_window.h"

#include <gtest/gtest.h>

#include <vector>

#include "ui/candidate/candidate_layout.h"
#include "ui/candidate/candidate_paint.h"
#include "ui/image/gdi_handles.h"
#include "ui/ui_engine_fixture.h"
#include "ui/windows/skin_window_classes.h"
#include "ui/windows/skin_window_glue.h"

namespace {

using testing_support::UiEngine;

struct Command {
    uint32_t code;
    uintptr_t first;
};
std::vector<Command> g_commands;
int Record(void*, uint32_t code, uintptr_t first, uintptr_t) {
    g_commands.push_back({code, first});
    return 1;
}

struct HookLog {
    std::vector<int64_t> dictionary, candidateMenu;
    int functionMenu = 0, hideSoon = 0;
} g_log;
const CandidateWindowHooks kHooks = {
    [](Engine*, int64_t i, POINT) { g_log.candidateMenu.push_back(i); },
    [](Engine*, POINT) { ++g_log.functionMenu; },
    [](Engine*, int64_t i) { g_log.dictionary.push_back(i); },
    [](Engine*) { ++g_log.hideSoon; },
    nullptr,
};

class CandidateWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterSkinWindowClasses(GetModuleHandleW(nullptr)); }
    void SetUp() override {
        g_commands.clear();
        g_log = HookLog{};
        SetCandidateWindowHooks(&kHooks);
        ASSERT_TRUE(LoadBuiltInSkin(&t.e->uiState->skin, &t.e->uiState->images));
        t.e->uiCommand = UICommandTarget{Record, nullptr};
        t.e->skin->options = kSkinShowIndex | kSkinShowHints | kSkinHorizontal | kSkinShowButtons;
        t.Page({L"ab", L"cd", L"ef", L"gh", L"ij", L"kl", L"mn", L"op", L"qr"});
        t.e->candidateCount = 30;
    }
    void TearDown() override {
        DestroyCandidateWindow(t.e);
        if (owner) DestroyWindow(owner);
        SetCandidateWindowHooks(nullptr);
    }
    HWND Window() const { return t.e->windows.candidateWindow; }
    LPARAM Centre(int slot) {
        RECT r = GetCandidateRect(t.e, slot);
        return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    void Click(LPARAM down, LPARAM up) {
        SendMessageW(Window(), WM_LBUTTONDOWN, MK_LBUTTON, down);
        SendMessageW(Window(), WM_LBUTTONUP, 0, up);
    }
    UiEngine t;
    HWND owner = nullptr;
};

TEST_F(CandidateWindow, ClassesRegisterOncePerProcess) {
    EXPECT_FALSE(RegisterSkinWindowClasses(GetModuleHandleW(nullptr)));
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    for (const wchar_t* name :
         {kCandidateClass, kStatusClass, kSoftKeyboardClass, kTipClass, kDictClass}) {
        ASSERT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), name, &wc));
        EXPECT_EQ(wc.cbWndExtra, kSkinWindowExtraBytes);
        EXPECT_EQ(wc.style, UINT(CS_HREDRAW | CS_VREDRAW | CS_IME));
    }
}

TEST_F(CandidateWindow, ShownLayeredTopmostAndNeverActivated) {
    owner = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                            nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(owner);
    HWND before = GetForegroundWindow();
    ASSERT_EQ(before, owner);
    ASSERT_TRUE(CreateCandidateWindow(t.e, CandidateHost{}));
    LONG_PTR ex = GetWindowLongPtrW(Window(), GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_LAYERED);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(GetWindowLongPtrW(Window(), GWL_STYLE) & WS_DISABLED);
    ShowCandidateWindow(t.e, RECT{100, 100, 102, 120});
    EXPECT_TRUE(IsWindowVisible(Window()));
    EXPECT_EQ(GetForegroundWindow(), before);
    RECT r;
    GetWindowRect(Window(), &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 122);
    EXPECT_EQ(r.right - r.left, t.e->uiState->candidate.width);
    HideCandidateWindow(t.e);
    EXPECT_FALSE(IsWindowVisible(Window()));
}

struct LayeredUpdate {
    bool position, size, pixels;
    POINT at;
    SIZE extent;
};
std::vector<LayeredUpdate> g_updates;
BOOL WINAPI CountUpdate(HWND w, HDC screen, POINT* at, SIZE* size, HDC source, POINT* origin,
                        COLORREF key, BLENDFUNCTION* blend, DWORD flags) {
    g_updates.push_back({at != nullptr, size != nullptr, source != nullptr, at ? *at : POINT{},
                         size ? *size : SIZE{}});
    return UpdateLayeredWindow(w, screen, at, size, source, origin, key, blend, flags);
}

// Position changes the window goes through (the layered call makes one of its own).
int g_positionChanges = 0;
HWND g_watched = nullptr;
LRESULT CALLBACK WatchPositions(int code, WPARAM wp, LPARAM lp) {
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lp);
    if (code >= 0 && m->hwnd == g_watched && m->message == WM_WINDOWPOSCHANGED) ++g_positionChanges;
    return CallNextHookEx(nullptr, code, wp, lp);
}

// Each digit typed is one layered-window call carrying the position, the size and the pixels
// together, so no frame shows the new size with the old picture; the window ends where the
// call put it.
TEST_F(CandidateWindow, OneLayeredCallPerUpdateCarriesPositionSizeAndPixels) {
    const LayeredWindowCalls counting{CountUpdate};
    SetLayeredWindowCalls(&counting);
    g_updates.clear();
    ASSERT_TRUE(CreateCandidateWindow(t.e, CandidateHost{}));
    g_watched = Window();
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchPositions, nullptr, GetCurrentThreadId());
    const std::vector<std::vector<std::wstring>> pages = {
        {L"ab", L"cd", L"ef"}, {L"abcdef", L"cd"}, {L"a"}, {L"abc", L"d", L"e", L"f"}};
    for (size_t i = 0; i < pages.size(); ++i) {
        t.Page(pages[i]);
        g_updates.clear();
        g_positionChanges = 0;
        ShowCandidateWindow(t.e, RECT{100 + LONG(i) * 12, 100, 102 + LONG(i) * 12, 120});
        ASSERT_EQ(g_updates.size(), 1u) << i;
        // Once shown, nothing but the layered call moves or sizes the window.
        if (i > 0) {
            EXPECT_EQ(g_positionChanges, 1) << i;
        }
        const LayeredUpdate& u = g_updates[0];
        EXPECT_TRUE(u.position && u.size && u.pixels) << i;
        EXPECT_EQ(u.extent.cx, t.e->uiState->candidate.width) << i;
        EXPECT_EQ(u.extent.cy, t.e->uiState->candidate.height) << i;
        RECT r;
        GetWindowRect(Window(), &r);
        EXPECT_EQ(r.left, u.at.x) << i;
        EXPECT_EQ(r.top, u.at.y) << i;
        EXPECT_EQ(r.right - r.left, u.extent.cx) << i;
        EXPECT_EQ(r.bottom - r.top, u.extent.cy) << i;
        EXPECT_TRUE(IsWindowVisible(Window()));
    }
    UnhookWindowsHookEx(hook);
    SetLayeredWindowCalls(nullptr);
}

TEST_F(CandidateWindow, ScreenShowsTheUploadedCanvas) {
    ASSERT_TRUE(CreateCandidateWindow(t.e, CandidateHost{}));
    ShowCandidateWindow(t.e, RECT{200, 200, 202, 220});
    const int w = t.e->uiState->candidate.width, h = t.e->uiState->candidate.height;
    CanvasSurface expected(w, h);
    ASSERT_TRUE(PaintCandidateCanvas(t.e, &expected));
    CanvasSurface screen(w, h);
    ASSERT_TRUE(screen.ok());
    // The display server draws the upload in its own time: read the screen again for a while.
    int compared = 0, differ = 0;
    for (int attempt = 0; attempt < 40; ++attempt) {
        if (attempt) Sleep(50);
        {
            zan::WindowDC desktop(nullptr);
            ASSERT_TRUE(BitBlt(screen.dc(), 0, 0, w, h, desktop.get(), 200, 222, SRCCOPY));
            GdiFlush();
        }
        compared = differ = 0;
        for (int i = 0; i < w * h; ++i) {
            const uint8_t* a = expected.canvas()->pixels + i * 4;
            const uint8_t* b = screen.canvas()->pixels + i * 4;
            if (a[3] == 0) continue;  // outside the window's region
            ++compared;
            if (a[0] != b[0] || a[1] != b[1] || a[2] != b[2]) ++differ;
        }
        if (differ == 0) break;
    }
    EXPECT_GT(compared, w * h / 2);
    EXPECT_EQ(differ, 0);
}

TEST_F(CandidateWindow, ClicksSelectPageAndMissNothing) {
    ASSERT_TRUE(CreateCandidateWindow(t.e, CandidateHost{}));
    ShowCandidateWindow(t.e, RECT{100, 100, 102, 120});
    Click(Centre(2), Centre(2));
    ASSERT_EQ(g_commands.size(), 1u);
    EXPECT_EQ(g_commands[0].code, 18u);
    EXPECT_EQ(g_commands[0].first, 3u);
    g_commands.clear();
    Click(Centre(0), Centre(1));  // press on one, release on another
    EXPECT_TRUE(g_commands.empty());
    Click(MAKELPARAM(0, 0), MAKELPARAM(0, 0));  // the window's edge
    EXPECT_TRUE(g_commands.empty());
}

TEST_F(CandidateWindow, PageButtonsInTheMergedLayout) {
    t.e->uiState->host.imm32 = true;
    t.Composition(L"23");
    CandidateHost host{};
    host.imm32 = true;
    ASSERT_TRUE(CreateCandidateWindow(t.e, host));
    ShowCandidateWindow(t.e, RECT{100, 100, 102, 120});
    const SkinRegion& up = t.e->uiState->candidateRegions[kPageUpRegion];
    const SkinRegion& down = t.e->uiState->candidateRegions[kPageDownRegion];
    ASSERT_EQ(up.state, kRegionDisabled);  // the first page
    ASSERT_EQ(down.state, kRegionNormal);
    LPARAM onUp = MAKELPARAM(up.x + up.width / 2, up.y + up.height / 2);
    LPARAM onDown = MAKELPARAM(down.x + down.width / 2, down.y + down.height / 2);
    Click(onUp, onUp);
    EXPECT_TRUE(g_commands.empty());
    Click(onDown, onDown);
    ASSERT_EQ(g_commands.size(), 1u);
    EXPECT_EQ(g_commands[0].code, 257u);
}

TEST_F(CandidateWindow, HoverAndMenusUseTheShownCandidate) {
    t.e->ime->options |= kImeStyleTsfEmbedFirst;
    t.e->ime->features |= kFeatHideEmbeddedFirst;
    t.e->page.highlight = 0;  // row 0 is in the document; slot 0 shows row 1
    for (int r = 0; r < 9; ++r) t.e->page.rowCandidate[r] = 20 + r;  // a later page
    ASSERT_TRUE(CreateCandidateWindow(t.e, CandidateHost{}));
    ShowCandidateWindow(t.e, RECT{100, 100, 102, 120});
    SendMessageW(Window(), WM_MOUSEMOVE, 0, Centre(0));
    EXPECT_EQ(t.e->uiState->candidateRegions[kWordRegion].state, kRegionHover);
    EXPECT_TRUE(g_log.dictionary.empty());  // moving alone opens no dictionary
    SendMessageW(Window(), WM_MOUSEHOVER, 0, Centre(0));
    t.e->windows.dictWindow = owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1,
                                                      nullptr, nullptr, nullptr, nullptr);
    SendMessageW(Window(), WM_MOUSEMOVE, 0, Centre(1));  // an open one follows the pointer
    t.e->windows.dictWindow = nullptr;
    SendMessageW(Window(), WM_RBUTTONDOWN, MK_RBUTTON, Centre(0));
    Click(Centre(0), Centre(0));
    // The menu and the dictionary get the engine's candidate; the selection its page number.
    EXPECT_EQ(g_log.dictionary, (std::vector<int64_t>{21, 22}));
    EXPECT_EQ(g_log.candidateMenu, (std::vector<int64_t>{21}));
    ASSERT_EQ(g_commands.size(), 1u);
    EXPECT_EQ(g_commands[0].first, 2u);
    SendMessageW(Window(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(2, 2));
    EXPECT_EQ(g_log.functionMenu, 1);
    SendMessageW(Window(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(g_log.hideSoon, 1);
}

// The window takes the mouse while the pointer is over it; after its right-click menu, and
// when it is hidden, the application gets the mouse back.
TEST_F(CandidateWindow, MenuAndHidingGiveTheMouseBack) {
    ASSERT_TRUE(CreateCandidateWindow(t.e, CandidateHost{}));
    ShowCandidateWindow(t.e, RECT{100, 100, 102, 120});
    struct Case {
        const char* name;
        UINT message;
        LPARAM at;
    };
    const Case cases[] = {
        {"candidate menu", WM_RBUTTONDOWN, Centre(0)},
        {"function menu", WM_RBUTTONDOWN, MAKELPARAM(2, 2)},
    };
    for (const Case& c : cases) {
        SetCapture(Window());
        ASSERT_EQ(GetCapture(), Window()) << c.name;
        SendMessageW(Window(), c.message, MK_RBUTTON, c.at);
        EXPECT_NE(GetCapture(), Window()) << c.name;
    }
    SetCapture(Window());
    HideCandidateWindow(t.e);
    EXPECT_NE(GetCapture(), Window()) << "hidden";
}

TEST_F(CandidateWindow, DragKeepsTheWindowInsideTheWorkArea) {
    ASSERT_TRUE(CreateCandidateWindow(t.e, CandidateHost{}));
    ShowCandidateWindow(t.e, RECT{100, 100, 102, 120});
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    SendMessageW(Window(), WM_LBUTTONDOWN, MK_LBUTTON, Centre(1));
    SetCursorPos(work.right - 1, work.bottom - 1);
    SendMessageW(Window(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300, 300));
    SendMessageW(Window(), WM_LBUTTONUP, 0, Centre(1));
    RECT r;
    GetWindowRect(Window(), &r);
    EXPECT_EQ(r.right, work.right);
    EXPECT_EQ(r.bottom, work.bottom);
    EXPECT_EQ(t.e->skin->candidateWindowPos.x, r.left);
    EXPECT_EQ(t.e->skin->candidateWindowPos.y, r.top);
    EXPECT_TRUE(g_commands.empty());  // the release after a drag selects nothing
}

TEST_F(CandidateWindow, ReloadMessageLaysOutAgainAndDestroyForgetsTheWindow) {
    ASSERT_TRUE(CreateCandidateWindow(t.e, CandidateHost{}));
    ShowCandidateWindow(t.e, RECT{100, 100, 102, 120});
    int32_t width = t.e->uiState->candidate.width;
    t.Page({L"a"});
    SendMessageW(Window(), kCandidateRelayoutMessage, 0, 0);
    EXPECT_LT(t.e->uiState->candidate.width, width);
    DestroyCandidateWindow(t.e);
    EXPECT_EQ(Window(), nullptr);
}

// A reloaded skin's background may be allocated where the old one was: the window region
// still follows the new picture.
TEST_F(CandidateWindow, ReloadMessageMakesTheRegionOfTheNewPicture) {
    ASSERT_TRUE(CreateCandidateWindow(t.e, CandidateHost{}));
    ShowCandidateWindow(t.e, RECT{100, 100, 102, 120});
    zan::UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(Window(), region.get()), NULLREGION);
    // The "new skin": the same picture record, now fully transparent.
    SkinImage* bg = t.e->uiState->images.images[kSlotEmbeddedH];
    for (int i = 0; i < bg->width * bg->height; ++i) bg->pixels[i * 4 + 3] = 0;
    SendMessageW(Window(), kCandidateRelayoutMessage, 0, 0);
    EXPECT_EQ(GetWindowRgn(Window(), region.get()), NULLREGION);
}

}  // namespace
