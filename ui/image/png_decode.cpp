#include <windows.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "png.h"
#include "ui/image/skin_image.h"

SkinImage* CreateSkinImage(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0 || width > kMaxSkinImageSide || height > kMaxSkinImageSide)
        return nullptr;
    auto* image = static_cast<SkinImage*>(std::calloc(1, sizeof(SkinImage)));
    if (!image) return nullptr;
    image->pixels = static_cast<uint8_t*>(std::calloc(size_t(width) * height, 4));
    if (!image->pixels) {
        std::free(image);
        return nullptr;
    }
    image->width = width;
    image->height = height;
    return image;
}

void FreeSkinImage(SkinImage* image) {
    if (!image) return;
    std::free(image->pixels);
    std::free(image);
}

SkinImage* CreateImageFromPng(int32_t width, int32_t height, int colourType,
                              const uint8_t* const* rows) {
    int channels = 0;
    switch (colourType) {
        case kPngRgb:
            channels = 3;
            break;
        case kPngRgba:
            channels = 4;
            break;
        case kPngGrey:
            channels = 1;
            break;
        case kPngGreyAlpha:
            channels = 2;
            break;
        default:
            return nullptr;
    }
    SkinImage* image = CreateSkinImage(width, height);
    if (!image) return nullptr;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* s = rows[y];
        uint8_t* d = image->pixels + size_t(y) * width * 4;
        for (int32_t x = 0; x < width; ++x, s += channels, d += 4) {
            switch (colourType) {
                case kPngRgb:
                    d[0] = s[2], d[1] = s[1], d[2] = s[0], d[3] = 0;
                    break;
                case kPngRgba:
                    d[0] = s[2], d[1] = s[1], d[2] = s[0], d[3] = s[3];
                    break;
                case kPngGrey:
                    d[0] = d[1] = d[2] = s[0], d[3] = 0;
                    break;
                default:
                    d[0] = d[1] = d[2] = s[0], d[3] = s[1];
                    break;
            }
        }
    }
    return image;
}

namespace {

struct PngMemory {
    const uint8_t* data;
    size_t size;
    size_t offset;
};

// A request past the end of the block is a decoding error, never a silent short read.
void PngReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
    auto* m = static_cast<PngMemory*>(png_get_io_ptr(png));
    if (!m || count > m->size - m->offset) png_error(png, "read past the end of the picture");
    std::memcpy(out, m->data + m->offset, count);
    m->offset += count;
}

void PngWarning(png_structp, png_const_charp) {}

// Errors return through the decode's jump, without a message on the console.
void PngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

// Decodes inside setjmp; no C++ objects with destructors live in this frame. The size is
// checked from the header before any pixel memory is taken.
SkinImage* DecodeWith(png_rw_ptr reader, void* io, PngSizeCheck check, void* context) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    if (!png) return nullptr;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return nullptr;
    }
    SkinImage* volatile result = nullptr;
    uint8_t* volatile samples = nullptr;
    png_bytep* volatile rows = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::free(rows);
        std::free(samples);
        FreeSkinImage(result);
        return nullptr;
    }
    png_set_user_limits(png, kMaxSkinImageSide, kMaxSkinImageSide);
    png_set_read_fn(png, io, reader);
    png_read_info(png, info);
    const int32_t w = static_cast<int32_t>(png_get_image_width(png, info));
    const int32_t h = static_cast<int32_t>(png_get_image_height(png, info));
    if (check && !check(context, w, h)) png_error(png, "picture refused");
    // 8-bit samples: palette to RGB, grey below 8 bits to 8 bits, tRNS to alpha.
    png_set_strip_16(png);
    png_set_expand(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const size_t stride = png_get_rowbytes(png, info);
    samples = static_cast<uint8_t*>(std::malloc(stride * size_t(h)));
    rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * size_t(h)));
    if (!samples || !rows) png_error(png, "out of memory");
    for (int32_t y = 0; y < h; ++y) rows[y] = samples + stride * size_t(y);
    png_read_image(png, rows);
    png_read_end(png, info);
    const int type = png_get_color_type(png, info);
    if (png_get_bit_depth(png, info) == 8)
        result = CreateImageFromPng(w, h, type, const_cast<const uint8_t* const*>(rows));
    SkinImage* out = result;
    png_destroy_read_struct(&png, &info, nullptr);
    std::free(rows);
    std::free(samples);
    return out;
}

}  // namespace

SkinImage* DecodePngFromMemory(const uint8_t* data, size_t size) {
    return DecodePngFromMemoryChecked(data, size, nullptr, nullptr);
}

SkinImage* DecodePngFromMemoryChecked(const uint8_t* data, size_t size, PngSizeCheck check,
                                      void* context) {
    if (!data || size < 8) return nullptr;
    PngMemory m{data, size, 0};
    return DecodeWith(PngReadFromMemory, &m, check, context);
}

SkinImage* LoadPngFile(const wchar_t* path) {
    if (!path) return nullptr;
    FILE* f = _wfopen(path, L"rb");
    if (!f) return nullptr;
    std::vector<uint8_t> bytes;
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
    return DecodePngFromMemory(bytes.data(), bytes.size());
}
