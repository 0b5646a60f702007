// What a chosen menu item does: a UICommand to the front end, or the few actions the menus
// carry out themselves (status bar shown or hidden, skin chosen).
#pragma once
#include <cstdint>

#include "core/record/engine.h"

// Carries out item id; pageRow is the page row of the candidate menu's candidate (-1 when
// none). 1 when something was done.
int HandleMenuCommand(Engine* engine, uint64_t id, int64_t pageRow);
