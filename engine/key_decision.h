// What a typed character or key means for the current code.
#pragma once
#include "core/record/engine.h"

// Results of Engine::ClassifyInputChar.
constexpr int kCharNotTaken = 0;
constexpr int kCharInsert = 1;
constexpr int kCharCommitFirst = 4;
constexpr int kCharCodeEnd = 5;
constexpr int kCharLeadAgain = 7;

// Results of Engine::ClassifySelectKey.
constexpr int kSelectInsert = 1;
constexpr int kSelectAct = 4;
constexpr int kSelectNotTaken = 5;

// Key functions that act on an open code: clear, paging, commit, caret moves, deletes,
// highlight moves.
constexpr KeyFunctionMask kCodeKeyFunctions = 0xFF0E4;

// True when text names a key without a character ("键Enter").
bool IsKeyName(const wchar_t* text);
