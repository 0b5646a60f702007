// The lookup dispatcher: typed code to search key, table searches and the commit rules.
#pragma once
#include <cstdint>

#include "core/record/engine.h"

// Search keys: length byte, at most 129 key bytes, NUL.
constexpr int kKeyMaxBytes = 129;
constexpr int kKeyBufferBytes = kKeyMaxBytes + 2;
constexpr uint8_t kWildcardByte = 2;

// Candidate kinds of the two code tables.
constexpr uint8_t kMainTableKind = kKindMainEntry;  // 33
constexpr uint8_t kTempTableKind = kKindTempEntry;  // 34

// Results of LookupInput and Engine::ProcessInput.
constexpr int kLookupEmpty = 0;
constexpr int kLookupShown = 2;
constexpr int kLookupClear = 3;
constexpr int kLookupCommitFirst = 4;
constexpr int kLookupCommitPreviousCodeKey = 5;
constexpr int kLookupCommitPreviousOtherKey = 6;
// Engine::ProcessInput in English mode without engl.dmg: the code is not looked up. Same
// value as kLookupCommitPreviousOtherKey; tell them apart with IsEnglishPassThrough.
constexpr int kProcessEnglishPassThrough = 6;

// True when a ProcessInput result 6 means "English mode, nothing looked up" rather than the
// empty-code commit of the previous first candidate. Ask right after ProcessInput.
bool IsEnglishPassThrough(const Engine* engine, int result);

// Key bytes of a code: below 128 as is, U+FF0A..U+FF19 as 0x0A..0x19, ending at any other
// character. key holds kKeyBufferBytes. Returns the key length.
int BuildRawKey(const wchar_t* code, uint8_t* key);

// Results of NormaliseCode: nothing to look up, a plain code, a code holding the wildcard
// (marked as byte 2).
constexpr int kCodeEmpty = 0;
constexpr int kCodePlain = 1;
constexpr int kCodeWildcard = 2;

int NormaliseCode(Engine* engine, const wchar_t* code, uint8_t* key);
// The same, telling whether a lead character was dropped.
int NormaliseCode(Engine* engine, const wchar_t* code, uint8_t* key, bool* leadDropped);

// Weight of an entry {flags, code, word} against a key; 0 when it does not match.
uint32_t MatchEntry(Engine* engine, const uint8_t* entry, const uint8_t* key);
// One range search of a table; matching entries are added as candidates of kind.
void SearchTable(Engine* engine, const MappedFile* table, const uint8_t* key, bool prefix,
                 uint8_t kind);
// 0 when an entry longer than key starts with it and passes the class filter, else 1.
int HasLongerCodes(Engine* engine, const uint8_t* key, const uint8_t* skipEntry);
// 0 when any entry starts with key (equal or longer) and passes the filter, else 1.
int HasCodesWithPrefix(Engine* engine, const uint8_t* key);

void SearchMainAndTemp(Engine* engine, const uint8_t* key);
void SearchWildcard(Engine* engine, const uint8_t* key);

int LookupInput(Engine* engine);
