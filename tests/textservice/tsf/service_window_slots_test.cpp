// What the text service asks of its window slots and the language bar: buttons only where the
// framework has a language bar (activation goes on without one), the status window by the
// settings and the activation flags as focus moves, the candidate window's anchor and the
// state tip's place.
#include <gtest/gtest.h>

#include "core/settings/config_blocks.h"
#include "support/tsf_host/service_fixture.h"

using namespace tsf_host;

namespace {

TEST(ServiceWindowSlots, LanguageBarAndStatusWindowAtActivation) {
    const struct {
        const char* name;
        bool itemManager;
        uint32_t options;
        DWORD flags;
        int languageBarResult;
        HRESULT result;
        int asked;
        int shown;
    } cases[] = {
        {"with a language bar and the status window", true, 0, 0, 1, S_OK, 1, 1},
        {"no item manager: no buttons, the status window", false, 0, 0, 1, S_OK, 0, 1},
        {"no item manager and a slot that would refuse", false, 0, 0, 0, S_OK, 0, 1},
        {"the manager refuses the buttons", true, 0, 0, 0, E_FAIL, 1, 0},
        {"status bar embedded in the language bar", true, kImeStatusEmbedded, 0, 1, S_OK, 1, 0},
        {"status bar hidden", false, kImeStatusHidden, 0, 1, S_OK, 0, 0},
        {"activation flags keep it hidden", false, 0, TF_TMAE_UIELEMENTENABLEDONLY, 1, S_OK, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ServiceFixture f;
        if (!c.itemManager) f.host->Fail("QueryInterface:ITfLangBarItemMgr");
        f.engine->e->ime->options =
            (f.engine->e->ime->options & ~(kImeStatusEmbedded | kImeStatusHidden)) | c.options;
        f.languageBarResult = c.languageBarResult;
        EXPECT_EQ(f.Activate(c.flags), c.result);
        EXPECT_EQ(f.languageBarAsked, c.asked);
        EXPECT_EQ(f.statusShown, c.shown);
        if (c.result != S_OK) {
            EXPECT_EQ(f.service->engine(), nullptr);
            EXPECT_EQ(f.host->AdvisedSinks(), 0);
            continue;
        }
        // Typing works with or without the buttons.
        f.TypeKeypad("64486");
        EXPECT_TRUE(f.Tap(VK_SPACE));
        EXPECT_EQ(f.host->Text(), L"你好");
    }
}

TEST(ServiceWindowSlots, StatusWindowFollowsThreadAndDocumentFocus) {
    const struct {
        const char* name;
        uint32_t options;
        DWORD flags;
        int shownOnFocus;
        int hiddenOnLoss;
    } cases[] = {
        {"shown and hidden", 0, 0, 1, 1},
        {"hidden by the settings: not shown, still hidden on loss", kImeStatusHidden, 0, 0, 1},
        {"embedded: the buttons instead", kImeStatusEmbedded, 0, 0, 0},
        {"activation flags: neither", 0, TF_TMAE_CONSOLE, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ServiceFixture f;
        f.engine->e->ime->options =
            (f.engine->e->ime->options & ~(kImeStatusEmbedded | kImeStatusHidden)) | c.options;
        ASSERT_EQ(f.Activate(c.flags), S_OK);
        f.statusShown = f.statusHidden = 0;
        EXPECT_EQ(f.service->OnKillThreadFocus(), S_OK);
        EXPECT_EQ(f.statusHidden, c.hiddenOnLoss);
        EXPECT_EQ(f.service->OnSetThreadFocus(), S_OK);
        EXPECT_EQ(f.statusShown, c.shownOnFocus);
        // Document focus moves the windows the same way.
        f.statusShown = f.statusHidden = 0;
        f.host->SetDocumentFocus(false);
        EXPECT_EQ(f.statusHidden, c.hiddenOnLoss);
        f.host->SetDocumentFocus(true);
        EXPECT_EQ(f.statusShown, c.shownOnFocus);
    }
}

TEST(ServiceWindowSlots, InterfaceToggleShowsOrHidesTheStatusWindow) {
    ServiceFixture f;
    ASSERT_EQ(f.Activate(), S_OK);
    ImeConfigData* ime = f.engine->e->ime;
    ime->options &= ~(kImeStatusEmbedded | kImeStatusHidden);
    f.statusShown = f.statusHidden = 0;
    ime->options |= kImeStatusHidden;
    f.service->InterfaceToggled();
    EXPECT_EQ(f.statusHidden, 1);
    ime->options &= ~kImeStatusHidden;
    f.service->InterfaceToggled();
    EXPECT_EQ(f.statusShown, 1);
    ime->options |= kImeStatusEmbedded;
    f.service->InterfaceToggled();
    EXPECT_EQ(f.statusShown + f.statusHidden, 2);
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
