// The blocks the IME keeps in an input context: the composition string, the candidate
// information and the private block holding the context's engine record.
#pragma once
#include "textservice/imm/imm_driver.h"

constexpr DWORD kPrivateBlockBytes = 8;

constexpr DWORD kCandInfoBytes = 74784;
constexpr DWORD kCandListOffset = 144;
constexpr DWORD kCandListBytes = 2632;
constexpr DWORD kCandPrivateOffset = 2776;
constexpr DWORD kCandSlots = 10;
constexpr DWORD kCandSlotFirst = 72;  // relative to the list
constexpr DWORD kCandSlotBytes = 256;
constexpr DWORD kCandSlotUnits = kCandSlotBytes / sizeof(wchar_t);  // 127 characters + NUL
constexpr DWORD kCandPageSize = 9;

constexpr DWORD kCompStrBytes = 1050998;
constexpr DWORD kCompReadAttrOffset = 100;
constexpr DWORD kCompReadClauseOffset = 229;
constexpr DWORD kCompReadStrOffset = 487;
constexpr DWORD kCompAttrOffset = 745;
constexpr DWORD kCompClauseOffset = 874;
constexpr DWORD kCompStrOffset = 1132;
constexpr DWORD kResultReadClauseOffset = 1390;
constexpr DWORD kResultReadStrOffset = 1648;
constexpr DWORD kResultClauseOffset = 1906;
constexpr DWORD kResultStrOffset = 2164;
constexpr DWORD kCompPrivateOffset = 2422;
// Each text area holds 128 characters + NUL; each attribute area 128 bytes + 1.
constexpr DWORD kCompTextUnits = 129;
constexpr DWORD kCompAttrBytes = 129;

static_assert(kCandPrivateOffset == kCandListOffset + kCandListBytes);
static_assert(kCandSlotFirst + kCandSlots * kCandSlotBytes == kCandListBytes);
static_assert(kCompPrivateOffset + 1048576 == kCompStrBytes);
static_assert(kCompReadClauseOffset - kCompReadAttrOffset == kCompAttrBytes);
static_assert(kCompReadStrOffset - kCompReadClauseOffset == kCompTextUnits * 2);

// Results of SetUpContextBlocks.
enum class BlockSetUp { kReady, kFailed };

// Resizes (or creates) the composition string, candidate information and private blocks of
// ic and lays out the first two; the private block is zeroed. A block whose resize fails is
// destroyed and created anew, and the set-up reports kFailed.
BlockSetUp SetUpContextBlocks(INPUTCONTEXT* ic);

// Empty composition string and candidate list in the layouts above.
void InitCompositionString(COMPOSITIONSTRING* cs);
void InitCandidateInfo(CANDIDATEINFO* ci);

// The candidate list inside a candidate-information block, and its string slot i.
CANDIDATELIST* CandidateListOf(CANDIDATEINFO* ci);
wchar_t* CandidateSlot(CANDIDATELIST* list, DWORD i);

// Misaligned fields of the fixed blocks (the text areas at odd offsets) go through memcpy.
void WriteUnits(void* block, DWORD offset, const wchar_t* text, DWORD units);
void ReadUnits(const void* block, DWORD offset, wchar_t* out, DWORD units);
