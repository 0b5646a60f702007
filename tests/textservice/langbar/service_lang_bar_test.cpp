// The language bar as the text service puts it up on the test host.
#include "textservice/langbar/service_lang_bar.h"

#include <gtest/gtest.h>

#include "core/settings/config_blocks.h"
#include "support/tsf_host/service_fixture.h"
#include "textservice/langbar/lang_bar_buttons.h"
#include "textservice/object_count.h"
#include "ui/windows/ui_state_block.h"

using namespace tsf_host;

namespace {

GUID ItemGuid(ITfLangBarItem* item) {
    TF_LANGBARITEMINFO info{};
    item->GetInfo(&info);
    return info.guidItem;
}

DWORD Status(ITfLangBarItem* item) {
    DWORD status = 0;
    item->GetStatus(&status);
    return status;
}

struct ServiceCase {
    const char* name;
    uint32_t version;
    uint32_t options, visibleItems;
    std::vector<const GUID*> items;
};

TEST(ServiceLangBar, ButtonsUpWhileActive) {
    const uint32_t E = kImeStatusEmbedded;
    const ServiceCase cases[] = {
        {"Windows 10", 0x0A00, E, kVisibleShipped, {&GUID_LBI_INPUTMODE}},
        {"Windows 7, not embedded", 0x0601, 0, kVisibleShipped, {&kInputModeItemBefore62}},
        {"Windows 7, embedded, all buttons",
         0x0601,
         E,
         kVisibleShipped,
         {&kInputModeItemBefore62, &kWidthItem, &kPunctuationItem, &kSoftKeyboardItem,
          &kFunctionMenuItem}},
        {"Windows 7, embedded, width only",
         0x0601,
         E,
         kVisibleWidthButton,
         {&kInputModeItemBefore62, &kWidthItem}},
    };
    for (const ServiceCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int baseline = LiveHostObjects();
        {
            ServiceFixture f;
            InstallServiceLanguageBarHooks(f.hooks());
            f.version = c.version;
            f.engine->e->ime->options = (f.engine->e->ime->options & ~E) | c.options;
            f.engine->e->ime->visibleItems = c.visibleItems;
            ASSERT_EQ(f.Activate(), S_OK);
            const std::vector<ITfLangBarItem*> items = f.host->LangBarItems();
            ASSERT_EQ(items.size(), c.items.size());
            for (size_t i = 0; i < items.size(); ++i)
                EXPECT_TRUE(IsEqualGUID(ItemGuid(items[i]), *c.items[i])) << i;
            // Thread focus hides and shows the embedded buttons.
            f.service->OnKillThreadFocus();
            for (ITfLangBarItem* item : f.host->LangBarItems())
                EXPECT_EQ(Status(item), (c.options & E) ? TF_LBI_STATUS_HIDDEN : 0u);
            f.service->OnSetThreadFocus();
            for (ITfLangBarItem* item : f.host->LangBarItems()) EXPECT_EQ(Status(item), 0u);
            f.service->Deactivate();
            EXPECT_TRUE(f.host->LangBarItems().empty());
            EXPECT_EQ(f.host->LangBarRemovals(), static_cast<int>(c.items.size()));
            for (IUnknown* slot : f.service->languageBarButtons) EXPECT_EQ(slot, nullptr);
        }
        EXPECT_EQ(LiveHostObjects(), baseline);
        EXPECT_EQ(ObjectCountValue(), kObjectCountIdle);
    }
}

TEST(ServiceLangBar, WithoutAnItemManagerTheServiceStillActivates) {
    ServiceFixture f;
    InstallServiceLanguageBarHooks(f.hooks());
    f.host->Fail("QueryInterface:ITfLangBarItemMgr");
    EXPECT_EQ(f.Activate(), S_OK);
    EXPECT_TRUE(f.host->LangBarItems().empty());
    // The status bar stands in; its menus know the record belongs to the text service.
    ASSERT_NE(f.service->engine()->uiState, nullptr);
    EXPECT_TRUE(f.service->engine()->uiState->host.textService);
    f.TypeKeypad("64486");
    f.Tap(VK_SPACE);
    EXPECT_EQ(f.host->Text(), L"你好");
}

TEST(ServiceLangBar, RefusedButtonFailsTheActivation) {
    ServiceFixture f;
    InstallServiceLanguageBarHooks(f.hooks());
    f.host->Fail("AddItem");
    EXPECT_EQ(f.Activate(), E_FAIL);
    EXPECT_EQ(f.service->engine(), nullptr);
    for (IUnknown* slot : f.service->languageBarButtons) EXPECT_EQ(slot, nullptr);
}

TEST(ServiceLangBar, ModeChangesReachTheButtonsSink) {
    ServiceFixture f;
    InstallServiceLanguageBarHooks(f.hooks());
    f.version = 0x0A00;
    ASSERT_EQ(f.Activate(), S_OK);
    ASSERT_EQ(f.host->LangBarItems().size(), 1u);
    ITfLangBarItemButton* button = nullptr;
    ASSERT_EQ(f.host->LangBarItems()[0]->QueryInterface(IID_ITfLangBarItemButton,
                                                        reinterpret_cast<void**>(&button)),
              S_OK);
    // A click switches to English through the service's command handler.
    RECT area{0, 0, 16, 16};
    EXPECT_EQ(button->OnClick(TF_LBI_CLK_LEFT, POINT{1, 1}, &area), S_OK);
    EXPECT_TRUE(f.service->engine()->state & kStateEnglishMode);
    EXPECT_EQ(button->OnClick(TF_LBI_CLK_LEFT, POINT{1, 1}, &area), S_OK);
    EXPECT_FALSE(f.service->engine()->state & kStateEnglishMode);
    button->Release();
}

}  // namespace
