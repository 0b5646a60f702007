// Where a dialog shows a page: a child window holding the WebBrowser control in a site of
// our own, or, where no browser can show the page (no engine to render it, as under Wine
// without Gecko), the page's text in a read-only edit. Tests install a factory of their own.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

class HtmlView {
public:
    // The page's title once a document completed (also for the text form: its <title>).
    using TitleCallback = std::function<void(const std::wstring& title)>;

    virtual ~HtmlView() = default;
    // The child window that holds the page.
    virtual HWND window() const = 0;
    // Navigates to the address as given; false when nothing could be started.
    virtual bool Navigate(const wchar_t* address) = 0;
    // Moves the view to r (parent's client coordinates).
    virtual void Move(const RECT& r) = 0;
    // True once the page is shown as text in place of the browser.
    virtual bool ShowsText() const = 0;
};

using HtmlViewFactory = std::unique_ptr<HtmlView> (*)(HWND parent, int id, const RECT& r,
                                                      HtmlView::TitleCallback onTitle);

// A view as a child of parent with control id, at r.
std::unique_ptr<HtmlView> CreateHtmlView(HWND parent, int id, const RECT& r,
                                         HtmlView::TitleCallback onTitle);
// Installs factory (null: the real one again); returns the one it replaces.
HtmlViewFactory SetHtmlViewFactory(HtmlViewFactory factory);

// How long the browser may take to complete a document before the text is shown instead.
constexpr UINT kBrowserCompleteTimeoutMs = 3000;
// The text shown for an address that is not a help page when no browser can show it.
std::wstring UnreachablePageText(const wchar_t* address);
