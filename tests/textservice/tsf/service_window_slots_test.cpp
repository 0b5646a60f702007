// What the text service asks of its window slots and the language bar: buttons where the
// framework has a language bar (activation goes on without one), the windows as focus moves,
// the candidate window's anchor and the state tip's place.
#include <gtest/gtest.h>

#include "core/settings/config_blocks.h"
#include "support/tsf_host/service_fixture.h"
#include "textservice/langbar/service_lang_bar.h"

using namespace tsf_host;

namespace {

// The library's language-bar slots over the host's item manager, or over a host without one
// (as Wine's framework is): typing works either way, and nothing stays on the bar.
TEST(ServiceWindowSlots, LanguageBarButtonsOrNone) {
    const struct {
        const char* name;
        bool itemManager;
        bool addRefused;
        HRESULT result;
        int items;
    } cases[] = {
        {"the Chinese/English button on the bar", true, false, S_OK, 1},
        {"no item manager: no buttons, activation goes on", false, false, S_OK, 0},
        {"the manager refuses the button", true, true, E_FAIL, 0},
    };
    const int baseline = LiveHostObjects();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        {
            ServiceFixture f;
            TextServiceHooks table = {};
            InstallServiceLanguageBarHooks(table);
            SetServiceHooks(&table);
            // No status window on the test host.
            f.engine->e->ime->options |= kImeStatusHidden;
            if (!c.itemManager) f.host->Fail("QueryInterface:ITfLangBarItemMgr");
            if (c.addRefused) f.host->Fail("AddItem");
            EXPECT_EQ(f.Activate(), c.result);
            EXPECT_EQ(f.host->LanguageBarItems(), c.items);
            if (c.result == S_OK) {
                f.TypeKeypad("64486");
                EXPECT_TRUE(f.Tap(VK_SPACE));
                EXPECT_EQ(f.host->Text(), L"你好");
            } else {
                EXPECT_EQ(f.service->engine(), nullptr);
            }
            f.service->Deactivate();
            EXPECT_EQ(f.host->LanguageBarItems(), 0);
            EXPECT_EQ(f.host->AdvisedSinks(), 0);
            for (IUnknown* b : f.service->languageBarButtons) EXPECT_EQ(b, nullptr);
        }
        EXPECT_EQ(LiveHostObjects(), baseline);
    }
}

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
