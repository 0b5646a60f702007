// Prefix search over list tables (sysl.dmg association, engl.dmg English words).
#pragma once
#include <cstdint>

#include "core/base/mapped_file.h"
#include "core/table/code_table.h"

// Search flags.
constexpr uint32_t kListSearchAppendHash = 0x1;  // key + "#": entries stored as text#continuation
constexpr uint32_t kListSearchWeightByLength = 0x2;  // shorter completions weigh more
constexpr uint32_t kListSearchExact = 0x4;           // an entry equal to the key matches too
constexpr uint32_t kListSearchEnglish = 0x1000;      // engl.dmg, lower and upper case
constexpr uint32_t kListSearchAssociation = 0x2000;
// English completion: English table, weight by length, exact words allowed.
constexpr uint32_t kListSearchTempEnglish = 0x1006;

constexpr int kListKeyBytes = 128;  // UTF-8 bytes of a search key
// Association and English lookups stop adding at this many candidates.
constexpr int64_t kListCandidateLimit = 2500;

// key and text are length-prefixed. 0 when text does not continue key (or only equals it
// without kListSearchExact); otherwise the weight: 250 - (text length - key length), kept
// within 1..250, with kListSearchWeightByLength, else 1.
uint32_t MatchListEntry(const uint8_t* key, const uint8_t* text, uint32_t flags);

// Positions [first, end) of the entries that start with key (length-prefixed); empty for a
// missing or non-list table.
PositionRange FindListRange(const MappedFile* table, const uint8_t* key);

// Called for each match in table order; false when the match was not taken (the list is
// full), which stops the search.
using ListMatchSink = bool (*)(void* context, const uint8_t* entry, uint32_t weight);

// Hands every entry that matches key under flags to sink; returns the number taken.
int32_t ForEachListMatch(const MappedFile* table, const uint8_t* key, uint32_t flags,
                         ListMatchSink sink, void* context);

// The searches one lookup makes for a search key (length byte + at most 128 bytes):
// with kListSearchAppendHash the key + "#"; with kListSearchEnglish the key in lower case,
// then in upper case when that differs; otherwise the key. Returns the number of matches
// taken by sink. An empty key searches nothing.
int32_t SearchListKey(const MappedFile* table, const uint8_t* searchKey, uint32_t flags,
                      ListMatchSink sink, void* context);
