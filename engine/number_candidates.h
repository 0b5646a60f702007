// Number texts offered for temporary-English input.
#pragma once
#include <cstdint>

#include "core/record/engine.h"

// key: the normalised search key (length byte + bytes). 4 when a letter picked a
// candidate, else 2 after adding the candidates.
int BuildNumberCandidates(Engine* engine, const uint8_t* key);
