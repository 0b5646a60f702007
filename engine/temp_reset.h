// Once-per-boot emptying of the temporary-word table, on the engine's clock.
#pragma once
#include <cstdint>

#include "core/record/engine.h"

// Boot time in seconds from the platform clock.
int64_t CurrentBootStamp();
// The shared once-per-boot reset (ClearTempTableOnNewBoot) with that boot time. 1 when the
// table was emptied.
int ResetTempWordsAfterBoot(Engine* engine);
