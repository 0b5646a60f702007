// The codec of the input-option and interface-option sections of the settings text. The
// input method fills it; the settings text reader and writer only call through it.
#pragma once

struct OptionSectionCodec;

constexpr int kOptionSectionInput = 1;      // a DmeConfigData block
constexpr int kOptionSectionInterface = 2;  // a SkinConfigData block
constexpr int kOptionSectionUnits = 4096;   // buffer handed to write

// Slots in this order, pointer-sized each; any of them may be null.
struct OptionSectionCodec {
    void (*release)(OptionSectionCodec* codec);
    // Applies one key=value pair of the section of `kind` to `block`.
    int (*read)(void* block, const wchar_t* key, const wchar_t* value, int kind);
    // Writes the whole section body of `kind` into buffer (count units).
    int (*write)(void* block, wchar_t* buffer, int count, int kind);
};
static_assert(sizeof(OptionSectionCodec) == 3 * sizeof(void*));
