#include "engine/temp_reset.h"

#include "core/record/boot_stamp.h"
#include "engine/platform.h"

int64_t CurrentBootStamp() {
    const EnginePlatform& p = Platform();
    return p.currentTime() - static_cast<int64_t>(p.tickCount() / 1000);
}

int ResetTempWordsAfterBoot(Engine* e) { return ClearTempTableOnNewBoot(e, CurrentBootStamp()); }
