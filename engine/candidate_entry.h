// Which table a candidate's entry lives in, checked against that table's view before use.
#pragma once
#include <cstdint>

#include "core/record/engine.h"

// The entry of a main-table candidate (kind 33) when it lies wholly inside main.dmg's view:
// an entry whose flags word may be read and written. Null otherwise.
uint8_t* MainTableEntryOf(const Engine* engine, const Candidate& c);
// The entry of a main-table (kind 33) or temporary-table (kind 34) candidate when it lies
// wholly inside that table's view. Null otherwise.
const uint8_t* CodeTableEntryOf(const Engine* engine, const Candidate& c);

// Row (1-based) a selector names: 0 and 13 the highlighted row, 1..10 that row, 12 the last
// row of the page; 0 for the typed code (11) and -1 for any other selector.
int SelectorRow(const Engine* engine, int selector);
// Candidate index of the row a selector names, or -1 when that row is not on the page or
// does not name a candidate.
int64_t SelectedCandidate(const Engine* engine, int selector);

// Forgets every candidate and previousFirst (pointers into the tables) but keeps the code,
// the picked text and the committed kind: for after an edit that moved or reused entries.
void DropTableCandidates(Engine* engine);
