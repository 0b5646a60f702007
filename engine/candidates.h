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

// The two code units of a length-prefixed code from unit from on (bytes below 32 as
// U+FF00 + byte), NUL-ended; hint[0] = 0 when the code has no unit there.
void CodeHint(const uint8_t* code, uint32_t from, wchar_t hint[3]);

// Lists this long are put in order only as far as the first pages reach; the rest follows
// when a page needs it.
constexpr int64_t kOrderedAhead = 40;

// The two halves of EngineRuntime::FinishCandidates: merge and order, then the first page.
// A long list is put in order only as far as its first pages; OrderCandidatesUpTo completes
// the order before a reader looks at the candidate at index or behind it (the page code does
// so itself).
void OrderCandidates(Engine* engine);
void OrderCandidatesUpTo(Engine* engine, int64_t index);
void ShowFirstPage(Engine* engine);

// A hint left for later (by the range scan, by a kept list): hint[2] is kHintLater, hint[0]
// the typed code units, hint[1] nonzero when key-display mapping applies. OrderCandidates
// gives the first pages' hints, OrderCandidatesUpTo the others' when a reader reaches them.
constexpr wchar_t kHintLater = 0xFFFF;
inline void LeaveHint(Candidate& c, uint32_t typed, bool keyRoots) {
    c.hint[0] = static_cast<wchar_t>(typed);
    c.hint[1] = keyRoots ? 1 : 0;
    c.hint[2] = kHintLater;
}
// The hints of a list left unordered (a kept list, already in order): as OrderCandidates.
void GiveFirstHints(Engine* engine);
