#include "core/tabletools/table_importer.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "core/base/avl_tree.h"
#include "core/base/text_convert.h"
#include "core/table/table_edit.h"
#include "core/table/table_format.h"
#include "core/tabletools/table_text.h"

namespace {

thread_local CodeTableImporter* g_importer = nullptr;
ImportResizeFunction g_resize = nullptr;

int32_t Grow(MappedFile* table, int64_t newSize) {
    return CodeTable::GrowTableFile(table, newSize, g_resize);
}

struct ActiveImporter {
    CodeTableImporter* previous;
    explicit ActiveImporter(CodeTableImporter* x) : previous(g_importer) { g_importer = x; }
    ~ActiveImporter() { g_importer = previous; }
};

CodeComparator CodeCompareOf(const CodeTableImporter* x) {
    return x && x->compareCode ? x->compareCode : CompareLengthPrefixed;
}

// Code by the importer's comparison, then word bytes: the table's own order.
int CompareCodeThenWord(const uint8_t* a, const uint8_t* b) {
    int r = CodeCompareOf(g_importer)(a, b);
    if (r) return r;
    return CompareLengthPrefixed(a + 1 + a[0], b + 1 + b[0]);
}

uint32_t ClassOf(const uint8_t* entry) { return EntryClassOf(LoadU32(entry)); }

void SetClassAndOrder(uint8_t* entry, uint32_t cls, uint32_t order) {
    uint32_t f = LoadU32(entry) & ~(kClassMask | kOrderMask);
    StoreU32(entry, f | ComposeFlags(order, cls));
}

uint32_t OrderOrDefault(const CodeTableImporter* x) {
    return x->directiveOrder > 0 ? static_cast<uint32_t>(x->directiveOrder) : kImportDefaultOrder;
}

// Class of an imported entry whose own class (from its tags) is own: an own class is kept;
// without one the directive class, failing that the target class, or the system class when
// there is no target. 0 when the result is not the target class.
uint32_t ImportClassOf(const CodeTableImporter* x, uint32_t own) {
    const uint32_t t = static_cast<uint32_t>(x->targetClass);
    const uint32_t directive = static_cast<uint32_t>(x->directiveClass);
    uint32_t cls = own ? own : directive ? directive : t ? t : kClassSystem;
    return t != 0 && cls != t ? 0 : cls;
}

void FreeTreeEntries(AvlTree* tree) {
    if (!tree) return;
    for (uint32_t i = 1; i <= tree->used(); ++i) std::free(tree->node(i)->item);
}

bool Writable(CodeTableImporter* x) {
    if (!x->table || !x->table->view) {
        x->status = ImportStatus::kNoTable;
        return false;
    }
    if (!x->table->IsMapped()) {
        x->status = ImportStatus::kTableNotWritable;
        return false;
    }
    TableView v = MakeTableView(x->table);
    if (!v.valid() || v.kind != kTableKindMain) {
        x->status = ImportStatus::kNoTable;
        return false;
    }
    return true;
}

// Directive values behind "码表分类=".
int32_t DirectiveClassOf(const wchar_t* value, size_t length) {
    if (TextEquals(value, length, L"辅码码表")) return kClassAuxCode;
    if (TextEquals(value, length, L"主码-系统码表")) return kClassSystem;
    if (TextEquals(value, length, L"主码-用户码表")) return kClassUser;
    if (TextEquals(value, length, L"主码-次显码表")) return kClassSecondary;
    size_t rest = 0;
    if (TextStartsWith(value, length, L"主码-", &rest)) {
        int32_t n = ParseTableDecimal(value + rest, length - rest);
        if (n == 0) n = 1;
        if (n < 0 || n > 16) n = 16;
        return n + 15;
    }
    return -1;
}

// Report texts by merge outcome (1 to 4) of the two kinds of lines.
struct MergeTexts {
    const wchar_t* byOutcome[5];
};
const MergeTexts kEntryLineTexts = {{
    nullptr,
    L"%ls ----------存在于系统码表，已取消删除标志\r\n",
    L"%ls ----------已存在于系统码表，未做任何操作\r\n",
    L"%ls ----------重复的词条定义\r\n",
    L"%ls ----------存在于系统码表，并已设置删除标准\r\n",
}};
const MergeTexts kWordLineTexts = {{
    nullptr,
    L"%ls ----------存在于系统码表，已取消删除标志\r\n",
    L"%ls ----------已存在于系统码表\r\n",
    L"%ls ----------重复的定义\r\n",
    L"%ls ----------存在于系统码表，并已设置删除标准\r\n",
}};

// Merges e and reports its outcome; 1 when accepted (the tree owns e then).
int MergeAndReport(CodeTableImporter* x, uint8_t* e, const wchar_t* word, const MergeTexts& texts) {
    int outcome = CodeTableImporter::MergeEntry(x, e);
    if (outcome == kMergeAdded) return 1;
    if (outcome >= kMergeUndeleted && outcome <= kMergeDeleted)
        AppendReportLine(&x->report, texts.byOutcome[outcome], word);
    // kMergeFailed: stopped, the status tells why.
    std::free(e);
    return 0;
}

// Gives e its class (ImportClassOf) and order, then merges it; an entry that takes no class
// is reported and freed. 1 when accepted (the tree owns e then).
int ClassifyAndMerge(CodeTableImporter* x, uint8_t* e, const wchar_t* word, uint32_t order,
                     const MergeTexts& texts) {
    const uint32_t cls = ImportClassOf(x, ClassOf(e));
    if (cls == 0) {
        AppendReportLine(&x->report, L"%ls ----------与所选分类不匹配的词条类别\r\n", word);
        std::free(e);
        return 0;
    }
    SetClassAndOrder(e, cls, order);
    return MergeAndReport(x, e, word, texts);
}

// One NUL-terminated line of the text: comments and directives are passed over, a line with
// a TAB is an entry line, any other a word line. 1 when accepted.
int ImportLine(CodeTableImporter* x, wchar_t* s, size_t length) {
    size_t dataStart = 0;
    if (ClassifyTableLine(s, length, &dataStart) != TableLineKind::kData) return 0;
    wchar_t* data = s + dataStart;
    length -= dataStart;
    for (size_t i = 0; i < length; ++i) {
        if (data[i] == L'\t') {
            data[i] = 0;
            return CodeTableImporter::ImportEntryLine(x, data, i, data + i + 1);
        }
    }
    return CodeTableImporter::ImportWordLine(x, data, length);
}

}  // namespace

void SetImportResizeForTesting(ImportResizeFunction fn) { g_resize = fn; }

CodeTableImporter* CodeTableImporter::Create() {
    auto* x = static_cast<CodeTableImporter*>(std::calloc(1, sizeof(CodeTableImporter)));
    if (!x) return nullptr;
    x->tree = new (std::nothrow) AvlTree(kImportTreeNodes, CompareEntries);
    if (!x->tree || x->tree->capacity() == 0) {
        delete x->tree;
        std::free(x);
        return nullptr;
    }
    return x;
}

void CodeTableImporter::Destroy(CodeTableImporter* x) {
    if (!x) return;
    FreeTreeEntries(x->tree);
    delete x->tree;
    std::free(x);
}

int64_t CodeTableImporter::CompareEntries(const void* newEntry, const void* nodeEntry) {
    const auto* a = static_cast<const uint8_t*>(newEntry) + 4;
    const auto* b = static_cast<const uint8_t*>(nodeEntry) + 4;
    return CompareCodeThenWord(a, b);
}

void CodeTableImporter::ReadDirectives(CodeTableImporter* x) {
    if (!x) return;
    x->directiveClass = 0;
    x->directiveOrder = 0;
    if (!x->text) return;
    size_t pos = 0;
    TableDirective d;
    while (NextTableDirective(x->text, x->textLength, &pos, &d)) {
        if (!d.value) continue;
        if (TextEquals(d.key, d.keyLength, L"码表分类")) {
            int32_t cls = DirectiveClassOf(d.value, d.valueLength);
            if (cls > 0) x->directiveClass = cls;
        } else if (TextEquals(d.key, d.keyLength, L"全局排序数值")) {
            int32_t n = ParseTableDecimal(d.value, d.valueLength);
            // 0 sets no order; other values are kept to what the order field holds.
            x->directiveOrder = n == 0 ? 0 : n < 1 ? 1 : n > 0xFFFF ? 0xFFFF : n;
        }
    }
}

int CodeTableImporter::MergeEntry(CodeTableImporter* x, uint8_t* entry) {
    if (!x || !entry) return kMergeFailed;
    if (x->status != ImportStatus::kOk || !Writable(x)) return kMergeFailed;
    if (!x->tree) {
        x->status = ImportStatus::kOutOfMemory;
        return kMergeFailed;
    }
    ActiveImporter active(x);
    const uint8_t* key = entry + 4;
    int64_t r = CodeTable::FindEntry(x->table, key,
                                     x->compareCode ? CompareCodeThenWord : CompareCodeAndWord);
    if (r <= 0) {
        AvlInsertResult ins = x->tree->Insert(entry);
        if (ins == AvlInsertResult::kOutOfMemory) {
            x->status = ImportStatus::kOutOfMemory;
            return kMergeFailed;
        }
        if (ins == AvlInsertResult::kRefused) return kMergeRepeated;
        x->totalBytes += EntrySize(entry);
        return kMergeAdded;
    }
    TableView v = MakeTableView(x->table);
    const uint8_t* found = v.EntryAt(static_cast<int32_t>(r - 1));
    if (!found) {
        x->status = ImportStatus::kTableDamaged;
        return kMergeFailed;
    }
    uint8_t* stored = const_cast<uint8_t*>(found);
    const uint32_t f = LoadU32(stored), n = LoadU32(entry);
    if ((f & kFlagDeleted) && !(n & kFlagDeleted)) {
        StoreU32(stored, f & ~kFlagDeleted);
        NoteTableChange(x->table);
        return kMergeUndeleted;
    }
    if (!(f & kFlagDeleted) && (n & kFlagDeleted)) {
        StoreU32(stored, f | kFlagDeleted);
        NoteTableChange(x->table);
        return kMergeDeleted;
    }
    return kMergePresent;
}

int CodeTableImporter::ImportEntryLine(CodeTableImporter* x, wchar_t* word, size_t wordLength,
                                       wchar_t* codePart) {
    UnescapeTableWord(word, wordLength, false);
    uint8_t* e = TableEntry::FromText(codePart, word, x->encodeCode);
    if (!e) {
        AppendReportLine(&x->report, L"%ls ----------无法创建词条\r\n", word);
        return 0;
    }
    const uint32_t order = LoadU32(e) & kOrderMask;
    return ClassifyAndMerge(x, e, word, order ? order : OrderOrDefault(x), kEntryLineTexts);
}

int CodeTableImporter::ImportWordLine(CodeTableImporter* x, wchar_t* word, size_t wordLength) {
    UnescapeTableWord(word, wordLength, false);
    int n = Utf16CharCount(word, 128);
    if (n > kMaxRuleChars) {
        AppendReportLine(&x->report, L"%ls ----------自动构词长度不能大于30\r\n", word);
        return 0;
    }
    if (n < 0) {
        // A broken surrogate pair can never be stored.
        AppendReportLine(&x->report, L"%ls ----------无法创建词条\r\n", word);
        return 0;
    }
    if (n == 0) return 0;
    wchar_t code[kRuleCodeUnits];
    const uint16_t* rule = x->rules ? x->rules[n].terms : nullptr;
    if (!EncodeWordByRules(x->keyValueTable, rule, word, code)) {
        AppendReportLine(&x->report, L"%ls ----------无法依据构词规则生成目标编码\r\n", word);
        return 0;
    }
    uint8_t* e = TableEntry::FromText(code, word, x->encodeCode);
    if (!e) {
        // A code too long to be stored whole: the word is refused, not dropped unseen.
        AppendReportLine(&x->report, L"%ls ----------无法创建词条\r\n", word);
        return 0;
    }
    return ClassifyAndMerge(x, e, word, OrderOrDefault(x), kWordLineTexts);
}

int32_t CodeTableImporter::ImportAll(CodeTableImporter* x) {
    if (!x) return -1;
    if (x->status != ImportStatus::kOk || !Writable(x)) return -1;
    if (!x->text) return 0;
    ActiveImporter active(x);
    int32_t accepted = 0;
    size_t pos = 0;
    TextLine line;
    const int32_t total =
        x->textLength > INT32_MAX ? INT32_MAX : static_cast<int32_t>(x->textLength);
    while (NextTextLine(x->text, x->textLength, &pos, &line)) {
        wchar_t* s = x->text + line.start;
        wchar_t* last = nullptr;
        if (line.start + line.length < x->textLength) {
            // The line ends here. The line end overwritten is stepped over, or the walk would
            // take the NUL for a line of its own.
            s[line.length] = 0;
            pos = line.start + line.length + 1;
        } else {
            // The last line may have no terminator inside the text: it is taken from a copy.
            last = static_cast<wchar_t*>(std::malloc((line.length + 1) * sizeof(wchar_t)));
            if (!last) {
                x->status = ImportStatus::kOutOfMemory;
                return -1;
            }
            std::memcpy(last, s, line.length * sizeof(wchar_t));
            last[line.length] = 0;
            s = last;
        }
        accepted += ImportLine(x, s, line.length);
        std::free(last);
        if (x->progress) {
            int32_t at = line.start > INT32_MAX ? INT32_MAX : static_cast<int32_t>(line.start);
            x->progress(nullptr, at, total);
        }
        if (x->status != ImportStatus::kOk) return -1;
    }
    return accepted;
}

int32_t CodeTableImporter::Commit(CodeTableImporter* x) {
    if (!x || !x->tree || x->status != ImportStatus::kOk) return 0;
    const uint32_t added = x->tree->used();
    if (added == 0) return 0;
    if (!Writable(x)) return 0;
    ActiveImporter active(x);

    MappedFile* table = x->table;
    auto* h = reinterpret_cast<TableFileHeader*>(table->view);
    const int64_t fileSize = table->size;
    int64_t heap = LoadU32(&h->heapStart);
    const int32_t count = LoadI32(&h->count);
    // Every number read from the file must hold before the heap is moved.
    TableView v = MakeTableView(table);
    if (count < 0 || v.count != count || v.heapStart != heap) {
        x->status = ImportStatus::kTableDamaged;
        return 0;
    }
    for (int32_t i = 0; i < count; ++i) {
        if (!v.EntryAt(i)) {
            x->status = ImportStatus::kTableDamaged;
            return 0;
        }
    }

    const int64_t heapBytes = fileSize - heap;
    const int64_t gap = heap - (FreshHeapStart(0) + 4 * static_cast<int64_t>(count));
    const int64_t needed = x->totalBytes + 4 * static_cast<int64_t>(added);
    if (gap < needed) {
        const int64_t newSize = fileSize + (needed - gap) + 4096;
        if (newSize > kMaxMappedSize || Grow(table, newSize) <= 0) {
            x->status = ImportStatus::kGrowFailed;
            return 0;
        }
        uint8_t* view = table->view;
        const int64_t shift = newSize - fileSize;
        std::memmove(view + newSize - heapBytes, view + heap, static_cast<size_t>(heapBytes));
        std::memset(view + heap, 0, static_cast<size_t>(shift < heapBytes ? shift : heapBytes));
        for (int32_t i = 0; i < count; ++i) {
            uint8_t* slot = view + kOffsetArrayStart + 4 * static_cast<int64_t>(i);
            StoreU32(slot, static_cast<uint32_t>(LoadU32(slot) + shift));
        }
        heap = newSize - heapBytes;
        h = reinterpret_cast<TableFileHeader*>(view);
        StoreU32(&h->heapStart, static_cast<uint32_t>(heap));
    }

    uint8_t* view = table->view;
    int32_t n = count;
    for (uint32_t i = added; i >= 1; --i) {
        const auto* e = static_cast<const uint8_t*>(x->tree->node(i)->item);
        const uint32_t size = EntrySize(e);
        heap -= size;
        std::memcpy(view + heap, e, size);
        StoreU32(view + kOffsetArrayStart + 4 * static_cast<int64_t>(n),
                 static_cast<uint32_t>(heap));
        ++n;
        StoreU32(&h->heapStart, static_cast<uint32_t>(heap));
        std::memcpy(&h->count, &n, 4);
        if (x->progress)
            x->progress(nullptr, static_cast<int32_t>(added - i + 1), static_cast<int32_t>(added));
    }
    FreeTreeEntries(x->tree);
    delete x->tree;
    x->tree = new (std::nothrow) AvlTree(kImportTreeNodes, CompareEntries);
    x->totalBytes = 0;

    CodeTable::Sort(table, x->compareCode);
    CodeTable::RebuildPrefixIndex(table, x->compareCode);
    return static_cast<int32_t>(added);
}
