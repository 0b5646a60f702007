// Importing a table text, or a plain list of words, into a mapped main code table, with one
// report line for every line that cannot be taken.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/base/mapped_file.h"
#include "core/base/text_lines.h"
#include "core/settings/config_blocks.h"
#include "core/table/code_table.h"
#include "core/table/table_progress.h"
#include "core/tabletools/table_entry_text.h"

class AvlTree;

// Why an import stopped; the caller tells the user.
enum class ImportStatus : int32_t {
    kOk = 0,
    kNoTable,           // no target table, or not a main code table
    kTableNotWritable,  // the target is a private memory copy: edits would be lost
    kTableDamaged,      // the target's header or offsets do not hold
    kOutOfMemory,       // the tree of new entries could not grow
    kGrowFailed,        // the target could not be grown; nothing was added. It is mapped
                        // again as it was, or closed (view null) when that failed too
};

// Outcomes of CodeTableImporter::MergeEntry.
enum MergeOutcome : int {
    kMergeFailed = -1,    // stopped: see the importer's status
    kMergeAdded = 0,      // new; held until the commit
    kMergeUndeleted = 1,  // present and deleted: the deleted flag was cleared
    kMergePresent = 2,    // present: nothing changed
    kMergeRepeated = 3,   // the same code and word came earlier in this text
    kMergeDeleted = 4,    // present and live, the line deletes it: the deleted flag was set
};

constexpr uint32_t kImportTreeNodes = 10240;
constexpr uint32_t kImportDefaultOrder = 1024;

// One import at a time: the tree's comparison reaches the importer through one global.
struct CodeTableImporter {
    const WordRule* rules;  // 32 slots (DmeConfigData::wordRules); slot n for n characters
    const MappedFile* keyValueTable;  // danzi.dmi
    CodeComparator compareCode;       // codes only; null: CompareLengthPrefixed
    CodeEncoder encodeCode;           // null: keypad characters as bytes, then UTF-8
    ImportReport report;
    TableProgressHook progress;
    int32_t targetClass;  // 0: any
    wchar_t* text;        // textLength units followed by a NUL; edited in place
    size_t textLength;
    MappedFile* table;
    int32_t directiveClass;
    int32_t directiveOrder;
    AvlTree* tree;  // new entries (owned) until the commit
    int64_t totalBytes;
    ImportStatus status;

    // Null when out of memory.
    static CodeTableImporter* Create();
    // Frees the entries not committed, the tree and the importer.
    static void Destroy(CodeTableImporter* importer);

    // Directive class and order from every "---config@" of the text, the last of each kind.
    static void ReadDirectives(CodeTableImporter* importer);
    // Takes every line of the text; returns the number of lines accepted, or -1 when the
    // import stopped (status tells why; nothing is committed then).
    static int32_t ImportAll(CodeTableImporter* importer);
    // Adds the accepted entries to the table, sorts it and rebuilds its prefix index.
    // Returns the number added; 0 when there were none or it failed (status tells).
    static int32_t Commit(CodeTableImporter* importer);

    // Merges one entry record (owned by the tree on kMergeAdded, else still the caller's).
    static int MergeEntry(CodeTableImporter* importer, uint8_t* entry);
    // Line handlers; word and code part are edited in place. 1 when the line was accepted.
    static int ImportEntryLine(CodeTableImporter* importer, wchar_t* word, size_t wordLength,
                               wchar_t* codePart);
    static int ImportWordLine(CodeTableImporter* importer, wchar_t* word, size_t wordLength);

    // Tree order of entry records: code (compareCode), then word bytes.
    static int64_t CompareEntries(const void* newEntry, const void* nodeEntry);
};

// Growth used by the commit; tests replace it to simulate a failing file system. Null
// restores MappedFile::Resize.
using ImportResizeFunction = int32_t (*)(MappedFile*, int64_t);
void SetImportResizeForTesting(ImportResizeFunction fn);
