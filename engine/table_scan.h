// The range scan of a table search for a plain key (no wildcard, no word-length rule): the
// same candidates and weights, and once given the same hints, as matching each entry with
// MatchEntry and adding it with Engine::AddCandidate, without their per-entry overhead, and
// past the ordinary limit fetching the marked entries ahead of the scan.
#pragma once
#include <cstdint>

#include "core/record/engine.h"
#include "core/table/code_table.h"

// True when ScanPlainRange may stand for the entry-by-entry search of key over view:
// a code-and-word table, no wildcard matching, no word-length rule for this key.
bool PlainScanApplies(const Engine* engine, const TableView& view, const uint8_t* key);

// Adds the entries of range (clamped to the table) that match key, exactly or (with prefix
// search in force) as its prefix, as candidates of kind with hints from typed code units on.
void ScanPlainRange(Engine* engine, const MappedFile* table, const TableView& view,
                    PositionRange range, const uint8_t* key, uint8_t kind, uint32_t typed);
