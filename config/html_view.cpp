#include "config/html_view.h"

#include "config/browser_site.h"
#include "config/html_text.h"
#include "core/base/boundary_guard.h"

namespace {

constexpr wchar_t kViewClass[] = L"ZanHtmlView";
constexpr UINT_PTR kCompleteTimer = 1;
constexpr int kTextId = 1;

std::unique_ptr<HtmlView> CreateHostedView(HWND parent, int id, const RECT& r,
                                           HtmlView::TitleCallback onTitle);

HtmlViewFactory g_factory = nullptr;

// The browser renders through the system's HTML document object; where that cannot be made
// (Wine without its HTML engine) the browser would only block its thread and show nothing.
const CLSID kHtmlDocument = {
    0x25336920, 0x03f9, 0x11cf, {0x8f, 0xd0, 0x00, 0xaa, 0x00, 0x68, 0x6f, 0x13}};

bool CanRenderHtml() {
    static const bool can = [] {
        IUnknown* document = nullptr;
        if (FAILED(CoCreateInstance(kHtmlDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                    reinterpret_cast<void**>(&document))))
            return false;
        document->Release();
        return true;
    }();
    return can;
}

// The browser in a child window of our own; the page's text in its place where the browser
// cannot be had or completes no document.
class HostedHtmlView final : public HtmlView {
public:
    explicit HostedHtmlView(TitleCallback onTitle) : onTitle_(std::move(onTitle)) {}
    ~HostedHtmlView() override {
        browser_.Destroy();
        if (window_) {
            SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
            DestroyWindow(window_);
        }
    }

    bool Create(HWND parent, int id, const RECT& r) {
        window_ = CreateWindowExW(
            0, kViewClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_TABSTOP, r.left, r.top,
            r.right - r.left, r.bottom - r.top, parent,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
        if (!window_) return false;
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        if (!CanRenderHtml()) return true;  // the text form from the start
        browser_.Create(window_, [this](const std::wstring& title, bool hasDocument) {
            OnDocumentComplete(title, hasDocument);
        });
        return true;
    }

    HWND window() const override { return window_; }

    bool Navigate(const wchar_t* address) override {
        address_ = address ? address : L"";
        if (browser_.Created() && browser_.Navigate(address_.c_str())) {
            SetTimer(window_, kCompleteTimer, kBrowserCompleteTimeoutMs, nullptr);
            return true;
        }
        ShowText();
        return true;
    }

    void Move(const RECT& r) override {
        MoveWindow(window_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }

    bool ShowsText() const override { return text_ != nullptr; }

    LRESULT Handle(UINT message, WPARAM wp, LPARAM lp) {
        switch (message) {
            case WM_SIZE:
                if (text_) {
                    MoveWindow(text_, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
                } else {
                    browser_.Resize();
                }
                return 0;
            case WM_TIMER:
                if (wp == kCompleteTimer) {
                    KillTimer(window_, kCompleteTimer);
                    ShowText();
                }
                return 0;
            case WM_SETFOCUS:  // the focus goes on to what shows the page
                if (text_) SetFocus(text_);
                return 0;
            case WM_CTLCOLORSTATIC:  // the read-only text on a window background
                SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_WINDOW));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
            default:
                return DefWindowProcW(window_, message, wp, lp);
        }
    }

private:
    void OnDocumentComplete(const std::wstring& title, bool hasDocument) {
        if (text_) return;
        KillTimer(window_, kCompleteTimer);
        if (!hasDocument) {
            ShowText();
            return;
        }
        if (onTitle_) onTitle_(title);
    }

    void ShowText() {
        if (text_) return;
        browser_.Destroy();
        RECT area;
        GetClientRect(window_, &area);
        text_ = CreateWindowExW(
            0, L"EDIT", L"",
            WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0,
            area.right, area.bottom, window_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextId)), GetModuleHandleW(nullptr),
            nullptr);
        if (!text_) return;
        if (HWND parent = GetParent(window_)) {
            if (LRESULT font = SendMessageW(parent, WM_GETFONT, 0, 0))
                SendMessageW(text_, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
        }
        HtmlText page = HelpStorePageText(address_.c_str());
        std::wstring body = page.body.empty() ? UnreachablePageText(address_.c_str()) : page.body;
        SetWindowTextW(text_, body.c_str());
        if (!page.title.empty() && onTitle_) onTitle_(page.title);
    }

    TitleCallback onTitle_;
    HWND window_ = nullptr;
    HWND text_ = nullptr;
    EmbeddedBrowser browser_;
    std::wstring address_;
};

LRESULT CALLBACK ViewProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    return Guarded<LRESULT>(0, [&]() -> LRESULT {
        auto* view = reinterpret_cast<HostedHtmlView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (view) return view->Handle(message, wp, lp);
        return DefWindowProcW(window, message, wp, lp);
    });
}

bool RegisterViewClass() {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &ViewProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
        wc.lpszClassName = kViewClass;
        return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

std::unique_ptr<HtmlView> CreateHostedView(HWND parent, int id, const RECT& r,
                                           HtmlView::TitleCallback onTitle) {
    if (!RegisterViewClass()) return nullptr;
    auto view = std::make_unique<HostedHtmlView>(std::move(onTitle));
    if (!view->Create(parent, id, r)) return nullptr;
    return view;
}

}  // namespace

std::unique_ptr<HtmlView> CreateHtmlView(HWND parent, int id, const RECT& r,
                                         HtmlView::TitleCallback onTitle) {
    if (g_factory) return g_factory(parent, id, r, std::move(onTitle));
    return CreateHostedView(parent, id, r, std::move(onTitle));
}

HtmlViewFactory SetHtmlViewFactory(HtmlViewFactory factory) {
    HtmlViewFactory previous = g_factory;
    g_factory = factory;
    return previous;
}

std::wstring UnreachablePageText(const wchar_t* address) {
    return std::wstring(L"此页面无法在这里显示：\r\n") + (address ? address : L"");
}
