#include "engine/candidate_entry_menu.h"

#include <cwchar>
#include <new>

#include "core/base/text_convert.h"
#include "core/base/url_encode.h"
#include "core/table/table_format.h"
#include "engine/candidate_entry.h"
#include "engine/candidates.h"
#include "engine/listed_entries.h"
#include "engine/platform.h"

namespace {

constexpr int kInfoTextUnits = 512;
constexpr int kTitleUnits = 16 + kRowTextUnits;
constexpr int kAddressUnits = 64 + kUrlEncodeChars;

// The row's display text, terminated.
void RowText(const Engine* e, int row, wchar_t (&out)[kRowTextUnits + 1]) {
    const PageRow& r = e->page.rowText[row];
    const uint32_t n = r.length < kRowTextUnits ? r.length : kRowTextUnits;
    std::wmemcpy(out, r.text, n);
    out[n] = 0;
}

const wchar_t* ClassLine(uint32_t flags) {
    switch (EntryClassOf(flags)) {
        case kClassSystem:
            return L"分类: 主码表\r\n";
        case kClassUser:
            return L"分类: 用户码表\r\n";
        case kClassSecondary:
            return L"分类: 次显码表\r\n";
        case kClassAuxCode:
            return L"分类: 辅助码表\r\n";
        default:
            return L"分类: 其它类型的码表\r\n";
    }
}

void ShowInfo(const Engine* e, HWND owner, int row, const uint8_t* entry) {
    wchar_t text[kRowTextUnits + 1];
    RowText(e, row, text);
    wchar_t title[kTitleUnits];
    std::swprintf(title, kTitleUnits, L"词条信息 - %ls", text);
    const uint32_t flags = LoadU32(entry);
    wchar_t body[kInfoTextUnits];
    std::swprintf(body, kInfoTextUnits, L"%ls%ls%ls",
                  (e->state & kStateSecondaryPass)
                      ? L"当前检索码表: 次显码表  (可使用“码表切换键”切换至主码表)\r\n"
                      : L"当前检索码表: 主码表  (可使用“码表切换键”切换至次显码表)\r\n",
                  (flags & kFlagPinned) ? L"是否固顶词条: 是\r\n" : L"是否固顶词条: 否\r\n",
                  ClassLine(flags));
    PLATFORM_CALL(messageBox)(owner, body, title, MB_ICONINFORMATION);
}

void OpenWebLookup(const Engine* e, int row) {
    wchar_t text[kRowTextUnits + 1];
    RowText(e, row, text);
    wchar_t encoded[kUrlEncodeChars];
    UrlEncodeText(text, encoded);
    wchar_t address[kAddressUnits];
    std::swprintf(address, kAddressUnits, L"%ls%ls", kDictPageAddress, encoded);
    PLATFORM_CALL(shellExecute)(nullptr, address, nullptr, L"open", SW_SHOWNORMAL);
}

// Writes operation 1..7 into main.dmg; every candidate entry is checked against the table
// as it is now before its flags are read or written.
int EditEntries(Engine* e, int64_t j, int operation) {
    MappedFile* main = e->mainTable;
    // A private copy would lose the edit.
    if (!main || !main->IsMapped()) return 0;
    OrderCandidatesUpTo(e, e->candidateCount);  // the operations read the whole list
    const int64_t n = e->candidateCount;
    const uint8_t** entries = new (std::nothrow) const uint8_t*[n];
    bool* listed = new (std::nothrow) bool[n];
    EntrySlot* slots = new (std::nothrow) EntrySlot[n];
    int changed = 0;
    if (entries && listed && slots) {
        for (int64_t i = 0; i < n; ++i) entries[i] = MainTableEntryOf(e, e->candidates[i]);
        MarkListedEntries(main, entries, n, listed);
        for (int64_t i = 0; i < n; ++i) {
            slots[i].flags = listed[i] ? const_cast<uint8_t*>(entries[i]) : nullptr;
            slots[i].weight = e->candidates[i].weight;
        }
        changed = ApplyEntryOperation(slots, n, j, operation);
        if (changed) {
            NoteTableChange(main);
            MappedFile::Flush(main);
        }
    }
    delete[] slots;
    delete[] listed;
    delete[] entries;
    return changed;
}

}  // namespace

int EntryTextForDisplay(const uint8_t* lengthPrefixed, wchar_t* out, int capacity) {
    if (!out || capacity <= 0) return 0;
    out[0] = 0;
    if (!lengthPrefixed) return 0;
    int n = DecodeLengthPrefixedUtf8(lengthPrefixed, out, capacity);
    if (n < 0) n = 0;
    if (n >= capacity) n = capacity - 1;
    out[n] = 0;
    for (int i = 0; i < n; ++i)
        if (out[i] >= 0x0A && out[i] <= 0x19) out[i] = static_cast<wchar_t>(out[i] + 0xFF00);
    return n;
}

int Engine::EntryOperation(Engine* e, HWND owner, int row, int operation) {
    if (!e || row < 0 || row >= kPageRows || row >= e->page.rowCount) return 0;
    const int64_t j = e->page.rowCandidate[row];
    if (j < 0 || j >= e->candidateCount || j >= kMaxCandidates) return 0;
    if (operation >= kEntryUp && operation <= kEntryDelete) return EditEntries(e, j, operation);
    if (operation == kEntryInfo) {
        const uint8_t* entry = MainTableEntryOf(e, e->candidates[j]);
        if (entry && IsListedEntry(e->mainTable, entry)) ShowInfo(e, owner, row, entry);
    } else if (operation == kEntryWebLookup) {
        OpenWebLookup(e, row);
    }
    return 0;
}
