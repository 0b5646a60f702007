// The stand-alone help and web viewer "/showurl" opens: the page fills the resizable window,
// whose title becomes the page's title.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "config/html_view.h"
#include "dialog/dialog.h"

// Where the viewer goes when no address is given.
constexpr wchar_t kDefaultViewerAddress[] = L"https://www.zantor.example/";

// The address navigated to: a help-file address as given, anything else percent-encoded
// (at most 511 units).
std::wstring ViewerTarget(const wchar_t* address);

struct ViewerPlacement {
    bool move;  // false: the window keeps the template's size and place
    int left, top, width, height;
};
// The asked size limited to the screen and centred on it; width or height below 1 keeps the
// template's.
ViewerPlacement PlaceViewer(int width, int height, int screenWidth, int screenHeight);

class CKX_ShowHTML final : public Dialog {
public:
    CKX_ShowHTML(const wchar_t* address, int width, int height);
    HtmlView* view() const { return view_.get(); }

protected:
    bool OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void OnDestroy() override;

private:
    std::wstring address_;
    int width_, height_;
    std::unique_ptr<HtmlView> view_;
};
