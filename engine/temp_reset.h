// Once-per-boot emptying of the temporary-word table.
#pragma once
#include <cstdint>

#include "core/engine.h"

// Boot times closer than this count as the same boot (clock drift, sleep).
constexpr int64_t kBootStampTolerance = 120;

// Boot time in seconds from the platform clock.
int64_t CurrentBootStamp();
// Empties temp.dmg when "临时词重启电脑后清空" is on and the stored boot time is of another
// boot. Only real mappings of both files take part: a private copy could never keep the
// stamp, so it would empty the table at every start. 1 when the table was emptied.
int ResetTempWordsAfterBoot(Engine* engine);
