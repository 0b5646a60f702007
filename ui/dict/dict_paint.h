// Painting of the dictionary window's client (the rich-edit child paints itself): white
// ground, grey frame, the blue link in the bottom band and the resize grip.
#pragma once
#include <windows.h>

#include <cstdint>

constexpr COLORREF kDictFrameColour = 0xA0A0A0;
constexpr COLORREF kDictLinkColour = 0xFF0000;  // blue as a COLORREF
inline constexpr wchar_t kDictLinkText[] = L"查看详细解释...";

// Paints a client of width x height into dc; linkFont may be null (the DC's font).
void PaintDictWindow(HDC dc, int32_t width, int32_t height, HFONT linkFont);
