// Pictures as GDI bitmaps: PNG and BMP files for the clipboard, previews over white.
#pragma once
#include <windows.h>

#include "ui/image/skin_image.h"

// One pixel over white: each channel c * a + (1 - a) * 255 with a = alpha / 255, cut at 255;
// alpha 0 keeps the stored colour (pictures without an alpha channel).
void BlendPixelOnWhite(const uint8_t* bgra, uint8_t* bgrOut);
// A 32-bit DIB section of the picture blended over white; null on failure.
HBITMAP CreateBitmapOnWhite(const SkinImage* picture);
// Paints the picture over white at the DC's origin.
void DrawImageOnWhite(HDC dc, const SkinImage* picture);
// Decodes a .png (over white) or .bmp file into a bitmap the caller owns; null on failure.
HBITMAP DecodeImageFileToBitmap(const wchar_t* path);
