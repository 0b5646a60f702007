#include "installer/wizard/stage_header.h"

#include "ui/image/gdi_handles.h"

namespace {

HFONT HeaderFont(int weight) {
    return CreateFontW(12, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, L"宋体");
}

}  // namespace

StageHeaderText WizardHeaderText(WizardStage stage, const std::wstring& displayName) {
    StageHeaderText t;
    t.title = L"欢迎使用 " + displayName + L" 安装程序";
    switch (stage) {
        case WizardStage::kReady:
            t.line = L"请确认相关设定，并单击“安装”按钮，执行安装操作。";
            break;
        case WizardStage::kInstalling:
            t.line = L"正在将 " + displayName + L" 安装到您的计算机中，请稍候。";
            break;
        case WizardStage::kFinished:
        case WizardStage::kFailed:
            t.line = L"请单击“完成”按钮退出安装程序。";
            break;
    }
    return t;
}

void DrawStageHeader(HDC dc, const RECT& rect, HICON icon, const StageHeaderText& text) {
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (icon) DrawIconEx(dc, rect.right - 70, rect.top + 6, icon, 48, 48, 0, nullptr, DI_NORMAL);
    const int mode = SetBkMode(dc, TRANSPARENT);
    const COLORREF color = SetTextColor(dc, RGB(0, 0, 0));
    zan::UniqueFont bold(HeaderFont(FW_BOLD)), normal(HeaderFont(FW_NORMAL));
    HGDIOBJ old = SelectObject(dc, bold.get());
    TextOutW(dc, rect.left + 30, rect.top + 10, text.title.c_str(),
             static_cast<int>(text.title.size()));
    SelectObject(dc, normal.get());
    TextOutW(dc, rect.left + 55, rect.top + 35, text.line.c_str(),
             static_cast<int>(text.line.size()));
    SelectObject(dc, old);
    SetTextColor(dc, color);
    SetBkMode(dc, mode);
}
