// Geometry of the dictionary window: where it opens beside the candidate window, its child
// and link band, and what a press or the cursor means at a point. Pure arithmetic.
#pragma once
#include <windows.h>

#include <cstdint>

constexpr int32_t kDictWidth = 130;
constexpr int32_t kDictHeight = 160;

// Press areas (and cursor areas) of the client.
constexpr int kDictAreaBody = 0;   // drags the window
constexpr int kDictAreaLink = 21;  // "查看详细解释..."
constexpr int kDictAreaGrip = 22;  // resizes the window

struct DictPlacementInput {
    bool horizontal;  // horizontal layout or vertical writing (SkinConfigData.options 0x18)
    RECT candidate;   // the candidate window, screen pixels
    POINT word;       // the candidate word's top-left inside the candidate window
    RECT workArea;    // of the monitor holding the candidate window
};

// Top-left of the window: below or above the candidate window for a horizontal layout,
// right or left of it for rows, lined up with the word.
POINT PlaceDictWindow(const DictPlacementInput& in);

// The rich-edit child inside a client of this size.
RECT DictChildRect(int32_t width, int32_t height);
// The bottom band holding the link, inside the 5-pixel margin.
RECT DictLinkRect(int32_t width, int32_t height);
// kDictAreaGrip in the bottom-right 20 x 20 corner, kDictAreaLink elsewhere in the bottom
// 20 pixels, kDictAreaBody above.
int DictAreaAt(int32_t width, int32_t height, POINT client);
