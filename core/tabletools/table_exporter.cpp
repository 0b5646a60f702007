#include "core/tabletools/table_exporter.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>

#include "core/base/avl_tree.h"
#include "core/base/text_lines.h"
#include "core/settings/config_blocks.h"
#include "core/table/code_table.h"
#include "core/table/table_format.h"

namespace {

bool IsListKind(uint32_t kind) { return (kind & 0xF) == kTableKindList; }
bool IsCodeKind(uint32_t kind) { return kind == kTableKindMain || kind == kTableKindTemp; }

bool Editable(const CodeTableExporter* x, uint32_t cls) {
    return cls >= kExportClasses || (x->permissions[cls] & kClassWritable) != 0;
}

bool IsSelected(const CodeTableExporter* x, uint32_t flags) {
    const int32_t s = x->selection;
    const uint32_t cls = EntryClassOf(flags);
    if (s == kExportAllClasses && x->permissions && !Editable(x, cls)) return false;
    if (s >= 1 && s <= 31) return cls == static_cast<uint32_t>(s);
    if (s == kExportPinned) return (flags & kFlagPinned) != 0;
    return true;
}

// Alias of a class, bounded by its slot.
void AliasOf(const CodeTableExporter* x, int cls, wchar_t* out) {
    ReadFieldText(x->aliases[cls], kExportAliasUnits, out, kExportAliasUnits + 1);
}

void WriteHeader(CodeTableExporter* x) {
    FILE* f = x->out;
    const int32_t s = x->selection;
    wchar_t alias[kExportAliasUnits + 1];
    bool ok = true;
    if (s >= 1 && s <= 31) {
        switch (s) {
            case 1:
                ok = WriteTextLine(f, L"---config@码表分类=主码-系统码表\r\n");
                break;
            case 2:
                ok = WriteTextLine(f, L"---config@码表分类=主码-用户码表\r\n");
                break;
            case 3:
                ok = WriteTextLine(f, L"---config@码表分类=主码-次显码表\r\n");
                break;
            case 4:
                ok = WriteTextLine(f, L"---config@码表分类=辅码码表\r\n");
                break;
            default:
                ok = WriteTextLine(f, L"---config@码表分类=主码-%d\r\n", s - 15);
                break;
        }
        if (ok && x->aliases) {
            AliasOf(x, s, alias);
            ok = WriteTextLine(f, L"---config@码表别名=%ls\r\n", alias);
        }
    } else if (s == kExportAllClasses && x->permissions && x->aliases) {
        AliasOf(x, 0, alias);
        ok = WriteTextLine(f, L"---config@主码别名=%ls\r\n", alias);
        if (ok && Editable(x, kClassSystem)) {
            AliasOf(x, kClassSystem, alias);
            ok = WriteTextLine(f, L"---config@主码-系统码表别名=%ls\r\n", alias);
        }
        AliasOf(x, kClassUser, alias);
        if (ok && alias[0]) ok = WriteTextLine(f, L"---config@主码-用户码表别名=%ls\r\n", alias);
        AliasOf(x, kClassSecondary, alias);
        if (ok && Editable(x, kClassSecondary) && alias[0])
            ok = WriteTextLine(f, L"---config@主码-次显码表别名=%ls\r\n", alias);
        for (int c = kClassCategoryFirst; ok && c < kExportClasses; ++c) {
            if (!Editable(x, c)) continue;
            AliasOf(x, c, alias);
            ok = WriteTextLine(f, L"---config@主码-分类码表别名%d=%ls\r\n", c - 15, alias);
        }
        if (ok && Editable(x, kClassAuxCode)) {
            AliasOf(x, kClassAuxCode, alias);
            ok = WriteTextLine(f, L"---config@辅码别名=%ls\r\n", alias);
        }
    }
    if (!ok) x->writeFailed = true;
}

// Bounded appends into the line buffer; the buffer is sized so that nothing is ever cut.
struct LineBuilder {
    wchar_t* out;
    int capacity;
    int n = 0;
    void Put(wchar_t c) {
        if (n < capacity - 1) out[n++] = c;
    }
    void Put(const wchar_t* s) {
        while (*s) Put(*s++);
    }
    void PutNumber(const wchar_t* tag, long v) {
        wchar_t num[24];
        std::swprintf(num, 24, L"%ld", v);
        Put(tag);
        Put(num);
    }
    int End() {
        out[n] = 0;
        return n;
    }
};

struct ExportWalk {
    CodeTableExporter* exporter;
    uint32_t kind;
};

void VisitEntry(void* item, void* context) {
    auto* w = static_cast<ExportWalk*>(context);
    CodeTableExporter::WriteEntry(w->exporter, w->kind, static_cast<const uint8_t*>(item));
}

int64_t CompareAddress(const void* a, const void* b) {
    auto x = reinterpret_cast<uintptr_t>(a), y = reinterpret_cast<uintptr_t>(b);
    return x == y ? 0 : (x < y ? -1 : 1);
}

}  // namespace

CodeTableExporter* CodeTableExporter::Create(CodeDecoder decodeCode, TableProgressHook progress,
                                             int32_t selection, const uint32_t* permissions,
                                             const wchar_t (*aliases)[kExportAliasUnits]) {
    auto* x = static_cast<CodeTableExporter*>(std::calloc(1, sizeof(CodeTableExporter)));
    if (!x) return nullptr;
    x->decodeCode = decodeCode ? decodeCode : DecodeTableCode;
    x->progress = progress;
    x->selection = selection;
    x->permissions = permissions;
    x->aliases = aliases;
    return x;
}

void CodeTableExporter::Destroy(CodeTableExporter* exporter) { std::free(exporter); }

int64_t CodeTableExporter::CompareEntries(const void* newEntry, const void* nodeEntry) {
    const auto* a = static_cast<const uint8_t*>(newEntry);
    const auto* b = static_cast<const uint8_t*>(nodeEntry);
    const uint32_t fa = LoadU32(a), fb = LoadU32(b);
    const uint32_t ca = EntryClassOf(fa), cb = EntryClassOf(fb);
    if (ca != cb) return ca < cb ? -1 : 1;
    int r = CompareLengthPrefixed(EntryCode(a), EntryCode(b));
    if (r) return r;
    constexpr uint32_t kRank = kFlagPinned | kOrderMask;
    const uint32_t ra = fa & kRank, rb = fb & kRank;
    if (ra != rb) return ra > rb ? -1 : 1;
    return CompareAddress(a, b);
}

int64_t CodeTableExporter::CompareListEntries(const void* newEntry, const void* nodeEntry) {
    const auto* a = static_cast<const uint8_t*>(newEntry);
    const auto* b = static_cast<const uint8_t*>(nodeEntry);
    int r = CompareLengthPrefixed(a + 4, b + 4);
    if (r) return r;
    return CompareAddress(a, b);
}

int CodeTableExporter::FormatEntryLine(const CodeTableExporter* x, uint32_t kind,
                                       const uint8_t* entry, wchar_t* line, int capacity) {
    if (!line || capacity <= 0) return 0;
    line[0] = 0;
    LineBuilder b{line, capacity};
    wchar_t text[kDecodedTextUnits];
    if (IsListKind(kind)) {
        DecodeTableWord(entry + 4, text, kDecodedTextUnits);
        // A text starting with "//" would read as a comment.
        if (text[0] == L'/' && text[1] == L'/') b.Put(L'/');
        b.Put(text);
        b.Put(L"\r\n");
        return b.End();
    }
    if (!IsCodeKind(kind)) return 0;
    const uint32_t flags = LoadU32(entry);
    const int32_t s = x->selection;

    DecodeTableWord(EntryWord(entry), text, kDecodedTextUnits);
    if (text[0] == L'/' && text[1] == L'/') b.Put(L'/');
    for (const wchar_t* p = text; *p; ++p) {
        switch (*p) {
            case L'\r':
                b.Put(L"\\r");
                if (p[1] == L'\n') ++p;
                break;
            case L'\n':
                b.Put(L"\\r");
                break;
            case L'\t':
                b.Put(L"\\t");
                break;
            case L'\\':
                b.Put(L"\\\\");
                break;
            default:
                b.Put(*p);
                break;
        }
    }
    b.Put(L'\t');
    wchar_t code[kDecodedTextUnits];
    code[0] = 0;
    x->decodeCode(EntryCode(entry), code, kDecodedTextUnits);
    code[kDecodedTextUnits - 1] = 0;
    b.Put(code);

    if (flags & kFlagDeleted) b.Put(L"#删");
    if ((flags & kFlagPinned) && s != kExportPinned) b.Put(L"#固");
    if (s == kExportAllClasses) {
        const uint32_t cls = EntryClassOf(flags);
        if (cls == kClassUser)
            b.Put(L"#用");
        else if (cls == kClassSecondary)
            b.Put(L"#次");
        else if (cls == kClassAuxCode)
            b.Put(L"#辅");
        else if (cls >= kClassCategoryFirst && cls < kExportClasses)
            b.PutNumber(L"#类", cls - 15);
    }
    const uint32_t order = flags & kOrderMask;
    if (order != 0 && s >= 0) b.PutNumber(L"#序", static_cast<long>(order));
    b.Put(L"\r\n");
    return b.End();
}

void CodeTableExporter::WriteEntry(CodeTableExporter* x, uint32_t kind, const uint8_t* entry) {
    wchar_t line[kExportLineUnits];
    int n = FormatEntryLine(x, kind, entry, line, kExportLineUnits);
    if (n > 0 && !WriteTextString(x->out, line)) x->writeFailed = true;
    ++x->index;
    if (x->progress) x->progress(nullptr, x->index, x->selected);
}

int32_t CodeTableExporter::Export(CodeTableExporter* x, const MappedFile* table,
                                  const wchar_t* path) {
    if (!x || !path) return 0;
    TableView v = MakeTableView(table);
    if (!v.valid()) return 0;
    const bool list = IsListKind(v.kind);
    if (!list && !IsCodeKind(v.kind)) return 0;

    // 1-2: the selection, in export order. List entries carry a weight, not a class: they are
    // all taken.
    AvlTree* tree = new (std::nothrow) AvlTree(v.count > 0 ? static_cast<uint32_t>(v.count) : 32,
                                               list ? CompareListEntries : CompareEntries);
    if (!tree) return 0;
    int32_t selected = 0;
    for (int32_t i = 0; i < v.count; ++i) {
        const uint8_t* e = v.EntryAt(i);
        if (!e) continue;  // damaged offset
        if (!list && !IsSelected(x, LoadU32(e))) continue;
        AvlInsertResult r = tree->Insert(const_cast<uint8_t*>(e));
        if (r == AvlInsertResult::kOutOfMemory) {
            delete tree;
            return 0;
        }
        if (r == AvlInsertResult::kInserted) ++selected;
    }
    if (selected == 0) {
        delete tree;
        return 0;
    }

    // 3-6.
    UniqueFile file(_wfopen(path, L"wb"));
    if (!file) {
        delete tree;
        return 0;
    }
    x->out = file.get();
    x->table = table;
    x->selected = selected;
    x->index = 0;
    x->writeFailed = std::fwrite("\xEF\xBB\xBF", 1, 3, x->out) != 3;
    if (!list) WriteHeader(x);
    ExportWalk walk{x, v.kind};
    tree->Walk(VisitEntry, &walk);
    delete tree;
    if (std::fclose(file.release()) != 0) x->writeFailed = true;
    x->out = nullptr;
    x->table = nullptr;
    return x->writeFailed ? 0 : selected;
}
