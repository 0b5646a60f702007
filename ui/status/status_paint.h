// Painting the status bar into a canvas of the bar picture's size.
#pragma once
#include "core/record/engine.h"
#include "ui/image/skin_canvas.h"

// The bar picture, the logo (hovered: "flag_1.png" when there is one), the mode, width,
// punctuation, soft-keyboard and script buttons by the engine's state, menu and extension
// buttons, then the status alpha pass. hoverId: the hovered button's id (-1 none). False
// without a skin or when the canvas is not the bar's size.
bool PaintStatusCanvas(const Engine* engine, bool capsLock, int64_t hoverId, SkinCanvas* canvas);
