// Decoded skin pictures: 32-bit B, G, R, A rows, straight alpha.
#pragma once
#include <cstddef>
#include <cstdint>

struct SkinImage {
    int32_t width;
    int32_t height;
    uint8_t* pixels;  // width * height * 4, rows top to bottom
};

// Pictures larger than this on either side are refused when decoding.
constexpr int32_t kMaxSkinImageSide = 8192;

// A zeroed picture of the size, or null (bad size, no memory).
SkinImage* CreateSkinImage(int32_t width, int32_t height);
void FreeSkinImage(SkinImage* image);

// Decodes a PNG held in memory; null on any decoding error.
SkinImage* DecodePngFromMemory(const uint8_t* data, size_t size);
// Asked with the size from a picture's header before any pixel memory is taken; false
// refuses the picture.
using PngSizeCheck = bool (*)(void* context, int32_t width, int32_t height);
// The same, decoding only a picture whose size check (may be null) admits.
SkinImage* DecodePngFromMemoryChecked(const uint8_t* data, size_t size, PngSizeCheck check,
                                      void* context);
// The same from a file.
SkinImage* LoadPngFile(const wchar_t* path);

// Colour types after expansion (libpng's numbering).
constexpr int kPngGrey = 0;
constexpr int kPngRgb = 2;
constexpr int kPngGreyAlpha = 4;
constexpr int kPngRgba = 6;
// Builds a picture from decoded 8-bit rows of colourType; null for other types.
SkinImage* CreateImageFromPng(int32_t width, int32_t height, int colourType,
                              const uint8_t* const* rows);
