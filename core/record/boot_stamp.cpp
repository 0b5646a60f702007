#include "core/record/boot_stamp.h"

#include <windows.h>

#include <cstring>
#include <ctime>

#include "core/record/engine.h"
#include "core/table/table_format.h"

int64_t CurrentBootTime() {
    const int64_t now = static_cast<int64_t>(time(nullptr));
    return now - static_cast<int64_t>(GetTickCount64() / 1000);
}

bool IsSameBoot(int64_t storedStamp, int64_t bootTime) {
    const uint64_t a = static_cast<uint64_t>(storedStamp);
    const uint64_t b = static_cast<uint64_t>(bootTime);
    const uint64_t d = storedStamp > bootTime ? a - b : b - a;
    return d <= static_cast<uint64_t>(kBootStampTolerance);
}

int ClearTempTableOnNewBoot(Engine* engine, int64_t bootTime) {
    if (!engine || !engine->ime || !engine->configFile || !engine->tempTable) return 0;
    MappedFile* temp = engine->tempTable;
    if (!engine->configFile->IsMapped() || !temp->IsMapped()) return 0;
    if (temp->size < static_cast<int32_t>(sizeof(TableFileHeader))) return 0;
    if ((engine->ime->options & kImeTempClearAtBoot) == 0) return 0;

    int64_t stored;
    std::memcpy(&stored, &engine->ime->bootStamp, sizeof stored);
    if (IsSameBoot(stored, bootTime)) return 0;

    uint8_t* header = temp->view;
    const uint32_t heapStart = static_cast<uint32_t>(temp->size);
    const int32_t count = 0;
    std::memcpy(header + offsetof(TableFileHeader, heapStart), &heapStart, 4);
    std::memcpy(header + offsetof(TableFileHeader, count), &count, 4);
    std::memset(header + offsetof(TableFileHeader, prefixIndex), 0,
                sizeof(TableFileHeader::prefixIndex));
    NoteTableChange(temp);
    std::memcpy(&engine->ime->bootStamp, &bootTime, sizeof bootTime);
    return 1;
}
