#include "textservice/langbar/lang_bar_buttons.h"

#include <oleauto.h>
#include <olectl.h>

#include <cwchar>
#include <new>

#include "core/base/boundary_guard.h"
#include "core/settings/config_blocks.h"
#include "engine/platform.h"
#include "engine/ui_command.h"
#include "textservice/keys/key_path_state.h"
#include "textservice/object_count.h"
#include "ui/status/status_text.h"

const GUID kInputModeItemBefore62 = {
    0xB32EEC42, 0x3039, 0x46DA, {0x83, 0x8E, 0x6D, 0xF8, 0xF8, 0x9A, 0xD4, 0xD7}};
const GUID kWidthItem = {
    0x741F7C95, 0xAEB0, 0x4725, {0xAC, 0x58, 0x53, 0x68, 0x76, 0xB8, 0xBA, 0x31}};
const GUID kPunctuationItem = {
    0x40822316, 0xAD2C, 0x4C1F, {0xB7, 0x9E, 0xE0, 0x81, 0x16, 0xE9, 0x06, 0x7D}};
const GUID kSoftKeyboardItem = {
    0x3D98B0DC, 0x7E25, 0x4716, {0x98, 0xBF, 0xCE, 0x88, 0xDD, 0x84, 0x58, 0x72}};
const GUID kFunctionMenuItem = {
    0x9AE05AF2, 0xBE59, 0x4041, {0x8F, 0xE1, 0xFE, 0x11, 0x70, 0x8B, 0x03, 0x51}};

namespace {

constexpr uint32_t kWindows62 = 0x0602;
constexpr DWORD kStyleButton = TF_LBI_STYLE_BTN_BUTTON | TF_LBI_STYLE_SHOWNINTRAY;
constexpr DWORD kStyleButtonWithMenu =
    TF_LBI_STYLE_BTN_BUTTON | TF_LBI_STYLE_BTN_MENU | TF_LBI_STYLE_SHOWNINTRAY;
constexpr DWORD kStyleMenu = TF_LBI_STYLE_BTN_MENU | TF_LBI_STYLE_SHOWNINTRAY;
constexpr DWORD kUpdateIconAndStatus = TF_LBI_ICON | TF_LBI_STATUS;
constexpr DWORD kSinkCookie = 1;
// Show value of the soft-keyboard command: nonzero, so that layout 0 always hides.
constexpr uintptr_t kSoftKeyboardShow = 22;

bool CapsLockOn() { return (PLATFORM_CALL(keyState)(VK_CAPITAL) & 1) != 0; }

bool Disabled(const Engine* e) { return e && (e->state & kStateKeyboardDisabled); }

bool Embedded(const Engine* e) { return e && e->ime && (e->ime->options & kImeStatusEmbedded); }

HICON LoadIconResource(int id) {
    const int size = GetSystemMetrics(SM_CXSMICON);
    return static_cast<HICON>(
        LoadImageW(dllInstance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
}

HRESULT NewBstr(const wchar_t* text, BSTR* out) {
    if (!out) return E_INVALIDARG;
    *out = SysAllocString(text);
    return *out ? S_OK : E_OUTOFMEMORY;
}

struct SoftKeyboardMenuItem {
    UINT id;
    const wchar_t* text;
    uint32_t layout;  // 0: separator or close
};

constexpr SoftKeyboardMenuItem kSoftKeyboardMenu[] = {
    {21, L"&1  PC 键盘", 1},        {22, L"&2   希腊字母", 2},
    {23, L"&3   俄文字母", 3},      {24, L"&4   注音符号", 4},
    {25, L"&5   拼音符号", 5},      {26, L"&6   日文平假名", 6},
    {27, L"&7   日文片假名", 7},    {28, L"&8   标点符号", 8},
    {29, L"&9   数字序号", 9},      {210, L"&10  数学符号", 10},
    {211, L"&11  制表符号", 11},    {212, L"&12  单位符号", 12},
    {213, L"&13  特殊符号", 13},    {0, nullptr, 0},
    {214, L"&C 关闭软键盘    ", 0},
};

class CLangBarItem : public ITfLangBarItemButton, public ITfSource {
public:
    CLangBarItem(const LangBarOwner& owner, const GUID& item, DWORD style,
                 const wchar_t* description)
        : owner_(owner) {
        ObjectCountIncrement();
        if (owner_.service) owner_.service->AddRef();
        info_.clsidService = owner.engine ? owner.engine->guid : GUID{};
        info_.guidItem = item;
        info_.dwStyle = style;
        info_.ulSort = 1;
        const size_t n = wcsnlen(description, TF_LBI_DESC_MAXLEN - 1);
        wmemcpy(info_.szDescription, description, n);
        info_.szDescription[n] = 0;
    }
    virtual ~CLangBarItem() {
        if (sink_) sink_->Release();
        if (owner_.service) owner_.service->Release();
        ObjectCountDecrement();
    }
    CLangBarItem(const CLangBarItem&) = delete;
    CLangBarItem& operator=(const CLangBarItem&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        return Guarded(E_FAIL, [&]() -> HRESULT {
            if (!out) return E_INVALIDARG;
            *out = nullptr;
            if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ITfLangBarItem) ||
                IsEqualIID(riid, IID_ITfLangBarItemButton))
                *out = static_cast<ITfLangBarItemButton*>(this);
            else if (IsEqualIID(riid, IID_ITfSource))
                *out = static_cast<ITfSource*>(this);
            else
                return E_NOINTERFACE;
            AddRef();
            return S_OK;
        });
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    // ITfLangBarItem
    STDMETHODIMP GetInfo(TF_LANGBARITEMINFO* out) override {
        return Guarded(E_FAIL, [&]() -> HRESULT {
            if (!out) return E_INVALIDARG;
            *out = info_;
            return S_OK;
        });
    }
    STDMETHODIMP GetStatus(DWORD* out) override {
        return Guarded(E_FAIL, [&]() -> HRESULT {
            if (!out) return E_INVALIDARG;
            *out = status_;
            return S_OK;
        });
    }
    STDMETHODIMP Show(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetTooltipString(BSTR* out) override {
        return Guarded(E_FAIL, [&]() -> HRESULT {
            wchar_t text[kStatusTextUnits];
            Tooltip(text);
            return NewBstr(text, out);
        });
    }

    // ITfLangBarItemButton
    STDMETHODIMP OnClick(TfLBIClick click, POINT at, const RECT* area) override {
        return Guarded(E_FAIL, [&]() -> HRESULT {
            if (!Disabled(owner_.engine)) Click(click, at, area);
            return S_OK;
        });
    }
    STDMETHODIMP InitMenu(ITfMenu* menu) override {
        return Guarded(E_FAIL, [&]() -> HRESULT {
            if (Disabled(owner_.engine)) return S_OK;
            return Menu(menu);
        });
    }
    STDMETHODIMP OnMenuSelect(UINT id) override {
        return Guarded(E_FAIL, [&]() -> HRESULT {
            if (!Disabled(owner_.engine)) MenuSelect(id);
            return S_OK;
        });
    }
    STDMETHODIMP GetIcon(HICON* out) override {
        return Guarded(E_FAIL, [&]() -> HRESULT {
            if (!out) return E_INVALIDARG;
            const int id = IconId();
            *out = owner_.loadIcon ? owner_.loadIcon(id) : LoadIconResource(id);
            return *out ? S_OK : E_FAIL;
        });
    }
    STDMETHODIMP GetText(BSTR* out) override {
        return Guarded(E_FAIL, [&] { return NewBstr(info_.szDescription, out); });
    }

    // ITfSource: one language-bar item sink.
    STDMETHODIMP AdviseSink(REFIID riid, IUnknown* unknown, DWORD* cookie) override {
        return Guarded(E_FAIL, [&]() -> HRESULT {
            if (!cookie) return E_INVALIDARG;
            *cookie = 0;
            if (!IsEqualIID(riid, IID_ITfLangBarItemSink)) return CONNECT_E_CANNOTCONNECT;
            if (sink_) return CONNECT_E_ADVISELIMIT;
            if (!unknown) return E_INVALIDARG;
            ITfLangBarItemSink* sink = nullptr;
            if (FAILED(unknown->QueryInterface(IID_ITfLangBarItemSink,
                                               reinterpret_cast<void**>(&sink))) ||
                !sink)
                return E_NOINTERFACE;
            sink_ = sink;
            *cookie = kSinkCookie;
            return S_OK;
        });
    }
    STDMETHODIMP UnadviseSink(DWORD cookie) override {
        return Guarded(E_FAIL, [&]() -> HRESULT {
            if (cookie != kSinkCookie || !sink_) return CONNECT_E_NOCONNECTION;
            sink_->Release();
            sink_ = nullptr;
            return S_OK;
        });
    }

    // For the service.
    void Notify(DWORD flags) {
        if (sink_) sink_->OnUpdate(flags);
    }
    bool SetHidden(bool hidden) {
        const DWORD status =
            hidden ? status_ | TF_LBI_STATUS_HIDDEN : status_ & ~TF_LBI_STATUS_HIDDEN;
        if (status == status_) return false;
        status_ = status;
        return true;
    }
    LangBarButton kind() const { return kind_; }

protected:
    virtual void Tooltip(wchar_t (&text)[kStatusTextUnits]) {
        const size_t n = wcsnlen(info_.szDescription, TF_LBI_DESC_MAXLEN);
        wmemcpy(text, info_.szDescription, n);
        text[n] = 0;
    }
    virtual void Click(TfLBIClick, POINT, const RECT*) {}
    virtual HRESULT Menu(ITfMenu*) { return S_OK; }
    virtual void MenuSelect(UINT) {}
    int IconId() const { return LangBarIconId(kind_, owner_.engine, CapsLockOn()); }

    // The own function menu in place of the framework's: E_FAIL tells it there is none.
    HRESULT OwnFunctionMenu(POINT at, bool known) {
        if (owner_.functionMenu) owner_.functionMenu(owner_.engine, at, known);
        return E_FAIL;
    }

    LangBarOwner owner_;
    LangBarButton kind_ = LangBarButton::kInputMode;
    TF_LANGBARITEMINFO info_{};
    DWORD status_ = 0;
    ITfLangBarItemSink* sink_ = nullptr;
    ULONG refs_ = 1;
};

class CLangBarItemButton_Openclose final : public CLangBarItem {
public:
    explicit CLangBarItemButton_Openclose(const LangBarOwner& owner)
        : CLangBarItem(
              owner,
              owner.windowsVersion >= kWindows62 ? GUID_LBI_INPUTMODE : kInputModeItemBefore62,
              Style(owner), L"中文/英文") {
        kind_ = LangBarButton::kInputMode;
    }

private:
    static DWORD Style(const LangBarOwner& owner) {
        if (owner.windowsVersion >= kWindows62) return kStyleButton;
        const Engine* e = owner.engine;
        const bool widthButton =
            Embedded(e) && e->ime && (e->ime->visibleItems & kVisibleWidthButton);
        return widthButton ? kStyleButton : kStyleButtonWithMenu;
    }
    void Tooltip(wchar_t (&text)[kStatusTextUnits]) override {
        BuildStatusText(owner_.engine, CapsLockOn(), text, kStatusTextUnits);
    }
    void Click(TfLBIClick click, POINT at, const RECT* area) override {
        Engine* e = owner_.engine;
        if (click == TF_LBI_CLK_LEFT) {
            if (CapsLockOn()) return;
            const bool chinese = (e->state & (kStateEnglishMode | kStateImeClosed)) != 0;
            SendUICommand(e, chinese ? uicmd::kChineseInput : uicmd::kEnglishInput, 0, 0);
        } else if (click == TF_LBI_CLK_RIGHT && owner_.windowsVersion >= kWindows62) {
            OwnFunctionMenu(at, area != nullptr);
        }
    }
    HRESULT Menu(ITfMenu*) override { return OwnFunctionMenu({0, 0}, false); }
};

class CLanguageBar_Quanban final : public CLangBarItem {
public:
    explicit CLanguageBar_Quanban(const LangBarOwner& owner)
        : CLangBarItem(owner, kWidthItem, kStyleButton, L"全/半角(Shift+Space)") {
        kind_ = LangBarButton::kWidth;
    }

private:
    void Click(TfLBIClick click, POINT, const RECT*) override {
        if (click != TF_LBI_CLK_LEFT) return;
        Engine* e = owner_.engine;
        SendUICommand(e, (e->state & kStateFullWidthOutput) ? uicmd::kHalfWidth : uicmd::kFullWidth,
                      0, 0);
    }
};

class CLanguageBar_Cnen final : public CLangBarItem {
public:
    explicit CLanguageBar_Cnen(const LangBarOwner& owner)
        : CLangBarItem(owner, kPunctuationItem, kStyleButton, L"中/英文符号(Ctrl+.)") {
        kind_ = LangBarButton::kPunctuation;
    }

private:
    void Click(TfLBIClick click, POINT, const RECT*) override {
        if (click != TF_LBI_CLK_LEFT) return;
        Engine* e = owner_.engine;
        SendUICommand(
            e, (e->state & kStateEnglishPunct) ? uicmd::kChinesePunct : uicmd::kEnglishPunct, 0, 0);
    }
};

class CLanguageBar_SoftKBD final : public CLangBarItem {
public:
    explicit CLanguageBar_SoftKBD(const LangBarOwner& owner)
        : CLangBarItem(owner, kSoftKeyboardItem, kStyleMenu, L"软键盘") {
        kind_ = LangBarButton::kSoftKeyboard;
    }

private:
    HRESULT Menu(ITfMenu* menu) override {
        if (!menu) return E_INVALIDARG;
        const uint32_t current = owner_.engine->softKeyboardLayout;
        for (const SoftKeyboardMenuItem& item : kSoftKeyboardMenu) {
            if (!item.text) {
                menu->AddMenuItem(0, TF_LBMENUF_SEPARATOR, nullptr, nullptr, L"", 0, nullptr);
                continue;
            }
            const DWORD flags = item.layout && item.layout == current ? TF_LBMENUF_CHECKED : 0;
            menu->AddMenuItem(item.id, flags, nullptr, nullptr, item.text,
                              static_cast<ULONG>(wcslen(item.text)), nullptr);
        }
        return S_OK;
    }
    void MenuSelect(UINT id) override {
        for (const SoftKeyboardMenuItem& item : kSoftKeyboardMenu) {
            if (!item.text || item.id != id) continue;
            SendUICommand(owner_.engine, uicmd::kSoftKeyboard, kSoftKeyboardShow, item.layout);
            return;
        }
    }
};

class CLangBarItemButton_Option final : public CLangBarItem {
public:
    explicit CLangBarItemButton_Option(const LangBarOwner& owner)
        : CLangBarItem(owner, kFunctionMenuItem, kStyleMenu, L"功能菜单") {
        kind_ = LangBarButton::kFunctionMenu;
    }

private:
    HRESULT Menu(ITfMenu*) override { return OwnFunctionMenu({0, 0}, false); }
};

CLangBarItem* Item(ITfLangBarItemButton* button) { return static_cast<CLangBarItem*>(button); }

}  // namespace

ITfLangBarItemButton* CreateLangBarButton(LangBarButton kind, const LangBarOwner& owner) {
    if (!owner.engine) return nullptr;
    switch (kind) {
        case LangBarButton::kInputMode:
            return new (std::nothrow) CLangBarItemButton_Openclose(owner);
        case LangBarButton::kWidth:
            return new (std::nothrow) CLanguageBar_Quanban(owner);
        case LangBarButton::kPunctuation:
            return new (std::nothrow) CLanguageBar_Cnen(owner);
        case LangBarButton::kSoftKeyboard:
            return new (std::nothrow) CLanguageBar_SoftKBD(owner);
        case LangBarButton::kFunctionMenu:
            return new (std::nothrow) CLangBarItemButton_Option(owner);
    }
    return nullptr;
}

int LangBarIconId(LangBarButton kind, const Engine* e, bool capsLock) {
    const uint32_t state = e ? e->state : 0;
    switch (kind) {
        case LangBarButton::kInputMode:
            if (state & kStateKeyboardDisabled) return langbaricon::kDisabled;
            if (state & kStateImeClosed) return langbaricon::kClosed;
            if (capsLock) return langbaricon::kCapsLock;
            return (state & kStateEnglishMode) ? langbaricon::kEnglish : langbaricon::kChinese;
        case LangBarButton::kWidth:
            return (state & kStateFullWidthOutput) ? langbaricon::kFullWidth
                                                   : langbaricon::kHalfWidth;
        case LangBarButton::kPunctuation:
            return (state & kStateEnglishPunct) ? langbaricon::kEnglishPunct
                                                : langbaricon::kChinesePunct;
        case LangBarButton::kSoftKeyboard:
            return langbaricon::kSoftKeyboard;
        case LangBarButton::kFunctionMenu:
            return langbaricon::kFunctionMenu;
    }
    return langbaricon::kChinese;
}

void RemoveLanguageBarButtons(LangBarButtons& buttons, ITfLangBarItemMgr* itemMgr) {
    for (ITfLangBarItemButton*& button : buttons.items) {
        if (!button) continue;
        if (itemMgr) itemMgr->RemoveItem(button);
        button->Release();
        button = nullptr;
    }
}

int AddLanguageBarButtons(LangBarButtons& buttons, const LangBarOwner& owner,
                          ITfLangBarItemMgr* itemMgr) {
    RemoveLanguageBarButtons(buttons, itemMgr);
    if (!itemMgr || !owner.engine) return 0;
    ITfLangBarItemButton* mode = CreateLangBarButton(LangBarButton::kInputMode, owner);
    if (!mode) return 0;
    if (FAILED(itemMgr->AddItem(mode))) {
        mode->Release();
        return 0;
    }
    buttons.items[0] = mode;
    const Engine* e = owner.engine;
    if (!Embedded(e) || owner.windowsVersion >= kWindows62) return 1;
    struct Optional {
        LangBarButton kind;
        uint32_t visibleBit;
    };
    static const Optional kOptional[] = {
        {LangBarButton::kWidth, kVisibleWidthButton},
        {LangBarButton::kPunctuation, kVisiblePunctButton},
        {LangBarButton::kSoftKeyboard, kVisibleSoftKeyButton},
        {LangBarButton::kFunctionMenu, kVisibleMenuButton},
    };
    int slot = 1;
    for (const Optional& o : kOptional) {
        if (!(e->ime->visibleItems & o.visibleBit)) continue;
        ITfLangBarItemButton* button = CreateLangBarButton(o.kind, owner);
        if (!button) continue;
        if (FAILED(itemMgr->AddItem(button))) {
            button->Release();
            continue;
        }
        buttons.items[slot++] = button;
    }
    return 1;
}

void RefreshLanguageBarButtons(LangBarButtons& buttons, const Engine* e) {
    if (buttons.items[0]) Item(buttons.items[0])->Notify(kUpdateIconAndStatus);
    if (!Embedded(e)) return;
    for (int i = 1; i < kLangBarButtons; ++i)
        if (buttons.items[i]) Item(buttons.items[i])->Notify(kUpdateIconAndStatus);
}

void SetLanguageBarButtonsHidden(LangBarButtons& buttons, bool hidden) {
    for (ITfLangBarItemButton* button : buttons.items)
        if (button && Item(button)->SetHidden(hidden)) Item(button)->Notify(kUpdateIconAndStatus);
}
