// Window procedures of the windows whose code has not arrived yet: plain default handling.
// Each goes when its window's own procedure lands.
#include "ui/windows/skin_window_classes.h"

LRESULT CALLBACK TipWndProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProcW(w, m, wp, lp);
}
