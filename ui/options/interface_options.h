// The "[-SKIN设置-]" section of the settings text over a SkinConfigData block.
#pragma once
#include "core/settings/config_blocks.h"

// Applies one key=value line; unknown keys are ignored. Always 0.
int ParseInterfaceOptions(SkinConfigData* block, const wchar_t* key, const wchar_t* value);
// Writes the section body (without its header), cut at capacity and always terminated.
// The characters written.
int WriteInterfaceOptions(const SkinConfigData* block, wchar_t* buffer, int capacity);

// Slots for OptionSectionCodec (kind kOptionSectionInterface).
int ReadInterfaceOptionSlot(void* block, const wchar_t* key, const wchar_t* value);
int WriteInterfaceOptionSlot(void* block, wchar_t* buffer, int count);
