#include "config/about_page.h"

#include <cwchar>

#include "config/about_ids.h"
#include "config/config_dialogs.h"
#include "config/config_ids.h"
#include "config/update_address.h"
#include "core/base/registry.h"
#include "core/record/engine.h"
#include "dialog/control_text.h"

namespace {

std::wstring Field(const wchar_t* text, int units) {
    return text ? std::wstring(text, wcsnlen(text, static_cast<size_t>(units))) : std::wstring();
}

Dialog* CreateAboutPage(Engine* engine) { return new CKX_ABOUT(engine); }

}  // namespace

ZAN_REGISTER_CONFIG_PAGE(ConfigPageKind::About, CreateAboutPage)

std::wstring FormatAboutVersionLine(const wchar_t* productName, int productUnits,
                                    const wchar_t* versionText, int versionUnits, int build) {
    return Field(productName, productUnits) + L": " + Field(versionText, versionUnits) +
           L" build " + std::to_wstring(build);
}

std::wstring HelpPageAddress(const wchar_t* installLocation, const wchar_t* page) {
    return std::wstring(L"mk:@MSITStore:") + Field(installLocation, kPathChars) + L"main.chm::/" +
           (page ? page : L"");
}

CKX_ABOUT::CKX_ABOUT(Engine* engine) : Dialog(IDD_ABOUT_PAGE), engine_(engine) {}

bool CKX_ABOUT::OnInitDialog() {
    HWND h = hwnd();
    const SoftConfigData* soft = engine_ ? engine_->soft : nullptr;
    std::wstring line =
        soft ? FormatAboutVersionLine(soft->productName, kSoftShortUnits, soft->versionText,
                                      kSoftVersionUnits, kBuildNumber)
             : FormatAboutVersionLine(L"", 0, L"", 0, kBuildNumber);
    SetItemText(h, IDC_ABOUT_VERSION, line.c_str());

    RECT area = ItemRect(h, IDC_HTML_BROWSER);
    DestroyWindow(Item(IDC_HTML_BROWSER));
    view_ = CreateHtmlView(h, IDC_HTML_BROWSER, area, nullptr);
    if (view_ && engine_)
        view_->Navigate(HelpPageAddress(engine_->installLocation, L"About.html").c_str());

    ShowItem(h, IDC_ABOUT_CHECK_UPDATE,
             soft && IsCustomUpdateAddress(soft->updateUrl, kSoftUrlUnits));
    linkFont_ = CreateFontW(-14, 0, 0, 0, FW_NORMAL, FALSE, TRUE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_SWISS, L"Tahoma");
    return true;
}

bool CKX_ABOUT::OnCommand(int id, int code, HWND) {
    if (id != IDC_ABOUT_CHECK_UPDATE || code != BN_CLICKED) return false;
    ConfigDialogRequest r{};
    r.engine = engine_;
    r.owner = GetAncestor(hwnd(), GA_ROOT);
    r.viewLeft = r.viewTop = r.viewWidth = r.viewHeight = -1;
    RunConfigDialog(ConfigDialogKind::Updater, r);
    return true;
}

void CKX_ABOUT::DrawLink(const DRAWITEMSTRUCT& item) {
    wchar_t text[128];
    GetWindowTextBounded(item.hwndItem, text, 128);
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ old = linkFont_ ? SelectObject(item.hDC, linkFont_) : nullptr;
    SetTextColor(item.hDC, kLinkColour);
    SetBkMode(item.hDC, TRANSPARENT);
    RECT r = item.rcItem;
    DrawTextW(item.hDC, text, -1, &r, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (old) SelectObject(item.hDC, old);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
}

bool CKX_ABOUT::OnMessage(UINT message, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (message) {
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
            if (!item || item->CtlID != IDC_ABOUT_CHECK_UPDATE) return false;
            DrawLink(*item);
            result = TRUE;
            return true;
        }
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wp) != Item(IDC_ABOUT_CHECK_UPDATE)) return false;
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            result = TRUE;
            return true;
        default:
            return false;
    }
}

void CKX_ABOUT::OnDestroy() {
    view_.reset();  // the browser goes before its window
    if (linkFont_) DeleteObject(linkFont_);
    linkFont_ = nullptr;
}
