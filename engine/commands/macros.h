// Macros of command entries: "<name>" or "<name.argument>" anywhere in a text.
#pragma once
#include "core/record/engine.h"

constexpr int kMacroOutputUnits = 129;
constexpr int kMacroArgumentUnits = 20;
constexpr int kClipboardMacroUnits = 128;

// Expands the macros of text into out (kMacroOutputUnits units and the terminator). An
// unknown macro or an empty result leaves the text as it stands there. Returns the length.
int ExpandMacros(Engine* engine, const wchar_t* text, wchar_t (&out)[kMacroOutputUnits + 1]);

// 0..99 in Chinese numerals (零, 一..九, 十, 十一, 二十, 二十三); out holds 4 units.
int ChineseNumber(unsigned value, wchar_t* out);
