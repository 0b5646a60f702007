#include "textservice/langbar/lang_bar_buttons.h"

#include <gtest/gtest.h>
#include <olectl.h>

#include <string>
#include <vector>

#include "core/settings/config_blocks.h"
#include "engine/engine_fixture.h"
#include "engine/platform.h"
#include "engine/ui_command.h"
#include "support/sent_commands.h"
#include "textservice/keys/key_path_state.h"

using engine_test::TestEngine;

namespace {

// IUnknown with a visible reference count, standing in for the text service.
class FakeService : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    ULONG refs = 1;
};

// Records AddItem and RemoveItem; AddItem of the listed item can be refused.
class FakeItemMgr : public ITfLangBarItemMgr {
public:
    STDMETHODIMP QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP EnumItems(IEnumTfLangBarItems**) override { return E_NOTIMPL; }
    STDMETHODIMP GetItem(REFGUID, ITfLangBarItem**) override { return E_NOTIMPL; }
    STDMETHODIMP AddItem(ITfLangBarItem* item) override {
        TF_LANGBARITEMINFO info{};
        item->GetInfo(&info);
        if (refuse && IsEqualGUID(info.guidItem, *refuse)) return E_FAIL;
        added.push_back(info);
        return S_OK;
    }
    STDMETHODIMP RemoveItem(ITfLangBarItem* item) override {
        TF_LANGBARITEMINFO info{};
        item->GetInfo(&info);
        removed.push_back(info.guidItem);
        return S_OK;
    }
    STDMETHODIMP AdviseItemSink(ITfLangBarItemSink*, DWORD*, REFGUID) override { return E_NOTIMPL; }
    STDMETHODIMP UnadviseItemSink(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetItemFloatingRect(DWORD, REFGUID, RECT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetItemsStatus(ULONG, const GUID*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP GetItemNum(ULONG*) override { return E_NOTIMPL; }
    STDMETHODIMP GetItems(ULONG, ITfLangBarItem**, TF_LANGBARITEMINFO*, DWORD*, ULONG*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP AdviseItemsSink(ULONG, ITfLangBarItemSink**, const GUID*, DWORD*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP UnadviseItemsSink(ULONG, DWORD*) override { return E_NOTIMPL; }

    std::vector<TF_LANGBARITEMINFO> added;
    std::vector<GUID> removed;
    const GUID* refuse = nullptr;
};

class FakeMenu : public ITfMenu {
public:
    struct Added {
        UINT id;
        DWORD flags;
        std::wstring text;
    };
    STDMETHODIMP QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP AddMenuItem(UINT id, DWORD flags, HBITMAP, HBITMAP, const WCHAR* text, ULONG cch,
                             ITfMenu** sub) override {
        if (sub) *sub = nullptr;
        items.push_back({id, flags, std::wstring(text, cch)});
        return S_OK;
    }
    std::vector<Added> items;
};

class FakeSink : public ITfLangBarItemSink {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (IsEqualIID(riid, IID_ITfLangBarItemSink) || IsEqualIID(riid, IID_IUnknown)) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    STDMETHODIMP OnUpdate(DWORD flags) override {
        updates.push_back(flags);
        return S_OK;
    }
    std::vector<DWORD> updates;
    ULONG refs = 1;
};

using testing_support::g_sent;
using testing_support::RecordCommand;

bool g_capsLock = false;
int16_t KeyState(int vk) { return vk == VK_CAPITAL && g_capsLock ? 1 : 0; }

int g_menus = 0;
bool g_menuAtKnownPoint = false;
void FunctionMenu(Engine*, POINT, bool known) {
    ++g_menus;
    g_menuAtKnownPoint = known;
}

std::vector<int> g_icons;
HICON LoadIconStub(int id) {
    g_icons.push_back(id);
    return id == 999 ? nullptr : reinterpret_cast<HICON>(static_cast<intptr_t>(id));
}

class LangBarTest : public testing::Test {
protected:
    LangBarTest() {
        platform_.keyState = KeyState;
        SetPlatform(&platform_);
        g_capsLock = false;
        g_sent.clear();
        g_menus = 0;
        g_icons.clear();
        t.e->uiCommand = {RecordCommand, nullptr};
        owner = {t.e, &service, 0x0601, FunctionMenu, LoadIconStub};
    }
    ~LangBarTest() override { SetPlatform(nullptr); }

    ITfLangBarItemButton* Make(LangBarButton kind) { return CreateLangBarButton(kind, owner); }

    EnginePlatform platform_{};
    TestEngine t;
    FakeService service;
    LangBarOwner owner;
};

struct AddCase {
    const char* name;
    uint32_t windowsVersion;
    uint32_t options, visibleItems;
    std::vector<const GUID*> items;
    DWORD firstStyle;
};

TEST_F(LangBarTest, ButtonsAddedByVersionOptionsAndVisibleItems) {
    const uint32_t E = kImeStatusEmbedded;
    const AddCase cases[] = {
        {"Windows 10: only the input-mode button",
         0x0A00,
         E,
         kVisibleShipped,
         {&GUID_LBI_INPUTMODE},
         0x10002},
        {"Windows 8 embedded: only the input-mode button",
         0x0602,
         E,
         kVisibleShipped,
         {&GUID_LBI_INPUTMODE},
         0x10002},
        {"Windows 7, status bar not embedded",
         0x0601,
         0,
         kVisibleShipped,
         {&kInputModeItemBefore62},
         0x30002},
        {"Windows 7 embedded, all four",
         0x0601,
         E,
         kVisibleShipped,
         {&kInputModeItemBefore62, &kWidthItem, &kPunctuationItem, &kSoftKeyboardItem,
          &kFunctionMenuItem},
         0x10002},
        {"Windows 7 embedded, punctuation and menu only",
         0x0601,
         E,
         kVisiblePunctButton | kVisibleMenuButton,
         {&kInputModeItemBefore62, &kPunctuationItem, &kFunctionMenuItem},
         0x30002},
        {"Vista embedded, soft keyboard only",
         0x0600,
         E,
         kVisibleSoftKeyButton,
         {&kInputModeItemBefore62, &kSoftKeyboardItem},
         0x30002},
    };
    for (const AddCase& c : cases) {
        SCOPED_TRACE(c.name);
        t.e->ime->options = c.options;
        t.e->ime->visibleItems = c.visibleItems;
        owner.windowsVersion = c.windowsVersion;
        FakeItemMgr mgr;
        LangBarButtons buttons{};
        EXPECT_EQ(AddLanguageBarButtons(buttons, owner, &mgr), 1);
        ASSERT_EQ(mgr.added.size(), c.items.size());
        for (size_t i = 0; i < c.items.size(); ++i) {
            EXPECT_TRUE(IsEqualGUID(mgr.added[i].guidItem, *c.items[i])) << i;
            EXPECT_TRUE(IsEqualGUID(mgr.added[i].clsidService, t.e->guid));
            EXPECT_EQ(mgr.added[i].ulSort, 1u);
        }
        EXPECT_EQ(mgr.added[0].dwStyle, c.firstStyle);
        EXPECT_EQ(std::wstring(mgr.added[0].szDescription), L"中文/英文");
        EXPECT_EQ(service.refs, 1u + c.items.size());
        RemoveLanguageBarButtons(buttons, &mgr);
        EXPECT_EQ(mgr.removed.size(), c.items.size());
        EXPECT_EQ(service.refs, 1u);
        for (ITfLangBarItemButton* b : buttons.items) EXPECT_EQ(b, nullptr);
    }
}

TEST_F(LangBarTest, AddingFailsWithoutItemManagerOrWhenRefused) {
    LangBarButtons buttons{};
    EXPECT_EQ(AddLanguageBarButtons(buttons, owner, nullptr), 0);
    FakeItemMgr mgr;
    mgr.refuse = &kInputModeItemBefore62;
    EXPECT_EQ(AddLanguageBarButtons(buttons, owner, &mgr), 0);
    EXPECT_EQ(buttons.items[0], nullptr);
    EXPECT_EQ(service.refs, 1u);
    // A second add takes the first set down.
    mgr.refuse = nullptr;
    EXPECT_EQ(AddLanguageBarButtons(buttons, owner, &mgr), 1);
    EXPECT_EQ(AddLanguageBarButtons(buttons, owner, &mgr), 1);
    EXPECT_EQ(mgr.removed.size(), 1u);
    RemoveLanguageBarButtons(buttons, &mgr);
    EXPECT_EQ(service.refs, 1u);
}

TEST_F(LangBarTest, StatusReportsWhatTheSinkIsTold) {
    t.e->ime->options = kImeStatusEmbedded;
    t.e->ime->visibleItems = kVisibleWidthButton;
    FakeItemMgr mgr;
    LangBarButtons buttons{};
    ASSERT_EQ(AddLanguageBarButtons(buttons, owner, &mgr), 1);
    FakeSink sinks[2];
    for (int i = 0; i < 2; ++i) {
        ITfSource* source = nullptr;
        ASSERT_EQ(
            buttons.items[i]->QueryInterface(IID_ITfSource, reinterpret_cast<void**>(&source)),
            S_OK);
        DWORD cookie = 0;
        EXPECT_EQ(source->AdviseSink(IID_ITfLangBarItemSink, &sinks[i], &cookie), S_OK);
        DWORD second = 0;
        EXPECT_EQ(source->AdviseSink(IID_ITfLangBarItemSink, &sinks[i], &second),
                  CONNECT_E_ADVISELIMIT);
        source->Release();
    }
    SetLanguageBarButtonsHidden(buttons, true);
    for (int i = 0; i < 2; ++i) {
        DWORD status = 0;
        EXPECT_EQ(buttons.items[i]->GetStatus(&status), S_OK);
        EXPECT_EQ(status, TF_LBI_STATUS_HIDDEN);
        EXPECT_EQ(sinks[i].updates, (std::vector<DWORD>{0x10001}));
    }
    SetLanguageBarButtonsHidden(buttons, true);  // no change, no news
    EXPECT_EQ(sinks[0].updates.size(), 1u);
    SetLanguageBarButtonsHidden(buttons, false);
    DWORD status = 1;
    buttons.items[0]->GetStatus(&status);
    EXPECT_EQ(status, 0u);
    RefreshLanguageBarButtons(buttons, t.e);
    EXPECT_EQ(sinks[1].updates.size(), 3u);
    t.e->ime->options = 0;  // not embedded: the input-mode button alone
    RefreshLanguageBarButtons(buttons, t.e);
    EXPECT_EQ(sinks[0].updates.size(), 4u);
    EXPECT_EQ(sinks[1].updates.size(), 3u);
    RemoveLanguageBarButtons(buttons, &mgr);
    EXPECT_EQ(sinks[0].refs, 1u);  // the buttons let go of their sinks
}

struct ClickCase {
    const char* name;
    LangBarButton kind;
    uint32_t state;
    bool capsLock;
    TfLBIClick click;
    uint32_t code;  // 0: nothing sent
};

TEST_F(LangBarTest, ClicksSendTheOtherState) {
    const uint32_t D = kStateKeyboardDisabled;
    const ClickCase cases[] = {
        {"Chinese to English", LangBarButton::kInputMode, 0, false, TF_LBI_CLK_LEFT,
         uicmd::kEnglishInput},
        {"English to Chinese", LangBarButton::kInputMode, kStateEnglishMode, false, TF_LBI_CLK_LEFT,
         uicmd::kChineseInput},
        {"closed opens in Chinese", LangBarButton::kInputMode, kStateImeClosed, false,
         TF_LBI_CLK_LEFT, uicmd::kChineseInput},
        {"Caps Lock on: no switch", LangBarButton::kInputMode, 0, true, TF_LBI_CLK_LEFT, 0},
        {"disabled: nothing", LangBarButton::kInputMode, D, false, TF_LBI_CLK_LEFT, 0},
        {"half to full width", LangBarButton::kWidth, 0, false, TF_LBI_CLK_LEFT, uicmd::kFullWidth},
        {"full to half width", LangBarButton::kWidth, kStateFullWidthOutput, false, TF_LBI_CLK_LEFT,
         uicmd::kHalfWidth},
        {"width disabled", LangBarButton::kWidth, D, false, TF_LBI_CLK_LEFT, 0},
        {"Chinese to English punctuation", LangBarButton::kPunctuation, 0, false, TF_LBI_CLK_LEFT,
         uicmd::kEnglishPunct},
        {"English to Chinese punctuation", LangBarButton::kPunctuation, kStateEnglishPunct, false,
         TF_LBI_CLK_LEFT, uicmd::kChinesePunct},
        {"right click on width", LangBarButton::kWidth, 0, false, TF_LBI_CLK_RIGHT, 0},
    };
    for (const ClickCase& c : cases) {
        SCOPED_TRACE(c.name);
        g_sent.clear();
        g_capsLock = c.capsLock;
        t.e->state = c.state;
        ITfLangBarItemButton* b = Make(c.kind);
        RECT area = {0, 0, 16, 16};
        EXPECT_EQ(b->OnClick(c.click, POINT{5, 5}, &area), S_OK);
        if (c.code) {
            ASSERT_EQ(g_sent.size(), 1u);
            EXPECT_EQ(g_sent[0].code, c.code);
        } else {
            EXPECT_TRUE(g_sent.empty());
        }
        b->Release();
    }
}

TEST_F(LangBarTest, FunctionMenuInPlaceOfTheFrameworks) {
    struct Case {
        const char* name;
        LangBarButton kind;
        uint32_t version;
        bool rightClick;  // else InitMenu
        int menus;
        HRESULT result;
    };
    const Case cases[] = {
        {"option button menu", LangBarButton::kFunctionMenu, 0x0601, false, 1, E_FAIL},
        {"input-mode button menu before 6.2", LangBarButton::kInputMode, 0x0601, false, 1, E_FAIL},
        {"right click from 6.2", LangBarButton::kInputMode, 0x0A00, true, 1, S_OK},
        {"right click before 6.2: the framework's menu", LangBarButton::kInputMode, 0x0601, true, 0,
         S_OK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_menus = 0;
        owner.windowsVersion = c.version;
        ITfLangBarItemButton* b = Make(c.kind);
        FakeMenu menu;
        RECT area = {0, 0, 16, 16};
        const HRESULT r =
            c.rightClick ? b->OnClick(TF_LBI_CLK_RIGHT, POINT{3, 4}, &area) : b->InitMenu(&menu);
        EXPECT_EQ(r, c.result);
        EXPECT_EQ(g_menus, c.menus);
        EXPECT_TRUE(menu.items.empty());
        if (c.rightClick && c.menus) {
            EXPECT_TRUE(g_menuAtKnownPoint);
        }
        b->Release();
    }
    t.e->state = kStateKeyboardDisabled;
    g_menus = 0;
    ITfLangBarItemButton* b = Make(LangBarButton::kFunctionMenu);
    FakeMenu menu;
    EXPECT_EQ(b->InitMenu(&menu), S_OK);
    EXPECT_EQ(g_menus, 0);
    b->Release();
}

TEST_F(LangBarTest, SoftKeyboardMenuItemsAndChoices) {
    t.e->softKeyboardLayout = 3;
    ITfLangBarItemButton* b = Make(LangBarButton::kSoftKeyboard);
    FakeMenu menu;
    EXPECT_EQ(b->InitMenu(&menu), S_OK);
    ASSERT_EQ(menu.items.size(), 15u);
    EXPECT_EQ(menu.items[0].id, 21u);
    EXPECT_EQ(menu.items[0].text, L"&1  PC 键盘");
    EXPECT_EQ(menu.items[2].id, 23u);
    EXPECT_EQ(menu.items[2].flags, TF_LBMENUF_CHECKED);
    for (size_t i = 0; i < menu.items.size(); ++i)
        if (i != 2 && i != 13) {
            EXPECT_EQ(menu.items[i].flags, 0u) << i;
        }
    EXPECT_EQ(menu.items[9].id, 210u);
    EXPECT_EQ(menu.items[12].text, L"&13  特殊符号");
    EXPECT_EQ(menu.items[13].flags, TF_LBMENUF_SEPARATOR);
    EXPECT_EQ(menu.items[14].id, 214u);
    EXPECT_EQ(menu.items[14].text, L"&C 关闭软键盘    ");

    struct Choice {
        UINT id;
        uintptr_t layout;
    };
    for (const Choice& c : {Choice{21, 1}, Choice{28, 8}, Choice{29, 9}, Choice{210, 10},
                            Choice{213, 13}, Choice{214, 0}}) {
        SCOPED_TRACE(c.id);
        g_sent.clear();
        EXPECT_EQ(b->OnMenuSelect(c.id), S_OK);
        ASSERT_EQ(g_sent.size(), 1u);
        EXPECT_EQ(g_sent[0].code, uicmd::kSoftKeyboard);
        EXPECT_NE(g_sent[0].first, 0u);  // "close" never toggles a hidden keyboard open
        EXPECT_EQ(g_sent[0].second, c.layout);
    }
    g_sent.clear();
    b->OnMenuSelect(0);
    b->OnMenuSelect(215);
    EXPECT_TRUE(g_sent.empty());
    b->Release();
}

TEST_F(LangBarTest, IconsByState) {
    struct Case {
        LangBarButton kind;
        uint32_t state;
        bool capsLock;
        int icon;
    };
    const Case cases[] = {
        {LangBarButton::kInputMode, 0, false, 106},
        {LangBarButton::kInputMode, kStateEnglishMode, false, 103},
        {LangBarButton::kInputMode, kStateEnglishMode, true, 122},
        {LangBarButton::kInputMode, kStateImeClosed, true, 123},
        {LangBarButton::kInputMode, kStateImeClosed | kStateKeyboardDisabled, true, 124},
        {LangBarButton::kWidth, 0, false, 102},
        {LangBarButton::kWidth, kStateFullWidthOutput, false, 108},
        {LangBarButton::kPunctuation, 0, false, 104},
        {LangBarButton::kPunctuation, kStateEnglishPunct, false, 105},
        {LangBarButton::kSoftKeyboard, 0, false, 109},
        {LangBarButton::kFunctionMenu, 0, false, 107},
    };
    for (const Case& c : cases) {
        t.e->state = c.state;
        g_capsLock = c.capsLock;
        g_icons.clear();
        ITfLangBarItemButton* b = Make(c.kind);
        HICON icon = nullptr;
        EXPECT_EQ(b->GetIcon(&icon), S_OK);
        EXPECT_EQ(g_icons, std::vector<int>{c.icon});
        b->Release();
    }
    owner.loadIcon = [](int) -> HICON { return nullptr; };
    ITfLangBarItemButton* b = Make(LangBarButton::kWidth);
    HICON icon = nullptr;
    EXPECT_EQ(b->GetIcon(&icon), E_FAIL);
    EXPECT_EQ(b->GetIcon(nullptr), E_INVALIDARG);
    b->Release();
}

TEST_F(LangBarTest, TextsAndTooltips) {
    struct Case {
        LangBarButton kind;
        const wchar_t* text;
    };
    const Case cases[] = {
        {LangBarButton::kInputMode, L"中文/英文"},
        {LangBarButton::kWidth, L"全/半角(Shift+Space)"},
        {LangBarButton::kPunctuation, L"中/英文符号(Ctrl+.)"},
        {LangBarButton::kSoftKeyboard, L"软键盘"},
        {LangBarButton::kFunctionMenu, L"功能菜单"},
    };
    for (const Case& c : cases) {
        ITfLangBarItemButton* b = Make(c.kind);
        BSTR text = nullptr;
        EXPECT_EQ(b->GetText(&text), S_OK);
        EXPECT_EQ(std::wstring(text), c.text);
        SysFreeString(text);
        BSTR tip = nullptr;
        EXPECT_EQ(b->GetTooltipString(&tip), S_OK);
        if (c.kind == LangBarButton::kInputMode)
            EXPECT_EQ(std::wstring(tip), L"当前状态：中文，半角，中文标点");
        else
            EXPECT_EQ(std::wstring(tip), c.text);
        SysFreeString(tip);
        EXPECT_EQ(b->Show(TRUE), E_NOTIMPL);
        EXPECT_EQ(b->GetText(nullptr), E_INVALIDARG);
        b->Release();
    }
}

}  // namespace
