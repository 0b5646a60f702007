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
