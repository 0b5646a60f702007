#include "ui/dict/dict_geometry.h"

POINT PlaceDictWindow(const DictPlacementInput& in) {
    const RECT& c = in.candidate;
    const RECT& wa = in.workArea;
    POINT p;
    if (in.horizontal) {
        p.x = c.left + in.word.x - 10;
        p.y = c.bottom < wa.bottom / 2 ? c.bottom + 5 : c.top - 165;
    } else {
        p.y = c.top + in.word.y - 10;
        p.x = c.right < wa.right * 4 / 5 ? c.right + 5 : c.left - 135;
    }
    return p;
}

RECT DictChildRect(int32_t width, int32_t height) {
    return RECT{8, 8, 8 + (width - 16), 8 + (height - 38)};
}

RECT DictLinkRect(int32_t width, int32_t height) {
    return RECT{5, height - 5 - 15, width - 5, height - 5};
}

int DictAreaAt(int32_t width, int32_t height, POINT p) {
    if (p.y < height - 20) return kDictAreaBody;
    return p.x >= width - 20 ? kDictAreaGrip : kDictAreaLink;
}
