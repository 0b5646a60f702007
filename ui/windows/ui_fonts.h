// Fonts of the skinned windows, from the skin or from the settings' own styles.
#pragma once
#include <windows.h>

#include "core/record/engine.h"

// Replaces the UIState's code and candidate fonts with ones made from the effective styles.
void CreateUIFonts(Engine* engine);
// Makes the candidate font from an application's font (face, height, weight, italic,
// underline, strike-out); the colour and vertical writing stay the skin's. Nothing is made
// again while the style already matches and a font exists.
void SetCandidateFont(Engine* engine, const LOGFONTW& font);
// The extent of "国" in a font of style, 8 added to its height.
SIZE MeasureCandidateText(const SkinFontStyle& style);
