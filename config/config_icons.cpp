#include "config/config_icons.h"

#include "core/record/engine.h"

HICON LoadImeIcon(const Engine* engine, int id, int size) {
    if (size <= 0) size = GetSystemMetrics(SM_CXICON);
    for (HMODULE m : {engine ? engine->imeModule : nullptr, GetModuleHandleW(nullptr)}) {
        if (!m) continue;
        if (HANDLE icon = LoadImageW(m, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_SHARED))
            return static_cast<HICON>(icon);
    }
    return nullptr;
}
