#include "ui/candidate/candidate_paint.h"

#include "ui/candidate/candidate_layout.h"
#include "ui/image/gdi_handles.h"
#include "ui/windows/ui_state_block.h"

CanvasSurface::CanvasSurface(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return;
    zan::WindowDC screen(nullptr);
    dc_ = CreateCompatibleDC(screen.get());
    if (!dc_) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = DWORD(width) * height * 4;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap_ || !bits) return;
    old_ = SelectObject(dc_, bitmap_);
    canvas_ = SkinCanvas{width, height, static_cast<uint8_t*>(bits)};
}

CanvasSurface::~CanvasSurface() {
    if (dc_ && old_) SelectObject(dc_, old_);
    if (bitmap_) DeleteObject(bitmap_);
    if (dc_) DeleteDC(dc_);
}

namespace {

void DrawTexts(HDC dc, const SkinRegion* r, int first, HFONT font) {
    zan::SelectedObject keep(dc, font);
    for (int k = 0; k < kCandidateSlots; ++k) DrawRegionText(dc, &r[first + k]);
}

}  // namespace

bool PaintCandidateCanvas(Engine* e, CanvasSurface* surface) {
    if (!e || !e->uiState || !surface || !surface->ok()) return false;
    UIState* s = e->uiState;
    const SkinImage* bg = s->stretchedBackground;
    SkinCanvas* canvas = surface->canvas();
    if (!CopyBackgroundPremultiplied(bg, canvas)) return false;
    HDC dc = surface->dc();
    SkinRegion* r = s->candidateRegions;
    {
        zan::SelectedObject keep(dc, s->codeFont);
        DrawRegionText(dc, &r[kCodeRegion]);
    }
    GdiFlush();
    const SkinTextStyle& t = s->skin.text;
    for (int k = 0; k < kCandidateSlots; ++k) {
        const SkinRegion& word = r[kWordRegion + k];
        if (word.state == kRegionHidden) continue;
        int32_t colour = -1;
        if (k == e->page.highlight)
            colour = t.firstCandidateBackground;
        else if (word.state == kRegionHover || word.state == kRegionPressed)
            colour = t.hoverBackground;
        if (colour < 0) continue;
        RECT rc = GetCandidateRect(e, k);
        zan::UniqueBrush brush(CreateSolidBrush(static_cast<COLORREF>(colour)));
        if (brush) FillRect(dc, &rc, brush.get());
    }
    bool turnedHints =
        (EffectiveCandidateOptions(e) & kSkinVerticalLeft) && (e->ime->features & kFeatKeyRoots);
    DrawTexts(dc, r, kLabelRegion, s->codeFont);
    DrawTexts(dc, r, kHintRegion, turnedHints ? s->candidateFont : s->codeFont);
    DrawTexts(dc, r, kWordRegion, s->candidateFont);
    GdiFlush();
    CandidateAlphaPass(bg, canvas);

    SkinImage* const* images = s->images.images;
    PaintImageRegion(&r[kPageDownRegion], images + kSlotPageDown, canvas);
    PaintImageRegion(&r[kPageUpRegion], images + kSlotPageUp, canvas);
    PaintImageRegion(
        &r[kWidthRegion],
        images + ((e->state & kStateFullWidthOutput) ? kSlotFullWidth : kSlotHalfWidth), canvas);
    PaintImageRegion(
        &r[kPunctuationRegion],
        images + ((e->state & kStateEnglishPunct) ? kSlotEnglishPunct : kSlotChinesePunct), canvas);
    PaintImageRegion(&r[kExtension1Region], images + kSlotExtension1, canvas);
    PaintImageRegion(&r[kExtension2Region], images + kSlotExtension2, canvas);
    return true;
}
