// The skin.ini grammar: sections of key=value lines into a SkinDescription.
#pragma once
#include <cstddef>
#include <cstdint>

#include "ui/skin/skin_description.h"

enum SkinIniResult : int {
    kSkinIniOk = 0,
    kSkinIniNoText = 1,
    kSkinIniNoName = 2,
    kSkinIniBadVersion = 4,
};

// The version line every skin.ini starts with (60 units).
extern const wchar_t kSkinIniVersionLine[];
constexpr int kSkinIniVersionUnits = 60;
constexpr int kSkinIniLineUnits = 127;

// Zero-fills the description and parses the text (decoded by byte-order mark); path stays
// empty.
SkinIniResult ParseSkinIni(SkinDescription* description, const uint8_t* bytes, size_t byteCount);

// Holds every number of the description's geometry (status bar, the four candidate layouts,
// font sizes) within the skin bounds of skin_description.h; ParseSkinIni does this last.
void BoundSkinGeometry(SkinDescription* description);
