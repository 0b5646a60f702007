#include "ui/image/skin_region.h"

#include "ui/image/gdi_handles.h"

int64_t SkinHitTest(const SkinRegion* regions, int count, int32_t width, int32_t height, int32_t x,
                    int32_t y) {
    if (x <= 0 || x >= width || y <= 0 || y >= height) return -1;
    for (int i = 0; regions && i < count; ++i) {
        const SkinRegion& r = regions[i];
        if (r.x < 0 || r.y < 0) continue;
        if (r.state == kRegionDisabled || r.state == kRegionHidden) continue;
        if (r.x < x && x < int64_t(r.x) + r.width && r.y < y && y < int64_t(r.y) + r.height)
            return r.id;
    }
    return 0;
}

void ClearRegionState(SkinRegion* regions, int count, int64_t id) {
    for (int i = 0; regions && i < count; ++i) {
        SkinRegion& r = regions[i];
        if (r.id == id && r.state != kRegionDisabled && r.state != kRegionHidden)
            r.state = kRegionNormal;
    }
}

void SetRegionState(SkinRegion* regions, int count, int64_t id, uint64_t state) {
    for (int i = 0; regions && i < count; ++i) {
        SkinRegion& r = regions[i];
        if (r.state == kRegionDisabled || r.state == kRegionHidden) continue;
        if (r.id == id)
            r.state = state;
        else if (r.state == state)
            r.state = kRegionNormal;
    }
}

void DrawRegionText(HDC dc, const SkinRegion* r) {
    if (!dc || !r || r->state == kRegionHidden || r->state > 3) return;
    int s = static_cast<int>(r->state);
    if (r->flags & kRegionDrawBitmap)
        DrawTransparentBitmap(dc, r->bitmap[s],
                              RECT{r->x, r->y, r->x + r->width, r->y + r->height});
    if (!(r->flags & kRegionDrawText) || r->textLength == 0) return;
    COLORREF text = static_cast<COLORREF>(r->textColour[s] & 0xFFFFFFFFu);
    if (r->backColour[s] < 0 || static_cast<COLORREF>(r->backColour[s]) == text) {
        SetBkMode(dc, TRANSPARENT);
    } else {
        SetBkColor(dc, static_cast<COLORREF>(r->backColour[s]));
        SetBkMode(dc, OPAQUE);
    }
    SetTextColor(dc, text);
    UINT length =
        static_cast<UINT>(r->textLength < kRegionTextUnits ? r->textLength : kRegionTextUnits);
    ExtTextOutW(dc, r->x + static_cast<int>(r->textOffsetX), r->y, 0, nullptr, r->text, length,
                nullptr);
}

void DrawFrame(HDC dc, const RECT& rc, COLORREF first, COLORREF second) {
    zan::UniquePen a(CreatePen(PS_SOLID, 1, first));
    zan::UniquePen b(CreatePen(PS_SOLID, 1, second));
    if (!a || !b) return;
    {
        zan::SelectedObject keep(dc, a.get());
        MoveToEx(dc, rc.left, rc.top, nullptr);
        LineTo(dc, rc.right, rc.top);
        MoveToEx(dc, rc.left, rc.top, nullptr);
        LineTo(dc, rc.left, rc.bottom);
    }
    zan::SelectedObject keep(dc, b.get());
    MoveToEx(dc, rc.right - 1, rc.top, nullptr);
    LineTo(dc, rc.right - 1, rc.bottom - 1);
    MoveToEx(dc, rc.left, rc.bottom - 1, nullptr);
    LineTo(dc, rc.right, rc.bottom - 1);
}

void DrawTransparentBitmap(HDC dc, HBITMAP bitmap, const RECT& rc) {
    if (!dc || !bitmap) return;
    BITMAP info{};
    if (!GetObjectW(bitmap, sizeof info, &info)) return;
    zan::MemoryDC source(dc);
    if (!source.get()) return;
    zan::SelectedObject keep(source.get(), bitmap);
    TransparentBlt(dc, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, source.get(), 0, 0,
                   info.bmWidth, info.bmHeight, RGB(255, 255, 255));
}
