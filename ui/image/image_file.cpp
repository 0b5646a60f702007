#include "ui/image/image_file.h"

#include <cwchar>

#include "ui/image/gdi_handles.h"

void BlendPixelOnWhite(const uint8_t* s, uint8_t* out) {
    unsigned a = s[3];
    for (int c = 0; c < 3; ++c) {
        if (a == 0) {
            out[c] = s[c];
        } else {
            unsigned v = (s[c] * a + (255 - a) * 255) / 255;
            out[c] = static_cast<uint8_t>(v > 255 ? 255 : v);
        }
    }
}

HBITMAP CreateBitmapOnWhite(const SkinImage* p) {
    if (!p || !p->pixels || p->width <= 0 || p->height <= 0) return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = p->width;
    info.bmiHeader.biHeight = -p->height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        if (bitmap) DeleteObject(bitmap);
        return nullptr;
    }
    auto* d = static_cast<uint8_t*>(bits);
    const size_t n = size_t(p->width) * p->height;
    for (size_t i = 0; i < n; ++i) {
        BlendPixelOnWhite(p->pixels + i * 4, d + i * 4);
        d[i * 4 + 3] = 0;
    }
    return bitmap;
}

void DrawImageOnWhite(HDC dc, const SkinImage* p) {
    if (!dc || !p) return;
    zan::UniqueBitmap bitmap(CreateBitmapOnWhite(p));
    if (!bitmap) return;
    zan::MemoryDC source(dc);
    if (!source.get()) return;
    zan::SelectedObject keep(source.get(), bitmap.get());
    BitBlt(dc, 0, 0, p->width, p->height, source.get(), 0, 0, SRCCOPY);
}

namespace {

bool EndsWith(const wchar_t* path, const wchar_t* ext) {
    size_t n = std::wcslen(path), m = std::wcslen(ext);
    return n >= m && _wcsicmp(path + n - m, ext) == 0;
}

}  // namespace

HBITMAP DecodeImageFileToBitmap(const wchar_t* path) {
    if (!path) return nullptr;
    if (EndsWith(path, L".bmp"))
        return static_cast<HBITMAP>(
            LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!EndsWith(path, L".png")) return nullptr;
    SkinImage* picture = LoadPngFile(path);
    HBITMAP bitmap = CreateBitmapOnWhite(picture);
    FreeSkinImage(picture);
    return bitmap;
}
