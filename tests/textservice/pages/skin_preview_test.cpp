// The appearance page's preview picture.
#include "textservice/pages/skin_preview.h"

#include <gtest/gtest.h>

#include "ui/image/skin_image.h"

namespace {

TEST(PaintSkinPreview, BlendsTheCentredPictureOverWhite) {
    // Two pixels, B G R A: opaque pure red and half-covered blue.
    uint8_t pixels[] = {0, 0, 255, 255, 255, 0, 0, 128};
    SkinImage picture{2, 1, pixels};
    const std::vector<uint32_t> out = PaintSkinPreview(&picture, 4, 3);
    ASSERT_EQ(out.size(), 12u);
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        if (i == 5)
            EXPECT_EQ(out[i], 0xFF0000u);
        else if (i == 6)
            EXPECT_EQ(out[i], 0x7F7FFFu);
        else
            EXPECT_EQ(out[i], 0xFFFFFFu);
    }
}

TEST(PaintSkinPreview, CutsWhatDoesNotFitAndDrawsWhiteWithoutAPicture) {
    uint8_t pixels[4 * 4 * 4];
    for (int i = 0; i < 16; ++i) {
        pixels[i * 4] = static_cast<uint8_t>(i);  // blue holds the index
        pixels[i * 4 + 1] = pixels[i * 4 + 2] = 0;
        pixels[i * 4 + 3] = 255;
    }
    SkinImage picture{4, 4, pixels};
    const std::vector<uint32_t> out = PaintSkinPreview(&picture, 2, 2);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[0], 5u);  // the middle of the picture: row 1, column 1
    EXPECT_EQ(out[1], 6u);
    EXPECT_EQ(out[2], 9u);
    EXPECT_EQ(out[3], 10u);
    EXPECT_EQ(PaintSkinPreview(nullptr, 3, 1), std::vector<uint32_t>(3, 0xFFFFFF));
    EXPECT_TRUE(PaintSkinPreview(&picture, 0, 5).empty());
}

// A picture without an alpha channel decodes with alpha 0 everywhere: the preview shows its
// colours rather than a blank box.
TEST(PaintSkinPreview, PicturesWithoutAlphaShowTheirColours) {
    uint8_t pixels[] = {0x10, 0x20, 0x30, 0, 0xF0, 0x80, 0x00, 0};
    SkinImage picture{2, 1, pixels};
    const std::vector<uint32_t> out = PaintSkinPreview(&picture, 2, 1);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0], 0x302010u);
    EXPECT_EQ(out[1], 0x0080F0u);
}

}  // namespace
