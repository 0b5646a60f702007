#include "ui/softkbd/soft_keyboard_input.h"

#include <algorithm>

#include "ui/softkbd/soft_keyboard_keys.h"

namespace {

void KeybdEvent(uint8_t vk, uint32_t flags) { keybd_event(vk, 0, flags, 0); }
SoftKeyPress g_press = KeybdEvent;

}  // namespace

void SetSoftKeyPress(SoftKeyPress press) { g_press = press ? press : KeybdEvent; }

SoftKeyAction SoftKeyReleaseAction(const SoftKeyboardGesture& g, int released) {
    if (g.moved || g.pressed < 0 || released != g.pressed) return SoftKeyAction::kNone;
    if (released == kSoftKeyClose) return SoftKeyAction::kClose;
    if (released == kSoftKeyLayoutMenu) return SoftKeyAction::kLayoutMenu;
    if (released == kSoftKeyShift) return SoftKeyAction::kToggleShift;
    if (released <= 58 && SoftKeyVirtualKey(released)) return SoftKeyAction::kType;
    return SoftKeyAction::kNone;
}

void TypeSoftKey(int key, bool shift) {
    const uint8_t vk = SoftKeyVirtualKey(key);
    if (!vk) return;
    const SoftKeyPress press = g_press;
    if (shift) press(VK_SHIFT, KEYEVENTF_EXTENDEDKEY);
    press(vk, 0);
    press(vk, KEYEVENTF_KEYUP);
    if (shift) press(VK_SHIFT, KEYEVENTF_KEYUP);
}

POINT FirstSoftKeyboardPlacement(const RECT& work, bool hasStatus, const RECT& status, SIZE size) {
    if (!hasStatus) return {work.right - size.cx, work.bottom - size.cy};
    LONG x = status.right + 1;
    if (x + size.cx > work.right) x = status.left - (size.cx + 1);
    x = std::max(x, work.left);
    const LONG y = std::max(status.bottom - size.cy, work.top);
    return {x, y};
}

POINT ClampSoftKeyboard(POINT at, const RECT& work, SIZE size) {
    const LONG x = std::max(work.left, std::min(at.x, work.right - size.cx));
    const LONG y = std::max(work.top, std::min(at.y, work.bottom - size.cy));
    return {x, y};
}
