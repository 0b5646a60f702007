// What the text service asks of its window slots: the windows as focus moves, the candidate
// window's anchor and its move on layout changes, the state tip's place.
#include <gtest/gtest.h>

#include "core/settings/config_blocks.h"
#include "support/tsf_host/service_fixture.h"
#include "textservice/tsf/candidate_list.h"

using namespace tsf_host;

namespace {

TEST(ServiceWindowSlots, WindowsFollowThreadAndDocumentFocus) {
    ServiceFixture f;
    ASSERT_EQ(f.Activate(), S_OK);
    f.focusGained = f.focusLost = 0;
    EXPECT_EQ(f.service->OnKillThreadFocus(), S_OK);
    EXPECT_EQ(f.service->OnSetThreadFocus(), S_OK);
    f.host->SetDocumentFocus(false);
    f.host->SetDocumentFocus(true);
    EXPECT_EQ(f.focusLost, 2);
    EXPECT_EQ(f.focusGained, 2);
}

TEST(ServiceWindowSlots, CandidateWindowAnchoredUnderTheKeptRectangle) {
    ServiceFixture f;
    ASSERT_EQ(f.Activate(), S_OK);
    // No focus window (the host's view names none): the rectangle as kept, 2 lower.
    f.service->compositionRect = {100, 200, 150, 220};
    f.candidatePlaces.clear();
    f.service->PlaceCandidateWindow();
    ASSERT_EQ(f.candidatePlaces.size(), 1u);
    const RECT& r = f.candidatePlaces[0];
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 202);
    EXPECT_EQ(r.right - r.left, 50);
    EXPECT_EQ(r.bottom - r.top, 20);
}

// A layout change measures the composition again: text moved by at most 5 pixels (left, top)
// and its bottom by at most 10 leaves the candidate window where it is.
TEST(ServiceWindowSlots, LayoutChangeMovesTheCandidateWindowBeyondTheTolerance) {
    const struct {
        const char* name;
        POINT origin;
        LONG lineHeight;
        bool placed;
        LONG left, top;
    } cases[] = {
        {"no move", {100, 200}, 20, false, 0, 0},
        {"5 right", {105, 200}, 20, false, 0, 0},
        {"5 left and 5 up", {95, 195}, 25, false, 0, 0},
        {"6 right", {106, 200}, 20, true, 106, 202},
        {"6 down", {100, 206}, 20, true, 100, 208},
        {"bottom 10 lower", {100, 200}, 30, false, 0, 0},
        {"bottom 11 lower", {100, 200}, 31, true, 100, 202},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ServiceFixture f;
        f.hooks().updateCandidateList = [](CTextService* s, TfEditCookie, ITfContext*) {
            s->PlaceCandidateWindow();
        };
        InstallCandidateListHooks(f.hooks());
        ASSERT_EQ(f.Activate(), S_OK);
        f.TypeKeypad("644");
        ASSERT_NE(f.service->candidateElement, nullptr);
        ASSERT_FALSE(f.candidatePlaces.empty());
        EXPECT_EQ(f.candidatePlaces.back().left, 100);
        EXPECT_EQ(f.candidatePlaces.back().top, 202);
        f.candidatePlaces.clear();
        f.host->SetTextLayout(c.origin, c.lineHeight);
        f.host->ChangeLayout(TF_LC_CHANGE);
        ASSERT_EQ(f.candidatePlaces.size(), c.placed ? 1u : 0u);
        if (c.placed) {
            EXPECT_EQ(f.candidatePlaces[0].left, c.left);
            EXPECT_EQ(f.candidatePlaces[0].top, c.top);
        }
    }
}

// With a window named by the view the composition is kept in its client coordinates and the
// anchor turned to the screen; outside the client area the caret box stands in, and an anchor
// above the window goes 20 below its top.
TEST(ServiceWindowSlots, CandidateAnchorInTheViewsWindow) {
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 300, 100, 400, 300,
                                  nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(CreateCaret(window, nullptr, 1, 16));
    SetCaretPos(30, 40);
    const struct {
        const char* name;
        DWORD flags;
        POINT textOrigin;
        RECT expected;
    } cases[] = {
        {"inside the client area", 0, {350, 150}, {350, 152, 360, 172}},
        {"left of the client area: the caret box", 0, {100, 200}, {330, 142, 371, 163}},
        {"immersive, above the window: 20 below its top",
         TF_TMF_IMMERSIVEMODE,
         {350, 40},
         {350, 120, 360, 140}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ServiceFixture f;
        f.hooks().updateCandidateList = [](CTextService* s, TfEditCookie, ITfContext*) {
            s->PlaceCandidateWindow();
        };
        InstallCandidateListHooks(f.hooks());
        f.host->SetViewWindow(window);
        f.host->SetTextLayout(c.textOrigin, 20);
        ASSERT_EQ(f.Activate(c.flags), S_OK);
        f.TypeKeypad("644");
        EXPECT_EQ(f.service->focusWindow(), window);
        ASSERT_FALSE(f.candidatePlaces.empty());
        const RECT& r = f.candidatePlaces.back();
        EXPECT_EQ(r.left, c.expected.left);
        EXPECT_EQ(r.top, c.expected.top);
        EXPECT_EQ(r.right, c.expected.right);
        EXPECT_EQ(r.bottom, c.expected.bottom);
        if (c.flags || c.textOrigin.x != 350) continue;
        // A layout change that moves the text: measured in the client area again and placed
        // on the screen, not at the client coordinates.
        f.candidatePlaces.clear();
        f.host->SetTextLayout({c.textOrigin.x + 6, c.textOrigin.y}, 20);
        f.host->ChangeLayout(TF_LC_CHANGE);
        ASSERT_EQ(f.candidatePlaces.size(), 1u);
        EXPECT_EQ(f.candidatePlaces[0].left, 356);
        EXPECT_EQ(f.candidatePlaces[0].top, 152);
    }
    DestroyCaret();
    DestroyWindow(window);
}

TEST(ServiceWindowSlots, StateTipWithoutACaretGoesToTheWorkAreaCorner) {
    ServiceFixture f;
    ASSERT_EQ(f.Activate(), S_OK);
    f.tips.clear();
    f.service->ShowStateTip(L"全");
    ASSERT_EQ(f.tips.size(), 1u);
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(f.tips[0].second, L"全");
    EXPECT_EQ(f.tips[0].first.x, work.right - 74);
    EXPECT_EQ(f.tips[0].first.y, work.bottom - 64);
}

}  // namespace

namespace {

// With a window named by the focused document's view the tip goes below and right of its
// caret, and that window becomes the focus window.
TEST(ServiceWindowSlots, StateTipAtTheCaretOfTheViewsWindow) {
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 300, 100, 400, 300,
                                  nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(CreateCaret(window, nullptr, 1, 16));
    SetCaretPos(30, 40);
    {
        ServiceFixture f;
        f.host->SetViewWindow(window);
        ASSERT_EQ(f.Activate(), S_OK);
        f.tips.clear();
        f.service->ShowStateTip(L"半");
        ASSERT_EQ(f.tips.size(), 1u);
        EXPECT_EQ(f.tips[0].first.x, 340);
        EXPECT_EQ(f.tips[0].first.y, 172);
        EXPECT_EQ(f.service->focusWindow(), window);
    }
    DestroyCaret();
    DestroyWindow(window);
}

}  // namespace
