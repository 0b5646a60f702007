// The skinned windows as the IMM32 front end drives them; tests install their own table.
#pragma once
#include "core/record/engine.h"

struct ImeWindowOps {
    // Shows the candidate window for the current page below caret (screen pixels); focus is
    // the input context's window. font: the application's candidate font, null for the skin's.
    void (*showCandidates)(Engine* engine, HWND focus, const RECT& caret, const LOGFONTW* font);
    void (*hideCandidates)(Engine* engine);
    void (*destroyCandidates)(Engine* engine);
    // Shows (creating it first) or hides the status bar; owner is the UI window.
    void (*showStatus)(Engine* engine, HWND owner, bool show);
    void (*showSoftKeyboard)(Engine* engine, HWND owner);
    void (*destroySoftKeyboard)(Engine* engine);
    void (*destroyAll)(Engine* engine);
    // Loads the skin chosen since (the settings, another process) and tells the windows.
    void (*reloadSkin)(Engine* engine);
};

const ImeWindowOps& ImeWindows();
// Installs a replacement (kept by pointer); null restores the skinned windows.
void SetImeWindows(const ImeWindowOps* ops);
