#include "config/table_viewer_rules.h"

#include <algorithm>
#include <cwchar>

#include "config/table_manager_rules.h"
#include "core/table/table_edit.h"
#include "core/tabletools/table_text_decode.h"
#include "dialog/control_text.h"

namespace {

bool EndsWith(const std::wstring& s, const wchar_t* tail) {
    const size_t n = std::wcslen(tail);
    if (s.size() < n) return false;
    std::wstring end = s.substr(s.size() - n);
    for (wchar_t& c : end)
        if (c >= L'A' && c <= L'Z') c += 32;
    return end == tail;
}

bool IsList(const TableView& t) { return (t.kind & 0xF) == kTableKindList; }

}  // namespace

ViewerTable ViewerTableOf(const wchar_t* path) {
    const std::wstring p = path ? path : L"";
    if (EndsWith(p, L"main.dmg")) return ViewerTable::Main;
    if (EndsWith(p, L"temp.dmg")) return ViewerTable::Temp;
    if (EndsWith(p, L"sysl.dmg")) return ViewerTable::Association;
    if (EndsWith(p, L"engl.dmg")) return ViewerTable::English;
    return ViewerTable::Other;
}

const wchar_t* ViewerCaption(ViewerTable table) {
    switch (table) {
        case ViewerTable::Main:
            return L"输入编码表详细视图";
        case ViewerTable::Temp:
            return L"临时码表详细视图";
        case ViewerTable::Association:
            return L"联想词库详细视图";
        case ViewerTable::English:
            return L"英文词库详细视图";
        default:
            return L"码表详细视图";
    }
}

std::wstring ViewerCode(const TableView& table, const uint8_t* entry) {
    if (!entry || IsList(table)) return {};
    wchar_t out[kViewerCodeUnits + 1];
    DecodeTableBytes(EntryCode(entry), out, kViewerCodeUnits + 1, false);
    for (wchar_t* c = out; *c; ++c)
        if (*c < 32) *c = static_cast<wchar_t>(0xFF00 + *c);
    return out;
}

std::wstring ViewerWord(const TableView& table, const uint8_t* entry) {
    if (!entry) return {};
    wchar_t out[kDecodedTextUnits];
    DecodeTableWord(IsList(table) ? entry + 4 : EntryWord(entry), out, kDecodedTextUnits);
    return out;
}

bool EntryPasses(const ViewerFilter& f, const TableView& table, const uint8_t* entry) {
    if (!entry) return false;
    const uint32_t flags = LoadU32(entry);
    const bool list = IsList(table);
    const uint32_t cls = list ? 0 : EntryClassOf(flags);
    if (!list) {
        if (f.showDeleted) {
            if (!(flags & kFlagDeleted)) return false;
        } else if (f.showPinned) {
            if (!(flags & kFlagPinned)) return false;
        } else if (f.classFilter != 0 && cls != static_cast<uint32_t>(f.classFilter)) {
            return false;
        }
        if (cls == 5) return false;
    }
    if (f.code.empty() && f.word.empty()) return true;
    const std::wstring code = ViewerCode(table, entry);
    const std::wstring word = ViewerWord(table, entry);
    if (f.fuzzy) {
        if (!f.code.empty() && code.compare(0, f.code.size(), f.code) != 0) return false;
        if (!f.word.empty() && word.find(f.word) == std::wstring::npos) return false;
    } else {
        if (!f.code.empty() && code != f.code) return false;
        if (!f.word.empty() && word != f.word) return false;
    }
    return true;
}

std::vector<int32_t> FilterPositions(const MappedFile* table, const ViewerFilter& filter,
                                     const std::atomic<bool>* cancel) {
    std::vector<int32_t> rows;
    const TableView v = MakeTableView(table);
    if (!v.valid()) return rows;
    rows.reserve(filter.code.empty() && filter.word.empty() ? static_cast<size_t>(v.count) : 64);
    for (int32_t i = 0; i < v.count; ++i) {
        if (cancel && (i & 0xFFF) == 0 && cancel->load(std::memory_order_relaxed)) break;
        if (EntryPasses(filter, v, v.EntryAt(i))) rows.push_back(i);
    }
    return rows;
}

std::wstring ViewerCellText(ViewerColumn column, ViewerTable kind, const TableView& table,
                            int32_t position, const SoftConfigData* soft) {
    const uint8_t* e = table.EntryAt(position);
    if (!e) return {};
    const uint32_t flags = LoadU32(e);
    switch (column) {
        case ViewerColumn::Number:
            return std::to_wstring(position + 1);
        case ViewerColumn::Code:
            return ViewerCode(table, e);
        case ViewerColumn::Word:
            return ViewerWord(table, e);
        case ViewerColumn::Order:
            return std::to_wstring(flags & kOrderMask);
        case ViewerColumn::Class:
            break;
    }
    if (kind == ViewerTable::Association) return L"联想表";
    if (kind == ViewerTable::English) return L"英文表";
    if (IsList(table)) return {};
    if (flags & kFlagDeleted) return L" 已删除";
    if (flags & kFlagPinned) return L" 固顶";
    const int cls = static_cast<int>(EntryClassOf(flags));
    if (cls == kClassAuxCode) return ClassAlias(soft, cls);
    if ((cls >= 1 && cls <= 3) || cls >= static_cast<int>(kClassCategoryFirst)) {
        const std::wstring alias = ClassAlias(soft, cls);
        if (alias.empty()) return ClassAlias(soft, 0) + L" - 类" + std::to_wstring(cls);
        return ClassAlias(soft, 0) + L" - " + alias;
    }
    return {};
}

COLORREF ViewerRowColour(uint32_t flags) {
    if (flags & kFlagDeleted) return RGB(255, 0, 0);
    if (EntryClassOf(flags) == kClassUser) return RGB(0, 0, 128);
    return RGB(0, 0, 0);
}

bool ClassEditableOrUser(const SoftConfigData* soft, uint32_t cls) {
    return cls == kClassUser || ClassEditable(soft, static_cast<int>(cls));
}

int DeleteViewerEntries(MappedFile* table, const SoftConfigData* soft,
                        std::vector<int32_t> positions) {
    std::sort(positions.begin(), positions.end(), std::greater<int32_t>());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    int changed = 0;
    for (int32_t p : positions) {
        const TableView v = MakeTableView(table);
        const uint8_t* e = v.EntryAt(p);
        if (!e) continue;
        const uint32_t flags = LoadU32(e);
        if (ClassEditableOrUser(soft, EntryClassOf(flags))) {
            changed += CodeTable::DeleteEntry(table, p);
        } else {
            StoreU32(table->view + (e - v.base), flags | kFlagDeleted);
            ++changed;
        }
    }
    if (changed) CodeTable::RebuildPrefixIndex(table);
    MappedFile::Flush(table);
    return changed;
}

int UndeleteViewerEntries(MappedFile* table, const std::vector<int32_t>& positions) {
    int changed = 0;
    for (int32_t p : positions) {
        const TableView v = MakeTableView(table);
        const uint8_t* e = v.EntryAt(p);
        if (!e) continue;
        const uint32_t flags = LoadU32(e);
        if (!(flags & kFlagDeleted)) continue;
        StoreU32(table->view + (e - v.base), flags & ~kFlagDeleted);
        ++changed;
    }
    MappedFile::Flush(table);
    return changed;
}

std::wstring ViewerCopyText(const TableView& table, const std::vector<int32_t>& selected) {
    std::wstring text;
    size_t taken = 0;
    for (auto it = selected.rbegin(); it != selected.rend() && taken < kCopyRowLimit; ++it) {
        const uint8_t* e = table.EntryAt(*it);
        if (!e) continue;
        text += ViewerWord(table, e) + L"\t" + ViewerCode(table, e) + L"\r\n";
        ++taken;
    }
    return text;
}
