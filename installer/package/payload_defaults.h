// The product description and input options of the payload's settings file.
#pragma once
#include <cstdint>

#include "installer/app/installer_state.h"

enum class PayloadDefaults {
    kLoaded,
    kNoSettingsFile,  // unpackDir\$dataFiles$\config.dsc cannot be read
    kNoProduct,       // no product block, or one without a GUID
    kDamaged,         // a block offset or size outside the file, or a block shorter than its record
};

// Reads the settings file's blocks from a view: the soft block into state->soft (flags
// 0x30000000 cleared, 0x20000000 set when the input-option block declares the TSF text
// service), the input-option block into state->ime, guidText and guid from the soft block.
PayloadDefaults ReadPayloadDefaults(const uint8_t* view, uint64_t size, InstallerState* state);

// The same over unpackDir\$dataFiles$\config.dsc.
PayloadDefaults LoadPayloadDefaults(InstallerState* state);

constexpr uint32_t kPayloadHasTsf = kInstallRunMarkB;         // 0x20000000
constexpr uint32_t kPayloadRegisteredTsf = kInstallRunMarkA;  // 0x10000000
constexpr uint32_t kPayloadTsfFlags = kPayloadHasTsf | kPayloadRegisteredTsf;
