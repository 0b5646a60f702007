// A parsed skin package: information, text style and window geometry from skin.ini, and the
// set of decoded pictures.
#pragma once
#include <cstdint>

#include "ui/image/skin_image.h"

constexpr int kSkinPathUnits = 260;
constexpr int kSkinInfoUnits = 40;
constexpr int kSkinContactUnits = 128;
constexpr int kSkinFontNameUnits = 40;
constexpr wchar_t kSkinFromResource[] = L"fromResource";

// What a skin may say about geometry: coordinates, gaps, margins and minimum sizes are held
// within kMaxSkinExtent pixels either way and font sizes within kMaxSkinFontSize, so that no
// skin asks for a window larger than a screen or for sums that overflow.
constexpr int32_t kMaxSkinExtent = 2048;
constexpr int32_t kMaxSkinFontSize = 200;
// No skinned window is laid out larger than this on a side (after display scaling).
constexpr int32_t kMaxSkinWindowSide = 4096;

struct SkinInfo {
    wchar_t name[kSkinInfoUnits];
    wchar_t description[kSkinInfoUnits];
    wchar_t version[kSkinInfoUnits];
    wchar_t ownerName[kSkinInfoUnits];
    wchar_t ownerContact[kSkinContactUnits];
};

struct SkinTextStyle {
    int32_t codeColour;
    wchar_t codeFontName[kSkinFontNameUnits];
    int32_t codeFontSize;
    int32_t codeFontWeight;
    int32_t candidateColour;
    wchar_t candidateFontName[kSkinFontNameUnits];
    int32_t candidateFontSize;
    int32_t candidateFontWeight;
    uint8_t rightToLeft;
    int32_t indexColour;
    int32_t hintColour;
    int32_t tempWordColour;
    int32_t userWordColour;
    int32_t firstCandidateColour;
    int32_t firstCandidateBackground;
    int32_t hoverBackground;
    int32_t hoverColour;
    int32_t maxCodeShown;
    int32_t maxCandidatesShown;
    int32_t caretColour;
};

struct SkinPoint {
    int32_t x;
    int32_t y;
};

// A position with a negative coordinate hides the button.
inline bool SkinPointShown(const SkinPoint& p) { return p.x >= 0 && p.y >= 0; }

struct StatusBarLayout {
    int32_t defaultCorner;
    SkinPoint modeButton;
    SkinPoint punctuationButton;
    SkinPoint widthButton;
    SkinPoint softKeyboardButton;
    SkinPoint menuButton;
    SkinPoint logo;
    SkinPoint extension1Button;
    SkinPoint extension2Button;
    SkinPoint scriptButton;
};

struct CandidateLayout {
    SkinPoint pageDownButton;
    SkinPoint pageUpButton;
    SkinPoint punctuationButton;
    SkinPoint widthButton;
    SkinPoint extension1Button;
    SkinPoint extension2Button;
    SkinPoint codeOrigin;
    SkinPoint candidateOrigin;
    int32_t indexGap;
    int32_t hintGap;
    int32_t candidateGap;
    int32_t lineGap;
    SkinPoint stretchX;  // start, end columns
    SkinPoint stretchY;  // start, end rows
    int32_t rightMargin;
    int32_t bottomMargin;
    int32_t minWidth;
    int32_t minHeight;
    SkinPoint embedOffset;
    wchar_t indexSuffix;
    int32_t textFrame[4];
};

struct SkinDescription {
    wchar_t path[kSkinPathUnits];  // package path, or "fromResource"
    SkinInfo info;
    SkinTextStyle text;
    StatusBarLayout statusBar;
    CandidateLayout mergedH;
    CandidateLayout mergedV;
    CandidateLayout embeddedH;
    CandidateLayout embeddedV;
};

// Slots of SkinImageSet: five single pictures, then seventeen groups of four states.
enum SkinImageSlot : int {
    kSlotStatusBar = 0,
    kSlotMergedH = 1,
    kSlotMergedV = 2,
    kSlotEmbeddedH = 3,
    kSlotEmbeddedV = 4,
    kSlotLogo = 5,
    kSlotEnglishMode = 9,
    kSlotChineseMode = 13,
    kSlotCapsLock = 17,
    kSlotEnglishPunct = 21,
    kSlotChinesePunct = 25,
    kSlotFullWidth = 29,
    kSlotHalfWidth = 33,
    kSlotSoftKeyboard2 = 37,
    kSlotSoftKeyboard = 41,
    kSlotMenu = 45,
    kSlotPageUp = 49,
    kSlotPageDown = 53,
    kSlotExtension1 = 57,
    kSlotExtension2 = 61,
    kSlotSimplified = 65,
    kSlotTraditional = 69,
    kSkinImageSlots = 73,
};
constexpr int kRequiredSkinImages = 5;

struct SkinImageSet {
    SkinImage* images[kSkinImageSlots];
};

// Entry name of every slot, in slot order.
extern const char* const kSkinImageNames[kSkinImageSlots];

constexpr int kSkinLibrarySize = 64;

struct SkinLibrary {
    int32_t count;
    SkinDescription descriptions[kSkinLibrarySize];
    SkinImageSet imageSets[kSkinLibrarySize];
};
