#include "engine/temp_words.h"

#include <algorithm>
#include <cstring>

#include "core/table/table_format.h"

namespace {

constexpr uint32_t kTempArrayEnd = kOffsetArrayStart + 4u * kTempSlots;
static_assert(kTempArrayEnd <= kTempHeapStart);

struct TempLayout {
    uint8_t* view = nullptr;
    int32_t count = 0;
    uint32_t offsets[kTempSlots];

    uint32_t OrderAt(int32_t pos) const { return LoadU32(view + offsets[pos]) & kOrderMask; }
    void SetOrderAt(int32_t pos, uint32_t order) {
        uint8_t* f = view + offsets[pos];
        StoreU32(f, (LoadU32(f) & ~kOrderMask) | (order & kOrderMask));
    }
    void StoreOffsets() const { std::memcpy(view + kOffsetArrayStart, offsets, sizeof offsets); }
    void StoreCount() const { std::memcpy(view + 4, &count, 4); }
};

// Entry in a slot fits the slot.
bool SlotEntrySound(const uint8_t* e) {
    const uint32_t codeLen = e[4];
    if (codeLen == 0 || 5u + codeLen >= static_cast<uint32_t>(kTempSlotSize)) return false;
    const uint32_t wordLen = e[5 + codeLen];
    return wordLen != 0 && 6u + codeLen + wordLen <= static_cast<uint32_t>(kTempSlotSize);
}

// Reads and checks the whole slot layout: a real mapping of a kind-3 table of full size,
// a count of 0..512, an offset array listing each of the 512 slots once, and sound entries
// in the used slots.
bool ReadTempLayout(MappedFile* table, TempLayout* t) {
    if (!table || !table->IsMapped() || table->size < kTempTableSize) return false;
    uint8_t* v = table->view;
    if (LoadU32(v + 8) != kTableKindTemp) return false;
    const int32_t count = LoadI32(v + 4);
    if (count < 0 || count > kTempSlots) return false;
    bool seen[kTempSlots] = {};
    for (int i = 0; i < kTempSlots; ++i) {
        const uint32_t off = LoadU32(v + kOffsetArrayStart + 4u * i);
        if (off < kTempHeapStart) return false;
        const uint32_t rel = off - kTempHeapStart;
        if (rel % kTempSlotSize != 0) return false;
        const uint32_t slot = rel / kTempSlotSize;
        if (slot >= static_cast<uint32_t>(kTempSlots) || seen[slot]) return false;
        seen[slot] = true;
        t->offsets[i] = off;
        if (i < count && !SlotEntrySound(v + off)) return false;
    }
    t->view = v;
    t->count = count;
    return true;
}

}  // namespace

namespace CodeTable {

int InsertTemp(MappedFile* table, const uint8_t* entry, CodeComparator cmp) {
    if (!entry) return 0;
    const uint32_t codeLen = entry[4];
    if (codeLen == 0) return 0;
    const uint32_t wordLen = entry[5 + codeLen];
    const uint32_t size = 6u + codeLen + wordLen;
    if (wordLen == 0 || size > static_cast<uint32_t>(kMaxTempEntryBytes)) return 0;
    TempLayout t;
    if (!ReadTempLayout(table, &t)) return 0;
    // The entry may lie in this table: copy it before any slot is written.
    uint8_t record[kMaxTempEntryBytes];
    std::memcpy(record, entry, size);
    const uint32_t topByte = LoadU32(record) & 0xFF000000u;

    int32_t target;
    uint32_t order;
    if (t.count < kTempSlots) {
        target = t.count;
        order = static_cast<uint32_t>(t.count);
        ++t.count;
    } else {
        // The oldest entry (the last of several equally old) makes room; the others age.
        target = 0;
        uint32_t oldest = t.OrderAt(0);
        for (int32_t i = 1; i < t.count; ++i) {
            const uint32_t o = t.OrderAt(i);
            if (o <= oldest) {
                oldest = o;
                target = i;
            }
        }
        for (int32_t i = 0; i < t.count; ++i) {
            const uint32_t o = t.OrderAt(i);
            if (i != target && o > 0) t.SetOrderAt(i, o - 1);
        }
        order = kTempSlots - 1;
    }
    uint8_t* slot = t.view + t.offsets[target];
    std::memcpy(slot, record, size);
    StoreU32(slot, topByte | order);

    if (!cmp) cmp = CompareLengthPrefixed;
    const uint8_t* view = t.view;
    std::stable_sort(t.offsets, t.offsets + t.count, [view, cmp](uint32_t a, uint32_t b) {
        const uint8_t* x = view + a;
        const uint8_t* y = view + b;
        const int r = cmp(EntryCode(x), EntryCode(y));
        if (r != 0) return r < 0;
        return CompareLengthPrefixed(EntryWord(x), EntryWord(y)) < 0;
    });
    t.StoreOffsets();
    t.StoreCount();
    NoteTableChange(table);
    MappedFile::Flush(table);
    return 1;
}

int RemoveAt(MappedFile* table, int32_t position) {
    TempLayout t;
    if (!ReadTempLayout(table, &t)) return 0;
    if (position < 0 || position >= t.count) return 0;
    const uint32_t freed = t.offsets[position];
    const uint32_t order = t.OrderAt(position);
    std::memmove(t.offsets + position, t.offsets + position + 1,
                 sizeof(uint32_t) * static_cast<size_t>(t.count - position - 1));
    --t.count;
    t.offsets[t.count] = freed;
    // Nothing may read the old word from a free slot.
    std::memset(t.view + freed, 0, kTempSlotSize);
    for (int32_t i = 0; i < t.count; ++i) {
        const uint32_t o = t.OrderAt(i);
        if (o > order) t.SetOrderAt(i, o - 1);
    }
    t.StoreOffsets();
    t.StoreCount();
    NoteTableChange(table);
    return 1;
}

}  // namespace CodeTable
