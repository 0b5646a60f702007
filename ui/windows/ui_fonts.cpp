#include "ui/windows/ui_fonts.h"

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "ui/image/gdi_handles.h"
#include "ui/skin/skin_scale.h"
#include "ui/windows/ui_state_block.h"

namespace {

static_assert(kSkinFaceUnits <= kSkinFontNameUnits, "a skin face name fills the style's");

void StyleFromSkin(SkinFontStyle* out, const wchar_t* face, int32_t size, int32_t weight,
                   int32_t colour) {
    std::memset(out, 0, sizeof *out);
    out->colour = static_cast<uint32_t>(colour);
    std::wmemcpy(out->faceName, face, kSkinFaceUnits);
    out->faceName[kSkinFaceUnits - 1] = 0;
    out->size = size;
    out->weight = weight;
}

HFONT MakeFont(const SkinFontStyle& s, int escapement, const wchar_t* face) {
    return CreateFontW(s.size, 0, escapement, escapement, s.weight, s.italic, s.underline,
                       s.strikeOut, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_CHARACTER_PRECIS,
                       PROOF_QUALITY, DEFAULT_PITCH, face);
}

int CALLBACK FoundFont(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

// The candidate font of style: turned, in the face's vertical variant when the system has one,
// under vertical writing.
HFONT MakeCandidateFont(const SkinFontStyle& style, uint32_t options) {
    if (!(options & kSkinVerticalLeft)) return MakeFont(style, 0, style.faceName);
    wchar_t vertical[kSkinFaceUnits + 2];
    std::swprintf(vertical, kSkinFaceUnits + 2, L"@%ls", style.faceName);
    bool found = false;
    zan::WindowDC screen(nullptr);
    if (screen.get() && style.faceName[0])
        EnumFontsW(screen.get(), vertical, FoundFont, reinterpret_cast<LPARAM>(&found));
    return MakeFont(style, 2700, found ? vertical : style.faceName);
}

}  // namespace

void CreateUIFonts(Engine* e) {
    if (!e || !e->uiState || !e->skin) return;
    UIState* s = e->uiState;
    if (s->codeFont) DeleteObject(s->codeFont);
    if (s->candidateFont) DeleteObject(s->candidateFont);
    s->codeFont = s->candidateFont = nullptr;
    uint32_t options = e->skin->options;
    if (options & kSkinOwnFonts) {
        s->codeStyle = e->skin->codeFontStyle;
        s->candidateStyle = e->skin->candidateFontStyle;
        s->codeStyle.faceName[kSkinFaceUnits - 1] = 0;
        s->candidateStyle.faceName[kSkinFaceUnits - 1] = 0;
        // The settings' sizes are for 96 DPI; a skin's were scaled with the skin.
        s->codeStyle.size = ScaleForDpi(s->codeStyle.size, s->dpi);
        s->candidateStyle.size = ScaleForDpi(s->candidateStyle.size, s->dpi);
    } else {
        const SkinTextStyle& t = s->skin.text;
        StyleFromSkin(&s->codeStyle, t.codeFontName, t.codeFontSize, t.codeFontWeight,
                      t.codeColour);
        StyleFromSkin(&s->candidateStyle, t.candidateFontName, t.candidateFontSize,
                      t.candidateFontWeight, t.candidateColour);
    }
    s->codeFont = MakeFont(s->codeStyle, 0, s->codeStyle.faceName);
    s->candidateFont = MakeCandidateFont(s->candidateStyle, options);
}

void SetCandidateFont(Engine* e, const LOGFONTW& font) {
    if (!e || !e->uiState || !e->skin) return;
    UIState* s = e->uiState;
    SkinFontStyle style = s->candidateStyle;
    std::wmemset(style.faceName, 0, kSkinFaceUnits);
    const size_t face = wcsnlen(font.lfFaceName, LF_FACESIZE);
    static_assert(LF_FACESIZE < kSkinFaceUnits, "an application's face name fits the style");
    std::wmemcpy(style.faceName, font.lfFaceName, face);
    style.size = font.lfHeight;
    style.weight = font.lfWeight;
    style.italic = font.lfItalic;
    style.underline = font.lfUnderline;
    style.strikeOut = font.lfStrikeOut;
    if (s->candidateFont && std::memcmp(&style, &s->candidateStyle, sizeof style) == 0) return;
    HFONT made = MakeCandidateFont(style, e->skin->options);
    if (!made) return;
    if (s->candidateFont) DeleteObject(s->candidateFont);
    s->candidateFont = made;
    s->candidateStyle = style;
}

SIZE MeasureCandidateText(const SkinFontStyle& style) {
    SIZE size{};
    HDC display = CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr);
    if (!display) return size;
    zan::UniqueFont font(MakeFont(style, 0, style.faceName));
    {
        zan::SelectedObject keep(display, font.get());
        GetTextExtentPoint32W(display, L"国", 1, &size);
    }
    DeleteDC(display);
    size.cy += 8;
    return size;
}
