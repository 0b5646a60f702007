#include "support/png_writer.h"

#include <csetjmp>

#include "png.h"

namespace testing_support {
namespace {

void Append(png_structp png, png_bytep data, png_size_t n) {
    auto* out = static_cast<std::string*>(png_get_io_ptr(png));
    out->append(reinterpret_cast<const char*>(data), n);
}
void Flush(png_structp) {}

}  // namespace

std::string MakePng(int width, int height, int colourType, const std::vector<uint8_t>& samples,
                    int bitDepth) {
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return std::string();
    }
    png_set_write_fn(png, &out, Append, Flush);
    png_set_IHDR(png, info, width, height, bitDepth, colourType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    int channels = colourType == 2 ? 3 : colourType == 6 ? 4 : colourType == 4 ? 2 : 1;
    if (colourType == 3) {
        png_color palette[2] = {{255, 0, 0}, {0, 0, 255}};
        png_set_PLTE(png, info, palette, 2);
    }
    png_write_info(png, info);
    size_t stride = size_t(width) * channels * (bitDepth / 8);
    for (int y = 0; y < height; ++y)
        png_write_row(png, const_cast<png_bytep>(samples.data() + y * stride));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::string SolidPng(int width, int height, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    std::vector<uint8_t> s;
    for (int i = 0; i < width * height; ++i) s.insert(s.end(), {r, g, b, a});
    return MakePng(width, height, 6, s);
}

}  // namespace testing_support
