// The main dialog's "关于" page: the product and version line, the help file's about page
// and, for a custom update address, the link-styled button that opens the updater.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "config/html_view.h"
#include "dialog/dialog.h"

struct Engine;

constexpr int kBuildNumber = 215;
constexpr COLORREF kLinkColour = 0xFF0000;

// "%s: %s build %d" of the product name and the version text (each read within its field).
std::wstring FormatAboutVersionLine(const wchar_t* productName, int productUnits,
                                    const wchar_t* versionText, int versionUnits, int build);
// "mk:@MSITStore:<install folder>main.chm::/<page>".
std::wstring HelpPageAddress(const wchar_t* installLocation, const wchar_t* page);

class CKX_ABOUT final : public Dialog {
public:
    explicit CKX_ABOUT(Engine* engine);
    HtmlView* view() const { return view_.get(); }

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void OnDestroy() override;

private:
    void DrawLink(const DRAWITEMSTRUCT& item);

    Engine* engine_;
    std::unique_ptr<HtmlView> view_;
    HFONT linkFont_ = nullptr;
};
