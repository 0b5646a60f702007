// What the table viewer decides, without a window: which entries pass its filters, the texts
// and colours of its cells, the edits of delete and undelete, and the copied text.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "core/base/mapped_file.h"
#include "core/settings/config_blocks.h"
#include "core/table/table_format.h"

// The table the viewer shows, by its file name.
enum class ViewerTable { Main, Temp, Association, English, Other };
ViewerTable ViewerTableOf(const wchar_t* path);
// "输入编码表详细视图" and the others, without the display name.
const wchar_t* ViewerCaption(ViewerTable table);

constexpr int kFilterUnits = 128;
constexpr int kViewerCodeUnits = 129;

struct ViewerFilter {
    std::wstring code;  // empty: any
    std::wstring word;
    bool fuzzy = false;  // code starts with the filter, word contains it
    bool showDeleted = false;
    bool showPinned = false;
    int classFilter = 0;  // 0: every class
};

// The code of an entry as the viewer shows it: empty for a list table, else UTF-8 with each
// unit below 32 shown as U+FF00 + unit (the keypad keys), at most 129 units.
std::wstring ViewerCode(const TableView& table, const uint8_t* entry);
// The word (a list table's text).
std::wstring ViewerWord(const TableView& table, const uint8_t* entry);

// State, class, code and word filters of one entry.
bool EntryPasses(const ViewerFilter& filter, const TableView& table, const uint8_t* entry);
// Positions of the entries that pass, in table order; stops early (with what it has) when
// cancel is set.
std::vector<int32_t> FilterPositions(const MappedFile* table, const ViewerFilter& filter,
                                     const std::atomic<bool>* cancel = nullptr);

enum class ViewerColumn { Number, Code, Word, Class, Order };
// The text of a cell of the entry at position.
std::wstring ViewerCellText(ViewerColumn column, ViewerTable kind, const TableView& table,
                            int32_t position, const SoftConfigData* soft);
// Deleted entries red, user words dark blue, the others black.
COLORREF ViewerRowColour(uint32_t flags);

bool ClassEditableOrUser(const SoftConfigData* soft, uint32_t cls);

// Deletes the entries at positions (any order): an entry of the user class or of an editable
// class for good, any other gets its deleted flag; highest position first so that the others
// stay valid. Then the prefix index is rebuilt. The number of entries changed.
int DeleteViewerEntries(MappedFile* table, const SoftConfigData* soft,
                        std::vector<int32_t> positions);
// Clears the deleted flag of the entries at positions; the number changed.
int UndeleteViewerEntries(MappedFile* table, const std::vector<int32_t>& positions);

constexpr size_t kCopyRowLimit = 24;
// The clipboard text of the selected rows (in list order): at most 24, the last selected
// first, each "word TAB code CR LF".
std::wstring ViewerCopyText(const TableView& table, const std::vector<int32_t>& selectedPositions);
