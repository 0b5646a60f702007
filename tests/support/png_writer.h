// Encodes small PNG pictures for tests with libpng's write side.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// rows: height rows of width pixels with the channel count of colourType (0 grey, 2 RGB,
// 3 palette, 4 grey+alpha, 6 RGBA) at bitDepth 8, or 16 (two bytes per sample, big-endian).
std::string MakePng(int width, int height, int colourType, const std::vector<uint8_t>& samples,
                    int bitDepth = 8);
// A width x height RGBA picture of one colour.
std::string SolidPng(int width, int height, uint8_t r, uint8_t g, uint8_t b, uint8_t a);

}  // namespace testing_support
