// The IMM32 front end's handler of UICommand codes from windows, menus and buttons.
#pragma once
#include <cstdint>

// owner is the input context's ImeSession. 0 only when the context cannot be locked.
int ImeOnUICommand(void* owner, uint32_t code, uintptr_t first, uintptr_t second);
