// Once-per-boot clearing of the temporary-word table.
#pragma once
#include <cstdint>

struct Engine;

// Stamps this far apart (seconds) name the same boot: the boot time computed from the
// clock and the tick count drifts by a few seconds between processes.
constexpr int64_t kBootStampTolerance = 120;

// Seconds since 1970 at which the machine started: time(NULL) - GetTickCount64() / 1000.
int64_t CurrentBootTime();

bool IsSameBoot(int64_t storedStamp, int64_t bootTime);

// When the settings ask for it (ImeConfigData.options 0x400000) and the stored stamp names
// another boot, empties the temporary table (count 0, heap start at the file size, prefix
// index zeroed; the slots stay) and stores bootTime. Only when both config.dsc and temp.dmg
// are real mappings: a private copy would never keep the stamp. Returns 1 when it cleared.
int ClearTempTableOnNewBoot(Engine* engine, int64_t bootTime);
