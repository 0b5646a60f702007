#include "dialog/dialog.h"

#include <vector>

#include "core/base/boundary_guard.h"

namespace {

constexpr wchar_t kDialogProperty[] = L"zan.dialog";

std::function<bool(MSG&)>& ApplicationRule() {
    static std::function<bool(MSG&)> rule;
    return rule;
}

thread_local std::vector<Dialog*> t_modal;

// Messages whose value the dialog procedure returns itself instead of DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message) {
    switch (message) {
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
        case WM_INITDIALOG:
            return true;
        default:
            return false;
    }
}

bool IsChildWindow(HWND window) { return GetWindowLongW(window, GWL_STYLE) & WS_CHILD; }

}  // namespace

Dialog::Dialog(int templateId, HINSTANCE module)
    : templateId_(templateId), module_(module ? module : GetModuleHandleW(nullptr)) {}

Dialog::~Dialog() {
    worker_.Join();
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

Dialog* Dialog::FromWindow(HWND window) {
    return window ? static_cast<Dialog*>(GetPropW(window, kDialogProperty)) : nullptr;
}

INT_PTR Dialog::RunModal(HWND owner) {
    if (owner && IsChildWindow(owner)) owner = GetAncestor(owner, GA_ROOT);
    modal_ = true;
    ended_ = false;
    result_ = -1;
    // The owner is disabled and the dialog counts as running before its first message.
    bool disabledOwner = owner && IsWindowEnabled(owner);
    if (disabledOwner) EnableWindow(owner, FALSE);
    t_modal.push_back(this);
    HWND window = CreateDialogParamW(module_, MAKEINTRESOURCEW(templateId_), owner, &Dialog::Proc,
                                     reinterpret_cast<LPARAM>(this));
    if (!window) {
        t_modal.pop_back();
        if (disabledOwner) EnableWindow(owner, TRUE);
        modal_ = false;
        return -1;
    }
    if (!ended_) ShowWindow(window, SW_SHOW);
    bool quit = false;
    WPARAM quitCode = 0;
    MSG message;
    while (!ended_ && IsWindow(window)) {
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            quit = true;
            quitCode = message.wParam;
            break;
        }
        if (got == -1) break;
        if (!PreTranslateDialogMessage(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    t_modal.pop_back();
    // The owner first, so that activation goes back to it and not to another program.
    if (disabledOwner) EnableWindow(owner, TRUE);
    if (IsWindow(window)) {
        if (owner && GetActiveWindow() == window) SetActiveWindow(owner);
        DestroyWindow(window);
    }
    modal_ = false;
    if (quit) {
        PostQuitMessage(static_cast<int>(quitCode));
        return -1;
    }
    return result_;
}

HWND Dialog::Create(HWND parent) {
    if (hwnd_) return nullptr;
    modal_ = false;
    ended_ = false;
    result_ = 0;
    HWND window = CreateDialogParamW(module_, MAKEINTRESOURCEW(templateId_), parent, &Dialog::Proc,
                                     reinterpret_cast<LPARAM>(this));
    if (window && IsChildWindow(window)) {
        SetWindowLongW(window, GWL_EXSTYLE,
                       GetWindowLongW(window, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    }
    return window;
}

void Dialog::End(INT_PTR result) {
    result_ = result;
    ended_ = true;
    // Wakes the loop when End came from a message sent by another thread.
    if (modal_ && hwnd_) PostMessageW(hwnd_, WM_NULL, 0, 0);
}

void Dialog::Destroy() {
    if (!modal_ && hwnd_) DestroyWindow(hwnd_);
}

void Dialog::OnOK() {
    if (hwnd_ && IsChildWindow(hwnd_)) {
        SendMessageW(GetParent(hwnd_), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    } else {
        End(IDOK);
    }
}

void Dialog::OnCancel() {
    if (hwnd_ && IsChildWindow(hwnd_)) {
        SendMessageW(GetParent(hwnd_), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    } else {
        End(IDCANCEL);
    }
}

INT_PTR CALLBACK Dialog::Proc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    return Guarded<INT_PTR>(FALSE, [&]() -> INT_PTR {
        Dialog* self = nullptr;
        if (message == WM_INITDIALOG) {
            self = reinterpret_cast<Dialog*>(lp);
            self->hwnd_ = window;
            SetPropW(window, kDialogProperty, self);
        } else {
            self = FromWindow(window);
        }
        if (!self) return FALSE;
        INT_PTR r = self->Handle(message, wp, lp);
        if (message == WM_NCDESTROY) {
            RemovePropW(window, kDialogProperty);
            self->hwnd_ = nullptr;
        }
        return r;
    });
}

bool Dialog::RefusedWhileBusy(UINT message, WPARAM wp) {
    if (!worker_.RefusesCommands()) return false;
    switch (message) {
        case WM_COMMAND:
            return !AllowedWhileBusy(LOWORD(wp));
        case WM_CLOSE:
            return true;
        case WM_SYSCOMMAND:
            return (wp & 0xFFF0) == SC_CLOSE;
        default:
            return false;
    }
}

INT_PTR Dialog::Handle(UINT message, WPARAM wp, LPARAM lp) {
    if (RefusedWhileBusy(message, wp)) {
        if (message == WM_COMMAND || message == WM_SYSCOMMAND || message == WM_CLOSE) {
            SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, 0);
        }
        return TRUE;
    }
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog() ? TRUE : FALSE;
        case WM_COMMAND: {
            int id = LOWORD(wp);
            if (OnCommand(id, HIWORD(wp), reinterpret_cast<HWND>(lp))) return TRUE;
            if (id == IDOK) {
                OnOK();
                return TRUE;
            }
            if (id == IDCANCEL) {
                OnCancel();
                return TRUE;
            }
            return FALSE;
        }
        case WM_NOTIFY: {
            LRESULT result = 0;
            if (!OnNotify(reinterpret_cast<NMHDR*>(lp), result)) return FALSE;
            SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
            return TRUE;
        }
        case WM_DESTROY:
            worker_.Join();
            OnDestroy();
            return FALSE;
        default:
            break;
    }
    if (message == kWorkerFinishedMessage) {
        worker_.Join();
        OnWorkerFinished();
        return TRUE;
    }
    LRESULT result = 0;
    if (!OnMessage(message, wp, lp, result)) return FALSE;
    if (ReturnsDirectly(message)) return static_cast<INT_PTR>(result);
    SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
    return TRUE;
}

void SetApplicationPreTranslate(std::function<bool(MSG&)> rule) {
    ApplicationRule() = std::move(rule);
}

bool PreTranslateDialogMessage(MSG& message) {
    if (auto& rule = ApplicationRule(); rule && rule(message)) return true;
    for (HWND w = message.hwnd; w; w = IsChildWindow(w) ? GetParent(w) : nullptr) {
        Dialog* d = Dialog::FromWindow(w);
        if (!d) continue;
        if (d->PreTranslate(message)) return true;
        if (d->accelerators_ && TranslateAcceleratorW(w, d->accelerators_, &message)) return true;
        if (!IsChildWindow(w) && IsDialogMessageW(w, &message)) return true;
    }
    return false;
}

Dialog* CurrentModalDialog() { return t_modal.empty() ? nullptr : t_modal.back(); }

void SetWindowIcons(HWND window, HINSTANCE module, int iconId) {
    if (!module) module = GetModuleHandleW(nullptr);
    auto load = [&](int metricX, int metricY) {
        return static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(iconId), IMAGE_ICON,
                                             GetSystemMetrics(metricX), GetSystemMetrics(metricY),
                                             LR_SHARED));
    };
    if (HICON big = load(SM_CXICON, SM_CYICON))
        SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    if (HICON little = load(SM_CXSMICON, SM_CYSMICON))
        SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(little));
}
