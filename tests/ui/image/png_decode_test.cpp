#include <gtest/gtest.h>

#include <csetjmp>
#include <string>
#include <vector>

#include "png.h"
#include "support/png_writer.h"
#include "ui/image/skin_image.h"
#include "ui/skin_fixture.h"

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

// What a size check saw and answered.
struct SizeCheck {
    bool admit;
    int calls = 0;
    int32_t width = 0, height = 0;
    static bool Ask(void* context, int32_t w, int32_t h) {
        auto* c = static_cast<SizeCheck*>(context);
        ++c->calls, c->width = w, c->height = h;
        return c->admit;
    }
};

TEST(PngDecode, SizeCheckSeesTheHeaderBeforeDecoding) {
    struct Case {
        const char* name;
        std::string png;
        bool admit;
        bool decoded;
        int calls;
        int32_t width, height;
    } cases[] = {
        {"admitted", testing_support::SolidPng(3, 2, 1, 2, 3, 4), true, true, 1, 3, 2},
        {"refused", testing_support::SolidPng(3, 2, 1, 2, 3, 4), false, false, 1, 3, 2},
        {"a header claiming more than the data holds", testing_support::ClaimedSizePng(3000, 3000),
         true, false, 1, 3000, 3000},
        {"over the decoder's own side limit",
         testing_support::ClaimedSizePng(kMaxSkinImageSide + 1, 1), true, false, 0, 0, 0},
        {"no header", std::string(100, 'x'), true, false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SizeCheck check{c.admit};
        SkinImage* image = DecodePngFromMemoryChecked(
            reinterpret_cast<const uint8_t*>(c.png.data()), c.png.size(), SizeCheck::Ask, &check);
        EXPECT_EQ(image != nullptr, c.decoded) << c.name;
        EXPECT_EQ(check.calls, c.calls) << c.name;
        EXPECT_EQ(check.width, c.width) << c.name;
        EXPECT_EQ(check.height, c.height) << c.name;
        if (image) {
            EXPECT_EQ(image->width, c.width) << c.name;
            EXPECT_EQ(image->height, c.height) << c.name;
        }
        FreeSkinImage(image);
    }
}

void AppendBytes(png_structp png, png_bytep data, png_size_t n) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<char*>(data), n);
}
void NoFlush(png_structp) {}

// An RGBA picture written with Adam7 interlacing.
std::string InterlacedPng(int width, int height, std::vector<uint8_t>& samples) {
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rows;
    for (int y = 0; y < height; ++y) rows.push_back(samples.data() + size_t(y) * width * 4);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return std::string();
    }
    png_set_write_fn(png, &out, AppendBytes, NoFlush);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_ADAM7,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

TEST(PngDecode, InterlacedPicturesDecodeWhole) {
    const int w = 11, h = 9;  // every Adam7 pass holds pixels
    std::vector<uint8_t> samples;
    for (int i = 0; i < w * h; ++i)
        samples.insert(samples.end(),
                       {uint8_t(i), uint8_t(i * 3), uint8_t(255 - i), uint8_t(i | 1)});
    std::string png = InterlacedPng(w, h, samples);
    ASSERT_FALSE(png.empty());
    SkinImage* image = Decode(png);
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->width, w);
    ASSERT_EQ(image->height, h);
    for (int i = 0; i < w * h; ++i) {
        const uint8_t* s = &samples[size_t(i) * 4];
        const uint8_t* d = image->pixels + size_t(i) * 4;
        ASSERT_EQ(std::vector<uint8_t>(d, d + 4), (std::vector<uint8_t>{s[2], s[1], s[0], s[3]}))
            << "pixel " << i;
    }
    FreeSkinImage(image);
}

}  // namespace
