// Writes PNG pictures of the candidate window in each layout with the default skin, as the
// window paints them, over a plain desktop colour.
// Usage: skin_screenshots OUTPUT_FOLDER [PACKAGE.col|- [NAME_PREFIX [DPI [KEYBOARD.bmp]]]]
// Without a package (or with "-") the built-in skin is drawn; the prefix (default "candidate")
// names the files; DPI (default 96) scales the skin and fonts as a display of that DPI does.
// With the soft keyboard's picture the keyboard is drawn too, with the PC and the Chinese
// punctuation layouts ("<prefix>-soft-keyboard-1.png", "...-8.png").
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "bench/ui_demo_engine.h"
#include "png.h"
#include "ui/candidate/candidate_paint.h"
#include "ui/softkbd/soft_keyboard_keys.h"
#include "ui/softkbd/soft_keyboard_paint.h"
#include "ui/status/status_layout.h"
#include "ui/status/status_paint.h"

namespace {

constexpr uint8_t kDesktop[3] = {0xE8, 0xEC, 0xF2};  // R, G, B behind the window
constexpr int kMarginPx = 16;

bool WritePng(const std::wstring& path, int w, int h, const std::vector<uint8_t>& rgb) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < h; ++y) png_write_row(png, const_cast<png_bytep>(&rgb[size_t(y) * w * 3]));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return true;
}

// The premultiplied canvas over the desktop colour, with a margin around it.
std::vector<uint8_t> OverDesktop(const SkinCanvas& c, int* w, int* h) {
    *w = c.width + 2 * kMarginPx;
    *h = c.height + 2 * kMarginPx;
    std::vector<uint8_t> rgb(size_t(*w) * *h * 3);
    for (size_t i = 0; i < rgb.size(); i += 3)
        rgb[i] = kDesktop[0], rgb[i + 1] = kDesktop[1], rgb[i + 2] = kDesktop[2];
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            const uint8_t* s = c.pixels + (size_t(y) * c.width + x) * 4;
            uint8_t* d = &rgb[(size_t(y + kMarginPx) * *w + x + kMarginPx) * 3];
            unsigned a = s[3];
            for (int k = 0; k < 3; ++k)
                d[k] = uint8_t(std::min(255u, s[2 - k] + d[k] * (255 - a) / 255));
        }
    return rgb;
}

// The soft keyboard as its window paints it, as the canvas of a fully opaque window.
bool SoftKeyboardShot(const std::wstring& path, const wchar_t* bmp, uint32_t layout, int dpi) {
    HBITMAP picture = static_cast<HBITMAP>(
        LoadImageW(nullptr, bmp, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!picture) return false;
    const SIZE size = SoftKeyboardSize(dpi);
    SkinCanvas canvas{size.cx, size.cy, nullptr};
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, dib);
    PaintSoftKeyboard(dc, picture, layout, SoftKeyboardGesture{}, dpi);
    GdiFlush();
    canvas.pixels = static_cast<uint8_t*>(bits);
    for (int i = 0; i < size.cx * size.cy; ++i) canvas.pixels[i * 4 + 3] = 255;
    int w, h;
    std::vector<uint8_t> rgb = OverDesktop(canvas, &w, &h);
    SelectObject(dc, old);
    DeleteObject(dib);
    DeleteDC(dc);
    DeleteObject(picture);
    return WritePng(path, w, h, rgb);
}

struct Shot {
    const wchar_t* file;
    uint32_t options;
    bool code;
    bool rightToLeft;
    int words = 0;  // 0: nine words of a later page; else the first page of that many
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2 || argc > 6) {
        std::fprintf(stderr,
                     "usage: skin_screenshots OUTPUT_FOLDER [PACKAGE.col|- [NAME_PREFIX "
                     "[DPI [KEYBOARD.bmp]]]]\n");
        return 2;
    }
    const wchar_t* package = argc >= 3 && std::wcscmp(argv[2], L"-") != 0 ? argv[2] : nullptr;
    const std::wstring prefix = argc >= 4 ? argv[3] : L"candidate";
    const int dpi = argc >= 5 ? _wtoi(argv[4]) : 96;
    constexpr uint32_t kShipped = kSkinShowIndex | kSkinShowHints | kSkinShowButtons;
    const Shot shots[] = {
        {L"candidate-merged.png",
         kSkinShowIndex | kSkinShowHints | kSkinHorizontal | kSkinShowButtons, true, false},
        {L"candidate-embedded.png", kSkinShowIndex | kSkinShowHints | kSkinHorizontal, false,
         false},
        {L"candidate-merged-rows.png", kSkinShowIndex | kSkinShowHints | kSkinShowButtons, true,
         false},
        {L"candidate-embedded-rows.png", kSkinShowIndex | kSkinShowHints, false, false},
        {L"candidate-columns.png", kSkinShowIndex | kSkinVerticalLeft, false, false},
        {L"candidate-right-to-left.png", kSkinShowIndex | kSkinHorizontal | kSkinRightToLeft, true,
         true},
        // The shipped settings: the first page of five in rows, the code in the document; and
        // an IMM32 code that has no words.
        {L"candidate-shipped.png", kShipped, false, false, 5},
        {L"candidate-code-only.png", kShipped, true, false, -1},
    };
    int failures = 0;
    for (const Shot& s : shots) {
        DemoEngine demo;
        demo.skin->options = s.options;
        demo.e->uiState->dpi = dpi;
        if (!demo.LoadSkin(package)) {
            std::fprintf(stderr, "no skin\n");
            return 1;
        }
        if (s.words > 0)
            demo.Page(kDemoWords, s.words, 0);
        else if (s.words == 0)
            demo.Page(kDemoWords, 9, 10);
        if (s.code) {
            demo.e->uiState->host.imm32 = true;
            demo.Composition(s.words < 0 ? L"xqzv" : L"ni'hao");
        }
        if (!demo.LayoutOnDisplay()) {
            ++failures;
            continue;
        }
        if (s.words >= 0)  // the pointer
            demo.e->uiState->candidateRegions[kWordRegion + 2].state = kRegionHover;
        const SkinImage* bg = demo.e->uiState->stretchedBackground;
        CanvasSurface surface(bg->width, bg->height);
        if (!PaintCandidateCanvas(demo.e, &surface)) {
            ++failures;
            continue;
        }
        int w, h;
        std::vector<uint8_t> rgb = OverDesktop(*surface.canvas(), &w, &h);
        std::wstring name = s.file;
        name.replace(0, std::wcslen(L"candidate"), prefix);
        std::wstring path = std::wstring(argv[1]) + L"\\" + name;
        if (!WritePng(path, w, h, rgb)) ++failures;
        std::printf("%ls %dx%d\n", name.c_str(), w, h);
    }
    {
        // The status bar in the Chinese mode, as the bar paints it.
        DemoEngine demo;
        demo.e->uiState->dpi = dpi;
        const SkinImage* bar =
            demo.LoadSkin(package) ? demo.e->uiState->images.images[kSlotStatusBar] : nullptr;
        bool ok = false;
        if (bar) {
            UIState* u = demo.e->uiState;
            LayoutStatusRegions(u->skin, u->images, u->statusRegions);
            CanvasSurface surface(bar->width, bar->height);
            if (PaintStatusCanvas(demo.e, false, -1, surface.canvas())) {
                int w, h;
                std::vector<uint8_t> rgb = OverDesktop(*surface.canvas(), &w, &h);
                const std::wstring name = prefix + L"-status-bar.png";
                ok = WritePng(std::wstring(argv[1]) + L"\\" + name, w, h, rgb);
                std::printf("%ls %dx%d\n", name.c_str(), w, h);
            }
        }
        if (!ok) ++failures;
    }
    if (argc == 6)
        for (uint32_t layout : {1u, 8u}) {
            const std::wstring name =
                prefix + L"-soft-keyboard-" + std::to_wstring(layout) + L".png";
            if (!SoftKeyboardShot(std::wstring(argv[1]) + L"\\" + name, argv[5], layout, dpi))
                ++failures;
            std::printf("%ls\n", name.c_str());
        }
    return failures ? 1 : 0;
}
