#include "textservice/tsf/service_placement.h"

namespace {

bool Inside(const RECT& r, LONG x, LONG y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

}  // namespace

RECT PlaceCandidateAnchor(const CandidatePlacementInput& in) {
    RECT box = in.composition;
    if (in.hasFocusWindow && !in.immersive && !Inside(in.client, box.left, box.top))
        box = {in.caret.x, in.caret.y, in.caret.x + kCaretBoxWidth, in.caret.y + kCaretBoxHeight};
    const LONG width = box.right - box.left;
    const LONG height = box.bottom - box.top;
    POINT anchor = {box.left + in.clientOrigin.x, box.top + 2 + in.clientOrigin.y};
    if (anchor.y < in.windowTop) anchor.y = in.windowTop + 20;
    return {anchor.x, anchor.y, anchor.x + width, anchor.y + height};
}

POINT PlaceStateTip(bool caretKnown, POINT caret, const RECT& workArea) {
    POINT at = caretKnown ? POINT{caret.x + 10, caret.y + 32}
                          : POINT{workArea.right - 64, workArea.bottom - 64};
    if (workArea.bottom < at.y + 32) at.y -= 66;
    if (workArea.right < at.x + 74) at.x = workArea.right - 74;
    if (at.x < 0) at.x = 0;
    if (at.y < 0) at.y = 0;
    return at;
}
