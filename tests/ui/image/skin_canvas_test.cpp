#include "ui/image/skin_canvas.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

using Pixel = std::array<uint8_t, 4>;  // B, G, R, A

struct Picture {
    SkinImage image{};
    std::vector<uint8_t> bytes;
    Picture(int w, int h, Pixel p) : bytes(size_t(w) * h * 4) {
        for (size_t i = 0; i < bytes.size(); i += 4)
            std::copy(p.begin(), p.end(), bytes.begin() + i);
        image = SkinImage{w, h, bytes.data()};
    }
    Pixel at(int x, int y) const {
        const uint8_t* p = bytes.data() + (size_t(y) * image.width + x) * 4;
        return {p[0], p[1], p[2], p[3]};
    }
    void set(int x, int y, Pixel p) {
        std::copy(p.begin(), p.end(), bytes.begin() + (size_t(y) * image.width + x) * 4);
    }
};

struct Canvas {
    std::vector<uint8_t> bytes;
    SkinCanvas c;
    Canvas(int w, int h, Pixel p) : bytes(size_t(w) * h * 4) {
        for (size_t i = 0; i < bytes.size(); i += 4)
            std::copy(p.begin(), p.end(), bytes.begin() + i);
        c = SkinCanvas{w, h, bytes.data()};
    }
    Pixel at(int x, int y) const {
        const uint8_t* p = bytes.data() + (size_t(y) * c.width + x) * 4;
        return {p[0], p[1], p[2], p[3]};
    }
};

TEST(SkinCanvas, BlendingOverTheCanvas) {
    struct Case {
        const char* name;
        Pixel source, canvas, expected;
    } cases[] = {
        {"opaque source stores 254", {10, 20, 30, 255}, {100, 100, 100, 255}, {10, 20, 30, 254}},
        {"transparent source leaves the pixel",
         {10, 20, 30, 0},
         {100, 100, 100, 77},
         {100, 100, 100, 77}},
        {"half over opaque stays opaque", {200, 0, 0, 128}, {0, 0, 200, 255}, {100, 0, 99, 254}},
        {"half over transparent", {200, 0, 0, 128}, {0, 0, 0, 0}, {100, 0, 0, 128}},
        {"quarter over half", {255, 255, 255, 64}, {0, 0, 0, 128}, {64, 64, 64, 159}},
    };
    for (const Case& c : cases) {
        Picture p(1, 1, c.source);
        Canvas canvas(3, 3, c.canvas);
        BlitImage(1, 1, &p.image, &canvas.c);
        EXPECT_EQ(canvas.at(1, 1), c.expected) << c.name;
        EXPECT_EQ(canvas.at(0, 0), c.canvas) << c.name;
    }
}

TEST(SkinCanvas, StatePicturesAndTheirFit) {
    Picture normal(2, 2, {1, 1, 1, 255}), hover(2, 2, {2, 2, 2, 255}),
        pressed(2, 2, {3, 3, 3, 255}), disabled(2, 2, {4, 4, 4, 255}), large(4, 4, {9, 9, 9, 255});
    SkinImage* group[4] = {&normal.image, &hover.image, &pressed.image, &disabled.image};
    SkinImage* sparse[4] = {&normal.image, nullptr, &large.image, nullptr};
    struct Case {
        const char* name;
        SkinImage** group;
        uint64_t state;
        int32_t x, y;
        uint8_t expected;  // blue at (3, 3); 0 when nothing was drawn
    } cases[] = {
        {"normal", group, kRegionNormal, 2, 2, 1},
        {"hover shows _1", group, kRegionHover, 2, 2, 2},
        {"pressed shows _2", group, kRegionPressed, 2, 2, 3},
        {"disabled shows _3", group, kRegionDisabled, 2, 2, 4},
        {"hidden draws nothing", group, kRegionHidden, 2, 2, 0},
        {"negative x draws nothing", group, kRegionNormal, -1, 2, 0},
        {"missing state picture falls back", sparse, kRegionHover, 2, 2, 1},
        // A larger state picture that would pass the canvas edge is not drawn at all.
        {"larger state picture past the edge", sparse, kRegionPressed, 2, 2, 0},
        {"larger state picture inside", sparse, kRegionPressed, 0, 0, 9},
    };
    for (const Case& c : cases) {
        Canvas canvas(4, 4, {0, 0, 0, 0});
        SkinRegion r{};
        r.x = c.x;
        r.y = c.y;
        r.state = c.state;
        PaintImageRegion(&r, c.group, &canvas.c);
        EXPECT_EQ(canvas.at(3, 3)[0], c.expected) << c.name;
    }
}

TEST(SkinCanvas, PremultipliedCopyAndAlphaPasses) {
    Picture bg(3, 1, {200, 100, 50, 128});
    bg.set(2, 0, {200, 100, 50, 255});
    Canvas canvas(3, 1, {0, 0, 0, 0});
    ASSERT_TRUE(CopyBackgroundPremultiplied(&bg.image, &canvas.c));
    EXPECT_EQ(canvas.at(0, 0), (Pixel{100, 50, 25, 255}));  // 255 marks untouched pixels
    canvas.bytes[3] = 0;                                    // GDI drew at x 0
    canvas.bytes[4 + 3] = 255;                              // x 1 untouched
    CandidateAlphaPass(&bg.image, &canvas.c);
    EXPECT_EQ(canvas.at(0, 0), (Pixel{100, 50, 25, 255}));
    EXPECT_EQ(canvas.at(1, 0), (Pixel{100, 50, 25, 128}));
    EXPECT_EQ(canvas.at(2, 0), (Pixel{200, 100, 50, 255}));

    Canvas status(3, 1, {9, 9, 9, 0});
    status.bytes[4 + 3] = 100;  // below the background's 128
    status.bytes[8 + 3] = 200;  // a picture's own alpha below 255 stays
    StatusAlphaPass(&bg.image, &status.c);
    EXPECT_EQ(status.at(0, 0)[3], 255);
    EXPECT_EQ(status.at(1, 0)[3], 128);
    EXPECT_EQ(status.at(2, 0)[3], 255);  // 200 < background 255
}

TEST(SkinCanvas, StretchTilesTheBands) {
    // Columns 0..9 hold their index in blue; rows likewise in green.
    Picture src(10, 4, {0, 0, 0, 255});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 10; ++x) src.set(x, y, {uint8_t(x), uint8_t(y), 0, 255});
    SkinImage* same = StretchSkinImage(&src.image, 10, 4, 2, 5, 1, 2);
    ASSERT_NE(same, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(same->pixels, same->pixels + 160), src.bytes);
    FreeSkinImage(same);

    SkinImage* wide = StretchSkinImage(&src.image, 20, 7, 2, 5, 1, 2);
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->width, 20);
    EXPECT_EQ(wide->height, 7);
    std::vector<int> columns, rows;
    for (int x = 0; x < 20; ++x) columns.push_back(wide->pixels[x * 4]);
    for (int y = 0; y < 7; ++y) rows.push_back(wide->pixels[size_t(y) * 20 * 4 + 1]);
    EXPECT_EQ(columns,
              (std::vector<int>{0, 1, 2, 3, 4, 5, 2, 3, 4, 5, 2, 3, 4, 5, 2, 3, 6, 7, 8, 9}));
    EXPECT_EQ(rows, (std::vector<int>{0, 1, 2, 1, 2, 1, 3}));
    FreeSkinImage(wide);
}

TEST(SkinCanvas, BandsOutsideThePictureAreRefused) {
    Picture src(10, 4, {7, 7, 7, 255});
    struct Case {
        const char* name;
        int32_t sx0, sx1, sy0, sy1;
        int32_t width, height;
    } cases[] = {
        {"reversed x band", 6, 2, 1, 2, 10, 8},  {"x band past the width", 2, 10, 1, 2, 10, 8},
        {"negative y band", 2, 5, -1, 2, 30, 4}, {"y band past the height", 2, 5, 1, 4, 30, 4},
        {"both fine", 2, 5, 1, 2, 30, 8},
    };
    for (const Case& c : cases) {
        SkinImage* out = StretchSkinImage(&src.image, 30, 8, c.sx0, c.sx1, c.sy0, c.sy1);
        ASSERT_NE(out, nullptr) << c.name;
        EXPECT_EQ(out->width, c.width) << c.name;
        EXPECT_EQ(out->height, c.height) << c.name;
        FreeSkinImage(out);
    }
}

}  // namespace
