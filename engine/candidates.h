// Adding, merging and ordering candidates; shown words of each candidate kind.
#pragma once
#include <cstdint>

#include "core/record/engine.h"

constexpr uint32_t kWeightExact = 127;
constexpr uint32_t kWeightLonger = 31;
constexpr uint32_t kWeightText = 0xEEEEEE;

// Candidates a table search adds: 500, or 2000 for pinned and first-lines entries.
constexpr int64_t kTableCandidateLimit = 500;
constexpr int64_t kMarkedCandidateLimit = 2000;

// The class filter of Engine::AddCandidate: 0 passes, else the refusal code.
int ClassFilter(const Engine* engine, uint32_t flags);

// The length-prefixed UTF-8 word a candidate shows, or null for a kind without one.
const uint8_t* CandidateWord(const Candidate& c);
// The length-prefixed code of a code-and-word candidate, else null.
const uint8_t* CandidateCode(const Candidate& c);
// UTF-8 characters of a length-prefixed text.
int Utf8CharCount(const uint8_t* lengthPrefixed);
