// UIState: the skinned windows' state of one engine record (skin, regions, fonts, window
// geometry). Allocated zeroed with the engine record and freed with it.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "core/record/engine.h"
#include "ui/image/skin_region.h"
#include "ui/skin/skin_description.h"

// Window state of the candidate window kept beside its regions.
struct CandidateWindowState {
    int32_t width, height;          // window size
    int32_t x, y;                   // window position
    int32_t pressX, pressY;         // press point
    int64_t hoverId;                // -1: none
    int64_t pressedId;              // -1: none
    const CandidateLayout* layout;  // layout of the last layout run, null when skipped
    CandidateLayout bounded;        // that layout with its numbers kept in a sane range
    const SkinImage* background;    // its unstretched background picture
    int32_t vertical;               // the last layout laid out rows or columns
    int32_t columns;                // vertical writing
    // The window region last set: made from this background picture at this size.
    const SkinImage* regionSource;
    int32_t regionWidth, regionHeight;
};

// What the front end tells the window about its host.
struct CandidateHost {
    HWND owner;        // the host window in immersive mode on Windows 8 and later, else null
    HWND focus;        // focus window for accessibility events
    bool imm32;        // the record belongs to an IMM32 input context
    bool immersive;    // immersive host on Windows 8 or later
    bool textService;  // the record belongs to the text service
};

struct UIState {
    SkinFontStyle codeStyle;
    SkinFontStyle candidateStyle;
    HFONT codeFont;
    HFONT candidateFont;
    SkinRegion candidateRegions[kSkinRegionCount];
    SkinRegion statusRegions[kSkinRegionCount];
    SkinImage* stretchedBackground;
    SkinLibrary library;
    SkinDescription skin;
    SkinImageSet images;
    int32_t showCode;
    HWND statusTooltip;
    TOOLINFOW statusTool;
    CandidateWindowState candidate;
    CandidateHost host;
    RECT caret;  // last caret rectangle handed in, screen pixels
    // The skinName that led to the last fallback to the built-in skin; a later different
    // choice loads again.
    wchar_t fallbackName[kSkinNameUnits];
    SIZE dictSize;  // the dictionary window's size once the user resized it; 0 before
    int32_t dpi;    // display DPI the skin and fonts are scaled for; 0 is 96
};

// Frees fonts, pictures and stretched background; leaves the block zeroed.
void ReleaseUIState(UIState* state);
