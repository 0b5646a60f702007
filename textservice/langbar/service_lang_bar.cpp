#include "textservice/langbar/service_lang_bar.h"

#include <mutex>

#include "core/base/boundary_guard.h"
#include "core/settings/config_blocks.h"
#include "textservice/com_ptr.h"
#include "textservice/langbar/lang_bar_buttons.h"
#include "textservice/tsf/text_service.h"
#include "ui/menus/popup_menus.h"
#include "ui/status/status_window.h"
#include "ui/windows/ui_state_block.h"

namespace {

uint32_t Options(const Engine* e) { return e && e->ime ? e->ime->options : 0; }

uint32_t WindowsVersionOf(const Engine* e) {
    const TextServiceSeams& s = ServiceSeams();
    if (s.windowsVersion) return s.windowsVersion(e);
    return (e->osVersion.dwMajorVersion << 8) | (e->osVersion.dwMinorVersion & 0xFF);
}

// The buttons live in the service's opaque slots.
LangBarButtons Buttons(CTextService* s) {
    LangBarButtons b{};
    for (int i = 0; i < kLangBarButtons; ++i)
        b.items[i] = static_cast<ITfLangBarItemButton*>(s->languageBarButtons[i]);
    return b;
}
void Store(CTextService* s, const LangBarButtons& b) {
    for (int i = 0; i < kLangBarButtons; ++i) s->languageBarButtons[i] = b.items[i];
}

ComPtr<ITfLangBarItemMgr> ItemMgr(CTextService* s) {
    ComPtr<ITfLangBarItemMgr> mgr;
    if (ITfThreadMgr* tm = s->threadMgr())
        tm->QueryInterface(IID_ITfLangBarItemMgr, mgr.put_void());
    return mgr;
}

// The own function menu, popped up against a window of its own far off the screen.
void FunctionMenuAt(Engine* e, POINT at, bool known) {
    if (!known) GetCursorPos(&at);
    HWND anchor = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP,
                                  -1000000, -1000000, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (!anchor) return;
    ShowFunctionMenu(e, anchor, at);
    DestroyWindow(anchor);
}

HWND DocumentWindow(CTextService* s) {
    HWND window = nullptr;
    if (ITfContext* context = s->editSinkContext()) {
        ComPtr<ITfContextView> view;
        if (SUCCEEDED(context->GetActiveView(view.put())) && view) view->GetWnd(&window);
    }
    return window ? window : s->focusWindow();
}

// The own status window is used: not embedded, not hidden, no host flags.
bool OwnStatusBar(CTextService* s) {
    return !s->activationFlags() &&
           !(Options(s->engine()) & (kImeStatusEmbedded | kImeStatusHidden));
}

void ShowStatusBar(CTextService* s) {
    Engine* e = s->engine();
    const bool made = e->windows.statusWindow || EnsureStatusWindow(e, DocumentWindow(s));
    if (e->uiState) {
        // The bar's menus tell the text service's record by these (the embedding item).
        e->uiState->host.textService = true;
        e->uiState->host.immersive = s->immersive();
    }
    if (made) UpdateStatusWindow(e);
}

int Add(CTextService* s) {
    Engine* e = s->engine();
    if (!e) return 0;
    ComPtr<ITfLangBarItemMgr> mgr = ItemMgr(s);
    LangBarButtons buttons = Buttons(s);
    RemoveLanguageBarButtons(buttons, mgr.get());
    Store(s, buttons);
    HideStatusWindow(e);
    DestroyStatusWindow(e);
    if (mgr) {
        const LangBarOwner owner{e, static_cast<ITfTextInputProcessorEx*>(s), WindowsVersionOf(e),
                                 FunctionMenuAt, nullptr};
        if (!AddLanguageBarButtons(buttons, owner, mgr.get())) return 0;
        Store(s, buttons);
    }
    // Without an item manager (hosts that offer no language bar) the service still types;
    // the status window stands in.
    if (OwnStatusBar(s)) ShowStatusBar(s);
    return 1;
}

void Remove(CTextService* s) {
    ComPtr<ITfLangBarItemMgr> mgr = ItemMgr(s);
    LangBarButtons buttons = Buttons(s);
    RemoveLanguageBarButtons(buttons, mgr.get());
    Store(s, buttons);
}

void Refresh(CTextService* s) {
    s->UpdateKeyboardState();
    Engine* e = s->engine();
    if (!e) return;
    LangBarButtons buttons = Buttons(s);
    RefreshLanguageBarButtons(buttons, e);
    if (!(Options(e) & kImeStatusEmbedded) && OwnStatusBar(s)) ShowStatusBar(s);
}

void ThreadFocus(CTextService* s, bool gained) {
    Engine* e = s->engine();
    if (!e) return;
    if (Options(e) & kImeStatusEmbedded) {
        LangBarButtons buttons = Buttons(s);
        SetLanguageBarButtonsHidden(buttons, !gained);
        return;
    }
    if (gained) {
        if (OwnStatusBar(s)) ShowStatusBar(s);
    } else if (!s->activationFlags()) {
        HideStatusWindow(e);
    }
}

void InterfaceToggled(CTextService* s) {
    Engine* e = s->engine();
    if (!e || s->activationFlags() || (Options(e) & kImeStatusEmbedded)) return;
    if (Options(e) & kImeStatusHidden)
        HideStatusWindow(e);
    else
        ShowStatusBar(s);
}

}  // namespace

void InstallServiceLanguageBarHooks(TextServiceHooks& table) {
    table.addLanguageBarButtons = [](CTextService* s) {
        return Guarded(0, [&] { return Add(s); });
    };
    table.removeLanguageBarButtons = [](CTextService* s) { GuardedVoid([&] { Remove(s); }); };
    table.refreshLanguageBar = [](CTextService* s) { GuardedVoid([&] { Refresh(s); }); };
    table.threadFocus = [](CTextService* s, bool gained) {
        GuardedVoid([&] { ThreadFocus(s, gained); });
    };
    table.interfaceToggled = [](CTextService* s) { GuardedVoid([&] { InterfaceToggled(s); }); };
}

void InstallDefaultServiceLanguageBarHooks() {
    static std::once_flag once;
    std::call_once(once, [] { InstallServiceLanguageBarHooks(DefaultServiceHooks()); });
}
