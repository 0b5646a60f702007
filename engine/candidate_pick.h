// Picking the text to commit: a row of the page or the typed code.
#pragma once
#include "core/record/engine.h"

// Selectors of Engine::SelectCandidate.
constexpr int kSelectHighlighted = 0;
constexpr int kSelectTypedCode = 11;
constexpr int kSelectLastRow = 12;
constexpr int kSelectTop = 13;
constexpr int64_t kSelectNotOnPage = -2;

// InputState::pickedAction
constexpr uint32_t kPickedTypedCode = 0x1002;
constexpr uint32_t kPickedKeep = 16;
