// The skinned windows as the IMM32 front end drives them. Until the window library is
// linked the calls only keep the placement; tests install their own table.
#pragma once
#include "core/record/engine.h"

struct ImeWindowOps {
    void (*showCandidates)(Engine* engine, POINT anchor, SIZE box);
    void (*hideCandidates)(Engine* engine);
    void (*destroyCandidates)(Engine* engine);
    void (*showStatus)(Engine* engine, bool show);
    void (*destroyAll)(Engine* engine);
};

const ImeWindowOps& ImeWindows();
// Installs a replacement (kept by pointer); null restores the built-in table.
void SetImeWindows(const ImeWindowOps* ops);
