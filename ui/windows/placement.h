// Where the candidate window goes: beside the status bar, at a fixed point or below the caret.
#pragma once
#include <windows.h>

#include <cstdint>

// ImeConfigData.options placement bits.
constexpr uint32_t kPlaceBesideStatus = 0x80;
constexpr uint32_t kPlaceFixed = 0x40;

struct PlacementInput {
    uint32_t imeOptions;
    RECT workArea;          // of the monitor that decides (caret, remembered point or status)
    RECT caret;             // caret rectangle in screen pixels (top-left and height used)
    RECT status;            // status bar rectangle
    POINT remembered;       // SkinConfigData.candidateWindowPos, 0,0 for none
    int32_t width, height;  // candidate window size
};

// The window's top-left; pure arithmetic over the input.
POINT PlaceCandidate(const PlacementInput& in);

// The work area of the monitor holding the point (SPI_GETWORKAREA without one).
RECT WorkAreaAt(POINT point);
