// The steps both engine records (the input method's and the configuration program's) take
// to open an installation's data, and to let it go.
#pragma once
#include "core/record/engine.h"

// A zeroed record with the Windows version filled in; null when out of memory.
Engine* AllocateEngineRecord();
// From the GUID text on: the text (1 to 38 units) copied and parsed, the folders from the
// registry (each present and not empty), the tables opened, main.dmg of this GUID and
// format, the settings blocks found and the soft block of this GUID. False at the first step
// that fails; what was opened is let go by FreeEngineRecord.
bool OpenEngineRecord(Engine* engine, const wchar_t* guidText);
// main.dmg carries the record's GUID and the current format version.
bool MainTableMatches(const Engine* engine);
// The soft settings block carries the record's GUID.
bool SettingsMatch(const Engine* engine);
// Drops the block pointers, closes the tables and frees the record; null is ignored.
void FreeEngineRecord(Engine* engine);

// What the opener's checks say of a data file's bytes before they replace the live file.
enum class DataFileCheck {
    kOk,
    kUnknownName,   // not one of the files the opener reads
    kBadSize,       // empty, too large, or counts and offsets that leave the file
    kWrongKind,     // a table of another kind than its name says
    kWrongVersion,  // main.dmg of another format version
    kWrongOwner,    // main.dmg or config.dsc of another installation
    kBadSettings,   // config.dsc without its four blocks
};
DataFileCheck CheckDataFile(const wchar_t* fileName, const uint8_t* bytes, int64_t size,
                            const GUID& guid);
