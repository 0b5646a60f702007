#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/png_writer.h"
#include "ui/image/skin_image.h"

namespace {

using testing_support::MakePng;

SkinImage* Decode(const std::string& png) {
    return DecodePngFromMemory(reinterpret_cast<const uint8_t*>(png.data()), png.size());
}

TEST(PngDecode, ColourTypesToBgra) {
    struct Case {
        const char* name;
        int type;
        std::vector<uint8_t> samples;  // one pixel
        int depth;
        std::vector<uint8_t> bgra;
    } cases[] = {
        {"RGB has alpha 0", 2, {10, 20, 30}, 8, {30, 20, 10, 0}},
        {"RGBA", 6, {10, 20, 30, 40}, 8, {30, 20, 10, 40}},
        {"grey", 0, {77}, 8, {77, 77, 77, 0}},
        {"grey and alpha", 4, {77, 200}, 8, {77, 77, 77, 200}},
        {"palette expands to RGB", 3, {1}, 8, {255, 0, 0, 0}},
        {"16-bit RGBA reduced to 8 bits", 6, {10, 0, 20, 0, 30, 0, 40, 0}, 16, {30, 20, 10, 40}},
    };
    for (const Case& c : cases) {
        SkinImage* image = Decode(MakePng(1, 1, c.type, c.samples, c.depth));
        ASSERT_NE(image, nullptr) << c.name;
        EXPECT_EQ(image->width, 1);
        EXPECT_EQ(std::vector<uint8_t>(image->pixels, image->pixels + 4), c.bgra) << c.name;
        FreeSkinImage(image);
    }
}

TEST(PngDecode, BrokenDataGivesNoPicture) {
    std::string good = testing_support::SolidPng(8, 8, 1, 2, 3, 4);
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"signature only", good.substr(0, 8)},
        {"cut inside the data", good.substr(0, good.size() - 20)},
        {"not a picture", std::string(100, 'x')},
    };
    for (const Case& c : cases) EXPECT_EQ(Decode(c.bytes), nullptr) << c.name;
    SkinImage* ok = Decode(good);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->height, 8);
    FreeSkinImage(ok);
}

TEST(PngDecode, RowsKeepTheirOrder) {
    std::vector<uint8_t> samples = {255, 0, 0, 255, 0, 0, 255, 128};  // 1 x 2: red, then blue
    SkinImage* image = Decode(MakePng(1, 2, 6, samples));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->pixels[2], 255);  // red in row 0
    EXPECT_EQ(image->pixels[4], 255);  // blue in row 1
    EXPECT_EQ(image->pixels[7], 128);
    FreeSkinImage(image);
}

}  // namespace
