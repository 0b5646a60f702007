// Layout of the code-table files (.dmg, .dmi, .dms) and checked access to their entries.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/base/mapped_file.h"

enum TableKind : uint32_t {
    kTableKindMain = 1,
    kTableKindTemp = 3,
    kTableKindList = 5,
    kTableKindKeyValue = 65536,
};

constexpr int kPrefixIndexDim = 128;
constexpr uint16_t kTableVersion = 0x0304;

struct TableFileHeader {
    uint32_t heapStart;
    int32_t count;
    uint32_t kind;
    uint8_t guid[16];
    uint16_t version;
    char nameTag[32];
    char yesNo[2];
    char modeLetters[2];
    uint8_t builderId[16];
    char digest[16];
    uint8_t reserved1[34];
    int32_t builderMark;
    uint32_t changeCount;  // raised after every edit; zero in a freshly built table
    uint32_t layoutCount;  // raised after edits other than order values
    uint8_t reserved2[12];
    int32_t prefixIndex[kPrefixIndexDim][kPrefixIndexDim];
};

static_assert(offsetof(TableFileHeader, heapStart) == 0);
static_assert(offsetof(TableFileHeader, count) == 4);
static_assert(offsetof(TableFileHeader, kind) == 8);
static_assert(offsetof(TableFileHeader, guid) == 12);
static_assert(offsetof(TableFileHeader, version) == 28);
static_assert(offsetof(TableFileHeader, nameTag) == 30);
static_assert(offsetof(TableFileHeader, yesNo) == 62);
static_assert(offsetof(TableFileHeader, modeLetters) == 64);
static_assert(offsetof(TableFileHeader, builderId) == 66);
static_assert(offsetof(TableFileHeader, digest) == 82);
static_assert(offsetof(TableFileHeader, reserved1) == 98);
static_assert(offsetof(TableFileHeader, builderMark) == 132);
static_assert(offsetof(TableFileHeader, changeCount) == 136);
static_assert(offsetof(TableFileHeader, layoutCount) == 140);
static_assert(offsetof(TableFileHeader, reserved2) == 144);
static_assert(offsetof(TableFileHeader, prefixIndex) == 156);
static_assert(sizeof(TableFileHeader) == 65692);

constexpr uint32_t kOffsetArrayStart = sizeof(TableFileHeader);  // 65692
// Heap start of a freshly built table of n entries (one spare slot behind the array).
constexpr uint32_t FreshHeapStart(uint32_t n) { return 65696 + 4 * n; }

// Temporary-word table: 512 fixed slots.
constexpr int kTempSlots = 512;
constexpr int kTempSlotSize = 260;
constexpr uint32_t kTempHeapStart = 67744;
constexpr int32_t kTempTableSize = 67744 + kTempSlots * kTempSlotSize;  // 200,864
static_assert(kTempTableSize == 200864);

// Entry flags.
constexpr uint32_t kOrderMask = 0x0000FFFF;
constexpr uint32_t kFlagFirstLines = 0x00100000;  // bit 20: among the first 35,000 lines
constexpr uint32_t kClassMask = 0x3F000000;       // bits 24-29
constexpr int kClassShift = 24;
constexpr uint32_t kFlagPinned = 0x40000000;
constexpr uint32_t kFlagDeleted = 0x80000000;

enum EntryClass : uint32_t {
    kClassNone = 0,
    kClassSystem = 1,
    kClassUser = 2,
    kClassSecondary = 3,
    kClassAuxCode = 4,
    kClassCategoryFirst = 16,  // category n has class n + 15
};

inline uint32_t EntryClassOf(uint32_t flags) { return (flags & kClassMask) >> kClassShift; }
inline uint32_t ComposeFlags(uint32_t order, uint32_t cls, bool pinned = false) {
    return (order & kOrderMask) | ((cls << kClassShift) & kClassMask) | (pinned ? kFlagPinned : 0);
}

// Unaligned little-endian reads and writes.
inline uint32_t LoadU32(const void* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline int32_t LoadI32(const void* p) {
    int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline void StoreU32(void* p, uint32_t v) { std::memcpy(p, &v, 4); }

// TableEntry (kinds 1 and 3): flags, code length, code, word length, word.
inline const uint8_t* EntryCode(const uint8_t* e) { return e + 4; }  // length-prefixed
inline const uint8_t* EntryWord(const uint8_t* e) { return e + 5 + e[4]; }
inline uint32_t EntrySize(const uint8_t* e) { return 6u + e[4] + e[5 + e[4]]; }
// ListEntry (kind 5): weight, text length, text.
inline uint32_t ListEntrySize(const uint8_t* e) { return 5u + e[4]; }
// KeyValueEntry (kind 65536): L, key length, key, NUL, value, NUL.
inline const uint8_t* KeyValueKey(const uint8_t* e) { return e + 5; }
inline const uint8_t* KeyValueValue(const uint8_t* e) { return e + 6 + e[4]; }

// A checked view of a table's header: every number read from the file is bounded by the
// view before use. A damaged table reads as holding fewer (or no) entries.
struct TableView {
    const uint8_t* base = nullptr;
    uint32_t size = 0;
    uint32_t kind = 0;
    int32_t count = 0;       // clamped to what the view can hold
    uint32_t heapStart = 0;  // clamped into the view

    bool valid() const { return base != nullptr; }
    // Entries of this kind are TableEntry records (code and word); list and key/value
    // entries carry no word behind their first text.
    bool HoldsCodeEntries() const {
        return kind != kTableKindKeyValue && (kind & 0xF) != kTableKindList;
    }
    uint32_t OffsetAt(int32_t pos) const { return LoadU32(base + kOffsetArrayStart + 4u * pos); }
    // The entry at pos when it lies wholly inside the view, else null.
    const uint8_t* EntryAt(int32_t pos) const;
    // Whole-entry check of a raw offset.
    const uint8_t* EntryAtOffset(uint32_t off) const;
    // Prefix-index cell clamped to [0, count].
    int32_t IndexCell(int a, int b) const;
};

// Reads and checks the header of a mapped table; invalid (no base) when the view is
// missing or too short for the header.
TableView MakeTableView(const MappedFile* table);

// Raises the change and layout counts of a code table after an edit of its entries, offsets
// or index, so that what a process keeps of an earlier lookup is dropped by every process
// mapping it. Call it when the edit is complete. An edit of order values alone (flags bits
// 0-15) raises the change count only.
void NoteTableChange(MappedFile* table);
void NoteTableChange(uint8_t* tableView, int32_t viewSize);
void NoteOrderChange(MappedFile* table);
// The counts of a table's header; 0 for a missing or short view.
uint32_t TableChangeCount(const MappedFile* table);
uint32_t TableLayoutCount(const MappedFile* table);

// The 111 key bytes of the prefix index: 0x20-0x7E and 0x0A-0x19.
inline bool IsPrefixKeyByte(unsigned b) {
    return (b >= 0x20 && b <= 0x7E) || (b >= 0x0A && b <= 0x19);
}
