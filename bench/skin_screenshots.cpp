// Writes PNG pictures of the candidate window in each layout with the default skin, as the
// window paints them, over a plain desktop colour. Usage: skin_screenshots OUTPUT_FOLDER
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/ui_demo_engine.h"
#include "png.h"
#include "ui/candidate/candidate_paint.h"

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

struct Shot {
    const wchar_t* file;
    uint32_t options;
    bool code;
    bool rightToLeft;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: skin_screenshots OUTPUT_FOLDER\n");
        return 2;
    }
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
    };
    int failures = 0;
    for (const Shot& s : shots) {
        DemoEngine demo;
        demo.skin->options = s.options;
        if (!demo.LoadSkin()) {
            std::fprintf(stderr, "no built-in skin\n");
            return 1;
        }
        demo.Page(kDemoWords, 9, 10);
        if (s.code) {
            demo.e->uiState->host.imm32 = true;
            demo.Composition(L"ni'hao");
        }
        if (!demo.LayoutOnDisplay()) {
            ++failures;
            continue;
        }
        demo.e->uiState->candidateRegions[kWordRegion + 2].state = kRegionHover;  // the pointer
        const SkinImage* bg = demo.e->uiState->stretchedBackground;
        CanvasSurface surface(bg->width, bg->height);
        if (!PaintCandidateCanvas(demo.e, &surface)) {
            ++failures;
            continue;
        }
        int w, h;
        std::vector<uint8_t> rgb = OverDesktop(*surface.canvas(), &w, &h);
        std::wstring path = std::wstring(argv[1]) + L"\\" + s.file;
        if (!WritePng(path, w, h, rgb)) ++failures;
        std::printf("%ls %dx%d\n", s.file, w, h);
    }
    return failures ? 1 : 0;
}
