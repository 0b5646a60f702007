#include "config/word_editor_rules.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>

#include "core/base/text_convert.h"
#include "core/table/code_table.h"
#include "core/table/table_edit.h"
#include "core/table/table_format.h"
#include "core/tabletools/table_entry_text.h"

namespace {

// Units of the last n characters of text (units long, no broken pair).
int UnitsOfLastChars(const wchar_t* text, int units, int n) {
    int at = units;
    for (int i = 0; i < n && at > 0; ++i) {
        at -= (at >= 2 && IsLowSurrogate(text[at - 1]) && IsHighSurrogate(text[at - 2])) ? 2 : 1;
    }
    return units - at;
}

struct FreeDeleter {
    void operator()(uint8_t* p) const { std::free(p); }
};

// Code length byte onwards of an entry: the key FindEntry takes.
int KeyLength(const uint8_t* entry) { return 2 + entry[4] + entry[5 + entry[4]]; }

bool SameKey(const uint8_t* entry, const ReplacedEntryKey& key) {
    return key.length > 0 && KeyLength(entry) == key.length &&
           std::memcmp(entry + 4, key.bytes, static_cast<size_t>(key.length)) == 0;
}

// Deletes the entry of key (wherever sorting moved it) and empties key.
void DeleteReplaced(MappedFile* table, ReplacedEntryKey* key) {
    if (!key || key->length == 0) return;
    const int64_t at = CodeTable::FindEntry(table, key->bytes);
    if (at > 0 && CodeTable::DeleteEntry(table, static_cast<int32_t>(at - 1)))
        CodeTable::RebuildPrefixIndex(table);
    key->length = 0;
}

uint8_t* EntryAtFound(MappedFile* table, int64_t found) {
    const TableView v = MakeTableView(table);
    return const_cast<uint8_t*>(v.EntryAt(static_cast<int32_t>(found - 1)));
}

}  // namespace

bool CutWordFromSource(const wchar_t* source, int& length, wchar_t (&word)[kWordEditorUnits]) {
    if (!source) return false;
    const int count = Utf16CharCount(source, 2 * kWordEditorUnits);
    if (count <= 0) return false;
    if (length > count) length = count;
    if (length < 0) length = 0;
    const int units = static_cast<int>(wcsnlen(source, 2 * kWordEditorUnits));
    int take = UnitsOfLastChars(source, units, length);
    if (take > kWordEditorUnits - 1) {
        take = kWordEditorUnits - 1;
        if (IsLowSurrogate(source[units - take])) --take;
    }
    std::wmemcpy(word, source + units - take, static_cast<size_t>(take));
    word[take] = 0;
    return true;
}

int StepWordLength(int length, int delta) {
    const int n = length + delta;
    return n < 0 ? 0 : n > kMaxOnlineWordLength ? kMaxOnlineWordLength : n;
}

bool ProposeWordCode(const MappedFile* charTable, const DmeConfigData* dme, const wchar_t* word,
                     wchar_t (&code)[kWordEditorUnits]) {
    code[0] = 0;
    if (!word || !charTable || !dme) return false;
    const int chars = Utf16CharCount(word, kWordEditorUnits);
    if (chars <= 0 || chars >= kMaxRuleChars) return false;
    const WordRule& rule = dme->wordRules[chars];
    if (rule.terms[0] == 0) return false;
    if (!EncodeWordByRules(charTable, rule.terms, word, code)) {
        code[0] = 0;
        return false;
    }
    return true;
}

bool IsKeyboardCode(const wchar_t* code) {
    if (!code) return false;
    for (const wchar_t* c = code; *c; ++c) {
        const bool ascii = *c >= 0x21 && *c <= 0x7E;
        const bool keypad = *c >= 0xFF0A && *c <= 0xFF19;
        if (!ascii && !keypad) return false;
    }
    return true;
}

const wchar_t* WordAddStatusText(WordAddResult result) {
    switch (result) {
        case WordAddResult::Revived:
            return L"取消删除，并已更改排序";
        case WordAddResult::EmptyWord:
            return L"词条不能为空";
        case WordAddResult::EmptyCode:
            return L"编码不能为空";
        case WordAddResult::NotKeyboard:
            return L"编码不能非键盘字符";
        case WordAddResult::BadEntry:
            return L"非法的定义.";
        case WordAddResult::Exists:
            return L"词条已存在";
        case WordAddResult::AddFailed:
            return L"加词失败";
        default:
            return L"";
    }
}

ReplacedEntryKey KeyOfEntryAt(const MappedFile* table, int32_t position) {
    ReplacedEntryKey key;
    const TableView v = MakeTableView(table);
    if (!v.valid() || !v.HoldsCodeEntries() || position < 0 || position >= v.count) return key;
    const uint8_t* e = v.EntryAt(position);
    if (!e) return key;
    key.length = KeyLength(e);
    std::memcpy(key.bytes, e + 4, static_cast<size_t>(key.length));
    return key;
}

WordAddResult AddWordToTable(MappedFile* table, const WordAddRequest& r) {
    if (!r.word || !r.word[0]) return WordAddResult::EmptyWord;
    if (!r.code || !r.code[0]) return WordAddResult::EmptyCode;
    if (!IsKeyboardCode(r.code)) return WordAddResult::NotKeyboard;

    wchar_t codePart[kWordEditorUnits];
    std::wcsncpy(codePart, r.code, kWordEditorUnits - 1);
    codePart[kWordEditorUnits - 1] = 0;
    std::unique_ptr<uint8_t, FreeDeleter> entry(TableEntry::FromText(codePart, r.word, nullptr));
    if (!entry) return WordAddResult::BadEntry;
    uint32_t flags = LoadU32(entry.get());
    flags = (flags & ~kClassMask) | ((r.entryClass << kClassShift) & kClassMask);
    if ((flags & kOrderMask) == 0) flags |= r.beforeSystem ? kOrderBeforeSystem : kOrderAfterSystem;
    StoreU32(entry.get(), flags);

    const int64_t found = CodeTable::FindEntry(table, entry.get() + 4);
    if (found > 0) {
        uint8_t* stored = EntryAtFound(table, found);
        if (!stored) return WordAddResult::AddFailed;
        const uint32_t old = LoadU32(stored);
        if (r.old && SameKey(stored, *r.old)) {
            // The word keeps its code and text: only its class and order change.
            StoreU32(stored, flags & ~kFlagDeleted);
            r.old->length = 0;
            MappedFile::Flush(table);
            return WordAddResult::Replaced;
        }
        if (!(old & kFlagDeleted)) return WordAddResult::Exists;
        StoreU32(stored, (old & ~(kFlagDeleted | kOrderMask)) | (flags & kOrderMask));
        DeleteReplaced(table, r.old);
        MappedFile::Flush(table);
        return WordAddResult::Revived;
    }
    if (!CodeTable::AppendEntry(table, entry.get()) || !table->IsMapped())
        return WordAddResult::AddFailed;
    CodeTable::Sort(table);
    if (MakeTableView(table).kind == kTableKindMain) CodeTable::RebuildPrefixIndex(table);
    DeleteReplaced(table, r.old);
    MappedFile::Flush(table);
    return WordAddResult::Added;
}
