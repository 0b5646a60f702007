#include "tablegen/temp_table.h"

#include <cstring>

#include "core/table/table_format.h"

std::vector<uint8_t> MakeEmptyTempTableBytes() {
    std::vector<uint8_t> bytes(kTempTableSize, 0);
    TableFileHeader header{};
    header.heapStart = kTempHeapStart;
    header.count = 0;
    header.kind = kTableKindTemp;
    header.version = kTableVersion;
    std::memcpy(header.nameTag, "TMPMB", 5);
    std::memcpy(bytes.data(), &header, sizeof header);
    // Every slot is listed, in slot order; the count says none is used.
    for (int i = 0; i < kTempSlots; ++i)
        StoreU32(bytes.data() + kOffsetArrayStart + 4 * i, kTempHeapStart + kTempSlotSize * i);
    return bytes;
}
