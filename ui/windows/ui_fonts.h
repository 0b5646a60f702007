// Fonts of the skinned windows, from the skin or from the settings' own styles.
#pragma once
#include <windows.h>

#include "core/record/engine.h"

// Replaces the UIState's code and candidate fonts with ones made from the effective styles.
void CreateUIFonts(Engine* engine);
// The extent of "国" in a font of style, 8 added to its height.
SIZE MeasureCandidateText(const SkinFontStyle& style);
