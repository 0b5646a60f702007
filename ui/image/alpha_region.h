// Window regions from a picture's alpha channel.
#pragma once
#include <windows.h>

#include "ui/image/skin_image.h"

// Rectangles per ExtCreateRegion batch and the growth step of the batch buffer.
constexpr int kRegionBatchRects = 4000;
constexpr int kRegionGrowRects = 100;

// A shape of more row runs than this is not worth its cost (a dithered or checkered alpha):
// the window takes the picture's rectangle instead.
constexpr int64_t kMaxRegionRects = 16000;

// The union of every pixel with non-zero alpha; an empty region for a fully transparent
// picture, the whole picture's rectangle for a shape of more than kMaxRegionRects runs, null
// for a null picture or when GDI fails. The caller owns the region.
HRGN CreateRegionFromAlpha(const SkinImage* picture);

// Gives the region to the window (redrawing it unless told not to). The window owns a region it
// accepted; a refused one is deleted here. False when refused (or for a null region).
bool SetWindowRegion(HWND window, HRGN region, bool redraw = true);
