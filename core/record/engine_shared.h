// Shared half of the engine record: data files, settings blocks, identity and folders.
// The input method and the configuration program compile the same definition.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "core/base/mapped_file.h"
#include "core/base/registry.h"
#include "core/settings/config_blocks.h"

constexpr int kGuidTextUnits = 40;  // "{...}" of 38 characters + NUL, one spare

struct EngineShared {
    // Data files, in the order they are opened. Only configFile and mainTable are required;
    // the others stay null when their file is missing.
    MappedFile* configFile;        // config.dsc
    MappedFile* mainTable;         // main.dmg
    MappedFile* englishTable;      // engl.dmg
    MappedFile* tempTable;         // temp.dmg
    MappedFile* charTable;         // danzi.dmi
    MappedFile* associationTable;  // sysl.dmg
    MappedFile* traditionalTable;  // traditional.dms
    MappedFile* simplifiedTable;   // simplified.dms
    MappedFile* dictTable;         // dict.dms

    // Settings blocks inside the mapped config.dsc; read live at every use.
    SoftConfigData* soft;
    ImeConfigData* ime;
    DmeConfigData* dme;
    SkinConfigData* skin;

    GUID guid;                            // the input method's identity
    wchar_t guidText[kGuidTextUnits];     // the same in braces
    wchar_t imeName[kImeNameChars];       // IMEName: module file name without ".ime"
    wchar_t installLocation[kPathChars];  // always ends in "\"
    wchar_t dataLocation[kPathChars];     // used as a prefix as it stands

    HMODULE imeModule;         // the loaded input method (configuration program only)
    OSVERSIONINFOW osVersion;  // filled at creation
};

static_assert(kImeNameChars == 64);
static_assert(sizeof(OSVERSIONINFOW) == 276);
static_assert(offsetof(EngineShared, configFile) == 0);
static_assert(offsetof(EngineShared, soft) == 9 * sizeof(void*));
static_assert(offsetof(EngineShared, guid) == 13 * sizeof(void*));
static_assert(offsetof(EngineShared, guidText) == offsetof(EngineShared, guid) + 16);
static_assert(offsetof(EngineShared, imeName) == offsetof(EngineShared, guidText) + 80);
static_assert(offsetof(EngineShared, installLocation) == offsetof(EngineShared, imeName) + 128);
static_assert(offsetof(EngineShared, dataLocation) ==
              offsetof(EngineShared, installLocation) + 520);
