// The skinned windows of one engine record as a whole.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/record/engine.h"

// Destroys every skinned window of the record that still exists and forgets its handle; the
// windows hold the record as their user data and must not outlive it.
void DestroyEngineWindows(Engine* engine);

// Converts at most 128 UTF-16 units of text to UTF-8 into out (capacity bytes, 128 for the
// dictionary's key), writing only what fits, always terminated when capacity > 0. The length
// the whole text needs, or -1 for an unpaired high surrogate.
int WideToUtf8Bounded(const wchar_t* text, char* out, size_t capacity);
