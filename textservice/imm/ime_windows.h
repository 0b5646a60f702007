// The skinned windows as the IMM32 front end drives them; tests install their own table.
#pragma once
#include "core/record/engine.h"

struct ImeWindowOps {
    // Shows the candidate window for the current page below caret (screen pixels); focus is
    // the input context's window.
    void (*showCandidates)(Engine* engine, HWND focus, const RECT& caret);
    void (*hideCandidates)(Engine* engine);
    void (*destroyCandidates)(Engine* engine);
    void (*showStatus)(Engine* engine, bool show);
    void (*destroyAll)(Engine* engine);
};

const ImeWindowOps& ImeWindows();
// Installs a replacement (kept by pointer); null restores the skinned windows.
void SetImeWindows(const ImeWindowOps* ops);
