// Ordered candidate lists of the shortest prefix lookups, kept per process.
//
// A lookup of a code of one or two keys with longer codes shown scans tens of thousands of
// entries and orders up to 2000 candidates. Its finished list is kept here, keyed by the
// code, the settings the lookup read and the identity of both tables: their views, sizes,
// counts and change counts (raised by every edit, in any process). A lookup with the same
// key gets the list back without touching the tables; any difference drops it.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/record/engine.h"

// Codes up to this many keys are kept.
constexpr int kListCacheMaxKey = 2;
// Candidate rows kept over all lists (8 bytes each), and the number of lists.
constexpr size_t kListCacheRows = 80 * 1024;
constexpr int kListCacheSlots = 128;

// True when the prefix lookup of key (length-prefixed) may be served and kept: short key,
// prefix search in force, both tables real mappings, no candidates yet.
bool ListCacheApplies(const Engine* engine, const uint8_t* key);
// Fills the candidates with the kept list of key, in order; false when none is kept.
bool ServeCachedList(Engine* engine, const uint8_t* key);
// Keeps the finished (merged and ordered) candidate list of key.
void KeepCachedList(Engine* engine, const uint8_t* key);

// Bytes the cache holds now (rows and slot records), and dropping everything.
size_t ListCacheBytes();
void ClearListCache();
