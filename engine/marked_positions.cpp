#include "engine/marked_positions.h"

#include <windows.h>

#include <new>

#include "core/table/table_format.h"

namespace {

struct Bits {
    const uint8_t* view = nullptr;
    int32_t size = 0;
    int32_t count = 0;
    uint32_t heapStart = 0;
    uint32_t layoutCount = 0;
    uint32_t epoch = 0;
    uint64_t* words = nullptr;
};

SRWLOCK g_lock = SRWLOCK_INIT;
Bits g_bits;

bool Matches(const Bits& b, const MappedFile* t, const TableView& v) {
    return b.words && b.view == t->view && b.size == t->size && b.count == v.count &&
           b.heapStart == v.heapStart && b.layoutCount == TableLayoutCount(t) &&
           b.epoch == MappedFile::ViewEpoch();
}

void Rebuild(Bits& b, const MappedFile* t, const TableView& v) {
    delete[] b.words;
    b = Bits{};
    size_t n = (static_cast<size_t>(v.count) + 63) / 64;
    uint64_t* words = new (std::nothrow) uint64_t[n]();
    if (!words) return;
    for (int32_t p = 0; p < v.count; ++p) {
        const uint8_t* entry = v.EntryAt(p);
        // An unreadable entry is visited, and passed over, as before.
        if (!entry || (LoadU32(entry) & (kFlagPinned | kFlagFirstLines)))
            words[p >> 6] |= uint64_t{1} << (p & 63);
    }
    b.view = t->view;
    b.size = t->size;
    b.count = v.count;
    b.heapStart = v.heapStart;
    b.layoutCount = TableLayoutCount(t);
    b.epoch = MappedFile::ViewEpoch();
    b.words = words;
}

}  // namespace

MarkedPositions::~MarkedPositions() {
    if (bits_) ReleaseSRWLockShared(&g_lock);
}

bool MarkedPositions::Open(const MappedFile* t) {
    if (bits_ || !t || !t->IsMapped()) return false;
    TableView v = MakeTableView(t);
    if (v.kind != kTableKindMain || v.count < kMarkedPositionsMinEntries) return false;
    AcquireSRWLockShared(&g_lock);
    if (!Matches(g_bits, t, v)) {
        ReleaseSRWLockShared(&g_lock);
        AcquireSRWLockExclusive(&g_lock);
        if (!Matches(g_bits, t, v)) Rebuild(g_bits, t, v);
        ReleaseSRWLockExclusive(&g_lock);
        AcquireSRWLockShared(&g_lock);
        if (!Matches(g_bits, t, v)) {
            ReleaseSRWLockShared(&g_lock);
            return false;
        }
    }
    bits_ = g_bits.words;
    count_ = g_bits.count;
    return true;
}

int32_t MarkedPositions::Next(int32_t pos, int32_t end) const {
    if (!bits_ || pos < 0 || pos >= count_) return pos;
    // Positions the bits do not cover are all visited.
    int32_t stop = end < count_ ? end : count_;
    while (pos < stop) {
        uint64_t w = bits_[pos >> 6] >> (pos & 63);
        if (w) {
            int32_t at = pos + __builtin_ctzll(w);
            return at < stop ? at : stop;
        }
        pos = (pos | 63) + 1;
    }
    return stop;
}

size_t MarkedPositionsBytes() {
    AcquireSRWLockShared(&g_lock);
    size_t n = g_bits.words ? (static_cast<size_t>(g_bits.count) + 63) / 64 * 8 : 0;
    ReleaseSRWLockShared(&g_lock);
    return n;
}

void ClearMarkedPositions() {
    AcquireSRWLockExclusive(&g_lock);
    delete[] g_bits.words;
    g_bits = Bits{};
    ReleaseSRWLockExclusive(&g_lock);
}
