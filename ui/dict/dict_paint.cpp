#include "ui/dict/dict_paint.h"

#include "ui/dict/dict_geometry.h"
#include "ui/image/gdi_handles.h"
#include "ui/image/skin_region.h"

void PaintDictWindow(HDC dc, int32_t width, int32_t height, HFONT linkFont) {
    RECT client{0, 0, width, height};
    zan::UniqueBrush white(CreateSolidBrush(RGB(255, 255, 255)));
    FillRect(dc, &client, white.get());
    DrawFrame(dc, client, kDictFrameColour, kDictFrameColour);

    RECT link = DictLinkRect(width, height);
    {
        zan::SelectedObject font(dc, linkFont);
        const int oldMode = SetBkMode(dc, TRANSPARENT);
        const COLORREF oldColour = SetTextColor(dc, kDictLinkColour);
        DrawTextW(dc, kDictLinkText, -1, &link, DT_END_ELLIPSIS | DT_WORDBREAK);
        SetTextColor(dc, oldColour);
        SetBkMode(dc, oldMode);
    }

    // Four diagonal lines in the bottom-right corner.
    zan::UniquePen pen(CreatePen(PS_SOLID, 1, kDictFrameColour));
    zan::SelectedObject keep(dc, pen.get());
    const int right = width, bottom = height;
    for (int i = 0; i < 4; ++i) {
        MoveToEx(dc, right, bottom - 20 + 5 * i, nullptr);
        LineTo(dc, right - 20 + 5 * i, bottom);
    }
}
