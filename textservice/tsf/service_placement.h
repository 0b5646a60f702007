// Where the text service puts its windows: the candidate window's anchor under a composition
// and the state tip near the caret. Pure arithmetic over what the window system reports.
#pragma once
#include <windows.h>

// The caret box used when the composition's rectangle is not in the client area.
constexpr LONG kCaretBoxWidth = 41;
constexpr LONG kCaretBoxHeight = 21;

struct CandidatePlacementInput {
    RECT composition;  // client coordinates of the focus window
    bool hasFocusWindow;
    bool immersive;
    RECT client;         // the focus window's client rectangle
    POINT caret;         // caret position, client coordinates
    POINT clientOrigin;  // screen position of the client area's origin (0,0 without a window)
    LONG windowTop;      // top of the focus window's rectangle last kept, screen coordinates
};

// The caret rectangle for the candidate window, in screen coordinates: its top-left is the
// anchor (composition left, top + 2, moved 20 below the window's top when it would lie above
// it), its size the composition box (or the caret box).
RECT PlaceCandidateAnchor(const CandidatePlacementInput& in);

// The state tip's top-left: below and right of the caret (screen coordinates) when it is
// known, else near the work area's bottom-right corner; kept inside the work area's right and
// bottom, never negative.
POINT PlaceStateTip(bool caretKnown, POINT caret, const RECT& workArea);
