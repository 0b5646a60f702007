// Committing a candidate: the history, temporary phrases and the promotion of a committed
// temporary word into main.dmg as a user word.
#pragma once
#include <cstdint>

#include "core/record/engine.h"

// Flags of a promoted temporary word: class 2 (user word), order 1024, not pinned.
constexpr uint32_t kPromotedWordFlags = 0x02000400;

// Copies a temporary word (flags, code, word) into main.dmg as a user word, puts its offset
// in its sorted place and rebuilds the prefix index. 1 when main.dmg holds it afterwards on
// a real mapping; 0 when it was there already, main.dmg is a private copy or missing, or the
// table could not grow (when that left main.dmg closed, its view is null).
int PromoteTempWord(Engine* engine, const uint8_t* entry);
