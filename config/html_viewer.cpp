#include "config/html_viewer.h"

#include "config/about_ids.h"
#include "config/config_dialogs.h"
#include "config/config_ids.h"
#include "config/html_text.h"
#include "core/base/url_encode.h"

namespace {

INT_PTR RunHtmlViewer(const ConfigDialogRequest& request) {
    CKX_ShowHTML viewer(request.text, request.viewWidth, request.viewHeight);
    return viewer.RunModal(request.owner);
}

}  // namespace

ZAN_REGISTER_CONFIG_DIALOG(ConfigDialogKind::HtmlViewer, RunHtmlViewer)

std::wstring ViewerTarget(const wchar_t* address) {
    if (!address) return L"";
    if (wcsstr(address, L"mk:@MSITStore")) return address;
    wchar_t encoded[kUrlEncodeChars];
    UrlEncodeText(address, encoded);
    return encoded;
}

ViewerPlacement PlaceViewer(int width, int height, int screenWidth, int screenHeight) {
    if (width < 1 || height < 1) return {false, 0, 0, width, height};
    if (width > screenWidth) width = screenWidth;
    if (height > screenHeight) height = screenHeight;
    return {true, (screenWidth - width) / 2, (screenHeight - height) / 2, width, height};
}

CKX_ShowHTML::CKX_ShowHTML(const wchar_t* address, int width, int height)
    : Dialog(IDD_HTML_VIEWER),
      address_(address && address[0] ? address : kDefaultViewerAddress),
      width_(width),
      height_(height) {}

bool CKX_ShowHTML::OnInitDialog() {
    HWND h = hwnd();
    SetWindowIcons(h, nullptr, IDI_PROGRAM);
    DestroyWindow(Item(IDC_HTML_BROWSER));
    RECT area;
    GetClientRect(h, &area);
    view_ = CreateHtmlView(h, IDC_HTML_BROWSER, area, [h](const std::wstring& title) {
        if (!title.empty()) SetWindowTextW(h, title.c_str());
    });
    ViewerPlacement p =
        PlaceViewer(width_, height_, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    if (p.move) MoveWindow(h, p.left, p.top, p.width, p.height, TRUE);
    if (view_) view_->Navigate(ViewerTarget(address_.c_str()).c_str());
    return true;
}

bool CKX_ShowHTML::OnMessage(UINT message, WPARAM, LPARAM, LRESULT& result) {
    if (message != WM_SIZE || !view_) return false;
    RECT area;
    GetClientRect(hwnd(), &area);
    view_->Move(area);
    result = 0;
    return true;
}

void CKX_ShowHTML::OnDestroy() { view_.reset(); }
