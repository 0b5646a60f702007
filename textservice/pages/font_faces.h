// The font faces of the display, listed once per process for the appearance page.
#pragma once
#include <string>
#include <vector>

constexpr size_t kFontFaceChars = 32;

// Face names (each at most 32 characters), in the order the system enumerates them.
const std::vector<std::wstring>& DisplayFontFaces();
