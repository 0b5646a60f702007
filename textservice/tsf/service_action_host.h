// The text service as the actions see it: its modes and windows, and its document either
// inside a running key step or, for UI commands, through edit sessions of their own.
#pragma once
#include <cstdint>

#include "textservice/keys/key_step.h"

class CTextService;

// Runs a key function of the step's key with the service's actions.
int ServiceDispatchKeyFunction(KeyStep& step, KeyFunctionMask action);
// The service's UICommand handler (null service: only what needs none).
int ServiceUICommand(CTextService* service, uint32_t code, uintptr_t first, uintptr_t second);
