// What the soft keyboard does with a click, and its first placement: pure decisions, with the
// key presses played through a seam that tests replace.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/softkbd/soft_keyboard_keys.h"

// Mouse state of the one soft keyboard of the process.
struct SoftKeyboardGesture {
    int hover = -1;
    int pressed = -1;
    POINT press{};
    bool moved = false;
    bool shiftLatch = false;
};

enum class SoftKeyAction { kNone, kClose, kLayoutMenu, kToggleShift, kType };

// The action of a left-button release on key `released` after the gesture's press.
SoftKeyAction SoftKeyReleaseAction(const SoftKeyboardGesture& gesture, int released);

// Plays one synthesised key press or release (keybd_event by default).
using SoftKeyPress = void (*)(uint8_t vk, uint32_t flags);
// Installs the seam; null restores keybd_event.
void SetSoftKeyPress(SoftKeyPress press);

// Plays the key as a press and release; with the Shift latch on, inside a synthesised Shift.
void TypeSoftKey(int key, bool shift);

// Where a keyboard of size goes first: beside the status bar when there is one (hasStatus),
// else at the work area's bottom right.
POINT FirstSoftKeyboardPlacement(const RECT& workArea, bool hasStatus, const RECT& status,
                                 SIZE size = SIZE{kSoftKeyboardWidth, kSoftKeyboardHeight});

// A window position clamped so that the whole keyboard of size stays inside the work area.
POINT ClampSoftKeyboard(POINT at, const RECT& workArea,
                        SIZE size = SIZE{kSoftKeyboardWidth, kSoftKeyboardHeight});
