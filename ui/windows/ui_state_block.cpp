#include "ui/windows/ui_state_block.h"

#include <cstring>

#include "ui/skin/skin_loader.h"

void ReleaseUIState(UIState* s) {
    if (!s) return;
    if (s->codeFont) DeleteObject(s->codeFont);
    if (s->candidateFont) DeleteObject(s->candidateFont);
    FreeSkinImage(s->stretchedBackground);
    FreeSkinImages(&s->images);
    ClearSkinLibrary(&s->library);
    std::memset(s, 0, sizeof *s);
}
