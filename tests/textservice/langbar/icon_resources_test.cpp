// The built library carries the language-bar icons at 16 and 32 pixels.
#include <windows.h>
#include <gtest/gtest.h>

#include <vector>

#include "textservice/langbar/lang_bar_buttons.h"

namespace {

// Pixels of an icon as 32-bit BGRA, top-down.
std::vector<uint32_t> IconPixels(HICON icon, int size) {
    std::vector<uint32_t> pixels(size * size);
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return {};
    HDC dc = GetDC(nullptr);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = size;
    bi.bmiHeader.biHeight = -size;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    GetDIBits(dc, info.hbmColor, 0, size, pixels.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return pixels;
}

TEST(IconResources, EveryButtonIconAtBothSizes) {
    HMODULE library = LoadLibraryExW(L"zanTSF.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(library, nullptr);
    const int ids[] = {
        langbaricon::kHalfWidth,    langbaricon::kEnglish,      langbaricon::kChinesePunct,
        langbaricon::kEnglishPunct, langbaricon::kChinese,      langbaricon::kFunctionMenu,
        langbaricon::kFullWidth,    langbaricon::kSoftKeyboard, langbaricon::kCapsLock,
        langbaricon::kClosed,       langbaricon::kDisabled};
    for (int id : ids) {
        for (int size : {16, 32}) {
            SCOPED_TRACE(testing::Message() << id << " at " << size);
            HICON icon = static_cast<HICON>(
                LoadImageW(library, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
            ASSERT_NE(icon, nullptr);
            const std::vector<uint32_t> pixels = IconPixels(icon, size);
            ASSERT_EQ(pixels.size(), size_t(size * size));
            // A tile with a light glyph on it: opaque pixels, and both light and coloured ones.
            int opaque = 0, white = 0, coloured = 0;
            for (uint32_t p : pixels) {
                if ((p >> 24) < 250) continue;
                ++opaque;
                const uint32_t b = p & 0xFF, g = (p >> 8) & 0xFF, r = (p >> 16) & 0xFF;
                if (b >= 0xC0 && g >= 0xC0 && r >= 0xC0)
                    ++white;
                else
                    ++coloured;
            }
            EXPECT_GT(opaque, size * size / 2);
            EXPECT_GT(white, size / 2);
            EXPECT_GT(coloured, size * size / 4);
            DestroyIcon(icon);
        }
    }
    FreeLibrary(library);
}

}  // namespace
