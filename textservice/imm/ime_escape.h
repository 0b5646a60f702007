// ImeEscape: the escapes the input method serves.
#pragma once
#include "textservice/imm/imm_driver.h"

constexpr LRESULT kMaxKeyAnswer = 128;
constexpr int kImeNameUnits = 10;  // 9 characters + NUL

// True for the escape codes ImeEscapeOn answers.
bool IsServedEscape(UINT code);
LRESULT ImeEscapeOn(HIMC himc, UINT code, void* data);
