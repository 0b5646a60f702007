// Temporary phrases built from the last commits with the word-construction rules.
#pragma once
#include <cstdint>

#include "core/record/engine.h"
#include "core/table/table_format.h"

// Class of learned temporary phrases: class 0 (none), which no scheme filter refuses.
constexpr uint32_t kLearnedPhraseFlags = 0;
// Units of a learned phrase text and of its code.
constexpr int kMaxPhraseUnits = 29;
constexpr int kMaxPhraseCodeUnits = 127;

// Engine::LearnPhrase's work: the number of phrases added to temp.dmg.
int LearnTempPhrases(Engine* engine);
