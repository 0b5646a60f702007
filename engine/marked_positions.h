// Positions of a large main table whose entries are pinned or carry the first-lines mark,
// kept per process as one bit per position (52 KB for 414,000 entries). A table search that
// already holds its 500 ordinary candidates admits only such entries; with these bits it
// steps over the others without reading them. The bits are rebuilt when the table's view,
// count or layout count (raised by every edit but order changes) differs.
#pragma once
#include <cstdint>

#include "core/base/mapped_file.h"

// Tables below this many entries are scanned whole.
constexpr int32_t kMarkedPositionsMinEntries = 8192;

class MarkedPositions {
public:
    MarkedPositions() = default;
    ~MarkedPositions();
    MarkedPositions(const MarkedPositions&) = delete;
    MarkedPositions& operator=(const MarkedPositions&) = delete;

    // The bits of table, built when needed; false (nothing held) when the table does not
    // qualify or memory is short. While open, no other thread rebuilds them.
    bool Open(const MappedFile* table);
    // First position in [pos, end) whose entry is marked (or unreadable); end when none.
    int32_t Next(int32_t pos, int32_t end) const;

private:
    const uint64_t* bits_ = nullptr;
    int32_t count_ = 0;
};

// Bytes the bits take now, and dropping them.
size_t MarkedPositionsBytes();
void ClearMarkedPositions();
