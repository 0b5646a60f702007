// Builds a main code table (.dmg, kind 1) from definition texts.
// Calling order: Create, AddText (one or more), set hooks and outputPath, ParseLines,
// WriteTable, Destroy.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/base/mapped_file.h"
#include "core/table/code_table.h"

class AvlTree;

// One accepted data line, kept in the mapped record file. code and word point into an added
// text (stored as 64-bit values so that the record is 32 bytes on every target).
struct BuilderRecord {
    uint64_t code;
    uint64_t word;
    uint32_t flags;        // as in TableEntry; 0 removes the record from the table
    uint32_t codeLength;   // UTF-16 units
    uint32_t wordLength;   // UTF-16 units
    uint32_t entryOffset;  // file offset of the written entry (set by WriteTable)

    const wchar_t* codeText() const {
        return reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(code));
    }
    const wchar_t* wordText() const {
        return reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(word));
    }
};
static_assert(offsetof(BuilderRecord, code) == 0);
static_assert(offsetof(BuilderRecord, word) == 8);
static_assert(offsetof(BuilderRecord, flags) == 16);
static_assert(offsetof(BuilderRecord, codeLength) == 20);
static_assert(offsetof(BuilderRecord, wordLength) == 24);
static_assert(offsetof(BuilderRecord, entryOffset) == 28);
static_assert(sizeof(BuilderRecord) == 32);

// Encodes units of text: returns the byte count (the whole text, even when out is null or too
// small); writes only when out is given and the result fits capacity; negative when the text
// cannot be encoded.
using BuilderTextEncoder = int (*)(const wchar_t* text, int units, uint8_t* out, int capacity);
// (context, message or null, index, total).
using BuilderProgress = void (*)(void* context, const wchar_t* text, int32_t index, int32_t total);

enum BuilderError : int32_t {
    kBuilderOk = 0,
    kBuilderNoRecordFile = 1,  // the record file could not be created
    kBuilderOutOfMemory = 2,   // a text or the duplicate tree could not get memory
    kBuilderNoOutputFile = 3,  // the output file could not be created
    kBuilderNotMapped = 4,     // the written table could not be mapped, sorted or indexed
};

constexpr int kBuilderMaxFieldBytes = 255;
constexpr int32_t kBuilderFirstLinesLimit = 35000;  // lines that get flags bit 20
constexpr int32_t kBuilderOrderStart = 0x4000;
constexpr int32_t kBuilderOrderFloor = 1024;

// Name of the record file in %TEMP%; it is removed when the build ends.
inline constexpr wchar_t kBuilderRecordFileName[] = L"ql_index_dmgmake.tmp";

struct CodeTableBuilder {
    // Added texts, owned by the builder (freed with free()).
    wchar_t** texts;
    size_t* textLengths;
    int32_t textCount;
    int32_t textCapacity;
    int64_t rawLineCount;

    MappedFile* recordFile;
    wchar_t recordPath[kPathChars];
    int32_t recordCount;
    int32_t recordCapacity;
    AvlTree* tree;  // unique records in order, kept for the write
    bool parsed;

    int32_t codeLimit;  // bytes of UTF-8
    int32_t wordLimit;

    BuilderTextEncoder codeEncoder;  // null: UTF-8 with keypad characters as single bytes
    BuilderTextEncoder wordEncoder;  // null: UTF-8
    CodeComparator sortComparator;   // null: CompareLengthPrefixed
    CodeComparator indexComparator;  // null: CompareLengthPrefixed
    BuilderProgress progress;
    void* progressContext;

    wchar_t outputPath[kPathChars];
    int32_t mode;  // 1 writes 'M','A' into the header, anything else 'S','N'
    uint8_t builderId[16];
    char signature[18];  // at most 17 bytes, NUL-terminated

    int64_t totalBytes;
    int32_t uniqueCount;
    int32_t writtenCount;
    int32_t orderCounters[256];
    uint32_t defaultClass;
    int32_t globalOrder;   // 0 when not set, else 1..65535
    int32_t initialOrder;  // 0 when not set, else 1..65535
    BuilderError error;

    static CodeTableBuilder* Create();
    // Takes ownership of text (allocated with malloc), also when it fails (0, out of memory).
    static int AddText(CodeTableBuilder* b, wchar_t* text);
    // Accepted data lines; 0 when none or on failure (see error). A text that AddText could
    // not take fails the parse: a table without it would silently lack its words.
    static int32_t ParseLines(CodeTableBuilder* b);
    // 1 when the table was written, 0 otherwise (see error).
    static int WriteTable(CodeTableBuilder* b);
    static void Destroy(CodeTableBuilder* b);
    // Code, then word, as UTF-16 units, ordinal.
    static int64_t CompareRecords(const void* newItem, const void* nodeItem);
};

// Order counters, clamped to the order field.
inline int32_t ClampOrderValue(int32_t n) { return n < 1 ? 1 : n > 0xFFFF ? 0xFFFF : n; }
