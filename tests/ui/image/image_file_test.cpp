#include "ui/image/image_file.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "support/png_writer.h"
#include "support/test_files.h"
#include "ui/image/gdi_handles.h"

namespace {

using namespace testing_support;

TEST(ImageOnWhite, PixelTable) {
    struct Case {
        const char* name;
        std::array<uint8_t, 4> bgra;
        std::array<uint8_t, 3> bgr;
    } cases[] = {
        {"opaque", {10, 20, 30, 255}, {10, 20, 30}},
        {"half", {0, 100, 255, 128}, {127, 177, 255}},
        {"alpha 0 keeps the stored colour", {10, 20, 30, 0}, {10, 20, 30}},
    };
    for (const Case& c : cases) {
        uint8_t out[3];
        BlendPixelOnWhite(c.bgra.data(), out);
        EXPECT_EQ((std::array<uint8_t, 3>{out[0], out[1], out[2]}), c.bgr) << c.name;
    }
}

// The first pixel of a bitmap as B, G, R.
std::array<int, 3> FirstPixel(HBITMAP bitmap) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 2;
    info.bmiHeader.biHeight = -2;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    uint8_t px[16] = {};
    zan::WindowDC screen(nullptr);
    GetDIBits(screen.get(), bitmap, 0, 2, px, &info, DIB_RGB_COLORS);
    return {px[0], px[1], px[2]};
}

TEST(ImageFile, PngAndBmpFilesBecomeBitmaps) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / L"a.png", SolidPng(2, 2, 200, 100, 50, 255)));
    // A 2 x 2 24-bit bottom-up BMP of one colour (B 1, G 2, R 3).
    std::vector<uint8_t> bmp = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0,  0,
                                2,   0,   0,  0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0,  0, 16, 0,
                                0,   0,   0,  0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0, 0,  0};
    bmp.resize(70);
    const uint8_t row[8] = {1, 2, 3, 1, 2, 3, 0, 0};
    for (int i = 0; i < 16; ++i) bmp[54 + i] = row[i % 8];
    ASSERT_TRUE(WriteFileBytes(dir / L"b.bmp", bmp));
    ASSERT_TRUE(WriteFileBytes(dir / L"c.png", std::string("not a picture")));
    struct Case {
        const wchar_t* name;
        bool ok;
        std::array<int, 3> bgr;
    } cases[] = {{L"a.png", true, {50, 100, 200}},
                 {L"b.bmp", true, {1, 2, 3}},
                 {L"c.png", false, {}},
                 {L"none.png", false, {}},
                 {L"a.gif", false, {}}};
    for (const Case& c : cases) {
        zan::UniqueBitmap bitmap(DecodeImageFileToBitmap((dir / c.name).c_str()));
        EXPECT_EQ(bool(bitmap), c.ok) << Narrow(c.name);
        if (bitmap) {
            EXPECT_EQ(FirstPixel(bitmap.get()), c.bgr) << Narrow(c.name);
        }
    }
}

}  // namespace
