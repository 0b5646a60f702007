// Writing all settings as the readable settings text (UTF-8 with a byte-order mark).
#pragma once
#include <cstdio>

#include "core/settings/config_blocks.h"
#include "core/settings/option_codec.h"

// Writes the seven sections to path ("wb"). codec may be null: the input-option and
// interface-option sections then hold their headers only. False when the file cannot be
// opened or a block is missing.
bool ExportSettingsText(const ImeConfigData* ime, const DmeConfigData* dme,
                        const SkinConfigData* skin, const OptionSectionCodec* codec,
                        const wchar_t* path);
// The same into an open stream, after the byte-order mark. 1 written, 0 a block or the
// stream missing.
int WriteSettingsText(FILE* stream, const ImeConfigData* ime, const DmeConfigData* dme,
                      const SkinConfigData* skin, const OptionSectionCodec* codec);
