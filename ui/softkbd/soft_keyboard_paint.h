// Drawing the soft keyboard into a device context: the picture, the labels of the layout and
// the names of the other keys, and the frames of the Shift latch, the hovered and the pressed
// key.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/softkbd/soft_keyboard_input.h"

// Draws the whole keyboard (440 x 169 at 96 DPI, scaled for dpi) into dc at (0, 0); picture
// may be null (white keys).
void PaintSoftKeyboard(HDC dc, HBITMAP picture, uint32_t layout, const SoftKeyboardGesture& g,
                       int32_t dpi = 96);
