// The command handler behind engine->uiCommand for both front ends.
#pragma once
#include <cstdint>

#include "core/record/engine.h"
#include "textservice/actions/action_host.h"

// Carries out one UICommand code (engine/ui_command.h). The text service's handler answers
// 0 for an unknown code, the IMM32 one 1. The status-bar embedding switch works without an
// engine or host (nothing to toggle then) and answers 1.
int HandleUICommand(Engine* engine, ActionHost* host, uint32_t code, uintptr_t first,
                    uintptr_t second);

// The function-menu codes alone (settings, keyboard map, about, help, user word, update):
// 1 when code is one of them.
int HandleMenuCommand(Engine* engine, uint32_t code);

// Sets the engine's key fields for a command that runs through the key handler: no key,
// the empty text, the given action word.
void SetCommandKey(Engine* engine, KeyFunctionMask action);
