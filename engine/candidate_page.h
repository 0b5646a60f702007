// The page of candidates the front ends show: rows, script forms and the composition text.
#pragma once
#include <cstdint>

#include "core/record/engine.h"

// Script forms of one character that a page can show at most.
constexpr int kMaxScriptForms = 16;

// Stores text (count units) into a row, cut to the row and terminated; returns its length.
uint32_t SetRowText(PageRow* row, const wchar_t* text, int count);
// The conversion table in force (traditional or simplified output), or null.
const MappedFile* ScriptTable(const Engine* engine);
