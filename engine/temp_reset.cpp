#include "engine/temp_reset.h"

#include <cstring>

#include "core/table_format.h"
#include "engine/platform.h"

int64_t CurrentBootStamp() {
    const EnginePlatform& p = Platform();
    return p.currentTime() - static_cast<int64_t>(p.tickCount() / 1000);
}

int ResetTempWordsAfterBoot(Engine* e) {
    if (!e || !e->ime || !e->tempTable || !e->configFile) return 0;
    if (!(e->ime->options & kImeTempClearAtBoot)) return 0;
    MappedFile* t = e->tempTable;
    if (!t->IsMapped() || !e->configFile->IsMapped()) return 0;
    if (t->size < static_cast<int32_t>(kOffsetArrayStart)) return 0;
    int64_t stamp = CurrentBootStamp();
    int64_t stored;
    std::memcpy(&stored, &e->ime->bootStamp, sizeof stored);
    int64_t diff = stamp - stored;
    if (diff >= -kBootStampTolerance && diff <= kBootStampTolerance) return 0;
    auto* h = reinterpret_cast<TableFileHeader*>(t->view);
    int32_t zero = 0;
    uint32_t size = static_cast<uint32_t>(t->size);
    std::memcpy(&h->count, &zero, sizeof zero);
    std::memcpy(&h->heapStart, &size, sizeof size);
    std::memset(h->prefixIndex, 0, sizeof h->prefixIndex);
    std::memcpy(&e->ime->bootStamp, &stamp, sizeof stamp);
    return 1;
}
