// UICommand codes and their delivery to the front end that owns the engine record.
#pragma once
#include <cstdint>

#include "core/record/engine.h"

// Hands a command of a window, menu or language-bar button to the owning front end.
// 0 when no front end listens.
inline int SendUICommand(Engine* engine, uint32_t code, uintptr_t first, uintptr_t second) {
    if (!engine || !engine->uiCommand.handler) return 0;
    return engine->uiCommand.handler(engine->uiCommand.owner, code, first, second);
}
