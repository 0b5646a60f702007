// The history of the last 16 commits in ImeConfigData.recentOutputs, with the code of each
// character of the committed word handed out along the word-construction rules.
#pragma once
#include <cstdint>

#include "core/settings/config_blocks.h"

constexpr int kMaxHistoryWordBytes = 48;
// Word-construction rules exist for phrases of 2..16 characters.
constexpr int kMinRulePhraseChars = 2;
constexpr int kMaxRulePhraseChars = 16;

// Records in the history; a damaged count above 16 counts as 0.
uint32_t HistoryCount(const ImeConfigData* ime);

// A rule term as the learning reads it: the character (1-based) and the position in its code
// (0 the whole code). False for terms that are skipped: counted from the back of a code, or
// naming no character of a phrase of chars characters.
bool ReadRuleTerm(uint16_t term, int chars, int* character, int* position);

// Decodes a table code for the history: UTF-16 with every byte below 32 as U+FF00 + byte (the
// exporter's DecodeTableCode maps only the keypad bytes and shows broken UTF-8 as U+FFFD).
// out holds capacity units and is NUL-terminated. Returns the units, or -1 on broken UTF-8:
// such a commit is not remembered.
int DecodeHistoryCode(const uint8_t* lengthPrefixed, wchar_t* out, int capacity);

// Fills record's code slots from a word's code: one character takes its code (at most 8
// units) in slot 1; 2..16 characters walk rule; other counts store nothing.
void FillCodeSlots(RecentOutput* record, int chars, const wchar_t* code, int codeUnits,
                   const WordRule* rule);
