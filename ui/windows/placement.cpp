#include "ui/windows/placement.h"

POINT PlaceCandidate(const PlacementInput& in) {
    const RECT& wa = in.workArea;
    const int32_t W = in.width, H = in.height;
    const LONG caretHeight = in.caret.bottom - in.caret.top;
    LONG x, y;
    // Positions are measured from the work area's own left and top: a taskbar at the left or
    // top, or a second monitor, moves them.
    const LONG fourFifths = wa.left + (wa.right - wa.left) * 4 / 5;
    if (in.imeOptions & kPlaceBesideStatus) {
        LONG statusW = in.status.right - in.status.left;
        LONG statusH = in.status.bottom - in.status.top;
        x = in.status.left + statusW < fourFifths ? in.status.left + statusW + 5
                                                  : in.status.left - W - 5;
        LONG middle = wa.top + (wa.bottom - wa.top) / 2;
        y = in.status.top + statusH > middle ? in.status.top + statusH - H : in.status.top;
    } else if (in.imeOptions & kPlaceFixed) {
        if (in.remembered.x != 0 || in.remembered.y != 0) {
            x = in.remembered.x;
            y = in.remembered.y;
            if (x + W > wa.right) x = wa.right - W;
            if (y + H > wa.bottom) y = wa.bottom - H;
        } else {
            x = in.status.right < fourFifths ? wa.right - W : wa.left;
            y = wa.bottom - H;
        }
        if (x < wa.left) x = wa.left;
        if (y < wa.top) y = wa.top;
    } else {
        x = in.caret.left;
        y = in.caret.top + caretHeight + 2;
    }
    if (x + W > wa.right) x = wa.right - W;
    if (y + H > wa.bottom) {
        y = y - caretHeight - H - 2;
        if (y + H > wa.bottom) y = wa.bottom - H;
    }
    if (x < wa.left) x = wa.left;
    if (y < wa.top) y = wa.top;
    return POINT{x, y};
}

RECT WorkAreaAt(POINT point) {
    RECT area{0, 0, 0, 0};
    HMONITOR monitor = MonitorFromPoint(point, MONITOR_DEFAULTTONULL);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (monitor && GetMonitorInfoW(monitor, &info)) return info.rcWork;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}
