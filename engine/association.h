// Association and English completion: list-table matches as candidates of kind 19.
#pragma once
#include <cstdint>

#include "core/record/engine.h"

// Adds the entries of engl.dmg (flags kListSearchEnglish) or sysl.dmg (otherwise) that
// match key (length-prefixed) as candidates, while fewer than 2500 exist. Nothing when that
// table is not open. Returns the number added.
int32_t SearchListTable(Engine* engine, const uint8_t* key, uint32_t flags);
