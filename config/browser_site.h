// The WebBrowser control in-place active in a window, through a minimal OLE site of our own:
// client site, in-place site and frame, and the DocumentComplete event.
#pragma once
#include <windows.h>
#include <exdisp.h>

#include <functional>
#include <string>

class BrowserSite;

class EmbeddedBrowser {
public:
    EmbeddedBrowser() = default;
    ~EmbeddedBrowser();
    EmbeddedBrowser(const EmbeddedBrowser&) = delete;
    EmbeddedBrowser& operator=(const EmbeddedBrowser&) = delete;

    // Creates the control in-place active over host's client area; false when the control
    // cannot be created or activated (nothing is left behind). onComplete gets the location
    // name and whether the browser has a document.
    bool Create(HWND host,
                std::function<void(const std::wstring& title, bool hasDocument)> onComplete);
    bool Navigate(const wchar_t* address);
    // Fits the control to host's client area.
    void Resize();
    void Destroy();
    bool Created() const { return browser_ != nullptr; }

private:
    HWND host_ = nullptr;
    IWebBrowser2* browser_ = nullptr;
    BrowserSite* site_ = nullptr;
    DWORD cookie_ = 0;
};
