#include "core/tabletools/table_builder.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>
#include <string>

#include "core/base/avl_tree.h"
#include "core/table/table_digest.h"
#include "core/table/table_edit.h"
#include "core/table/table_format.h"
#include "core/tabletools/table_text.h"

namespace {

constexpr size_t kRecordBytes = sizeof(BuilderRecord);

BuilderRecord* Records(CodeTableBuilder* b) {
    return b->recordFile ? reinterpret_cast<BuilderRecord*>(b->recordFile->view) : nullptr;
}

void CloseRecordFile(CodeTableBuilder* b) {
    if (b->recordFile) {
        MappedFile::Close(b->recordFile);
        b->recordFile = nullptr;
        DeleteFileW(b->recordPath);
    }
    b->recordCapacity = 0;
}

void Report(CodeTableBuilder* b, const wchar_t* text, int32_t index, int32_t total) {
    if (b->progress) b->progress(b->progressContext, text, index, total);
}

// Class of a "码表分类=主码-n" or "#类n" number: n + 15 with n clamped to 1..16.
uint32_t CategoryClass(int32_t n) {
    if (n < 1) n = 1;
    if (n > 16) n = 16;
    return static_cast<uint32_t>(n) + 15;
}

void ApplyDirectives(CodeTableBuilder* b, const wchar_t* text, size_t length) {
    int32_t initial = 0;
    size_t pos = 0;
    TableDirective d;
    while (NextTableDirective(text, length, &pos, &d)) {
        if (!d.value) continue;
        const wchar_t* v = d.value;
        size_t n = d.valueLength;
        size_t rest = 0;
        if (TextEquals(d.key, d.keyLength, L"码表分类")) {
            if (TextEquals(v, n, L"主码-系统码表")) {
                b->defaultClass = kClassSystem;
            } else if (TextEquals(v, n, L"主码-用户码表")) {
                b->defaultClass = kClassUser;
            } else if (TextEquals(v, n, L"主码-次显码表")) {
                b->defaultClass = kClassSecondary;
            } else if (TextEquals(v, n, L"辅码码表")) {
                b->defaultClass = kClassAuxCode;
            } else if (TextStartsWith(v, n, L"主码-", &rest)) {
                b->defaultClass = CategoryClass(ParseTableDecimal(v + rest, n - rest));
            }
        } else if (TextEquals(d.key, d.keyLength, L"全局排序数值")) {
            int32_t order = ParseTableDecimal(v, n);
            b->globalOrder = order == 0 ? 0 : ClampOrderValue(order);
        } else if (TextEquals(d.key, d.keyLength, L"初始化排序数值")) {
            int32_t order = ParseTableDecimal(v, n);
            initial = order == 0 ? 0 : ClampOrderValue(order);
        }
    }
    if (initial != 0) {
        b->initialOrder = initial;
        for (int32_t& c : b->orderCounters) c = initial;
    }
}

// The order of a line whose code starts with first; advances that character's counter.
uint32_t NextOrder(CodeTableBuilder* b, wchar_t first, uint32_t explicitOrder) {
    int32_t& g = b->orderCounters[static_cast<uint16_t>(first) & 0xFF];
    if (g > kBuilderOrderFloor) --g;
    if (explicitOrder != 0) return explicitOrder;
    if (b->globalOrder != 0) {
        if (g < kBuilderOrderStart) ++g;
        return static_cast<uint32_t>(b->globalOrder);
    }
    return static_cast<uint32_t>(g);
}

// Parses one data line in place; true when it gave a record.
bool ParseDataLine(CodeTableBuilder* b, wchar_t* line, size_t length, BuilderRecord* out) {
    size_t tab = 0;
    while (tab < length && line[tab] != L'\t') ++tab;
    if (tab >= length || tab + 1 >= length) return false;

    wchar_t* code = line + tab + 1;
    TableTags tags;
    size_t codeLength =
        ParseTableTags(code, length - tab - 1, kBuilderTagOrder, kTableTagCount, true, &tags);
    if (tags.has(TableTag::kDelete)) return false;

    uint32_t cls = b->defaultClass;
    uint32_t explicitOrder = 0;
    if (tags.has(TableTag::kOrder)) explicitOrder = static_cast<uint16_t>(tags.order);
    if (tags.has(TableTag::kCategory)) cls = CategoryClass(tags.category);
    if (tags.has(TableTag::kUser)) cls = kClassUser;
    if (tags.has(TableTag::kSecondary)) cls = kClassSecondary;
    if (tags.has(TableTag::kAux)) cls = kClassAuxCode;

    size_t wordLength = UnescapeTableWord(line, tab, true);

    uint32_t order = NextOrder(b, codeLength ? code[0] : L'\0', explicitOrder);
    uint32_t flags = ComposeFlags(order, cls, tags.has(TableTag::kPinned));
    if (b->recordCount < kBuilderFirstLinesLimit) flags |= kFlagFirstLines;

    out->code = reinterpret_cast<uintptr_t>(code);
    out->word = reinterpret_cast<uintptr_t>(line);
    out->flags = flags;
    out->codeLength = static_cast<uint32_t>(codeLength);
    out->wordLength = static_cast<uint32_t>(wordLength);
    out->entryOffset = 0;
    return true;
}

void ParseText(CodeTableBuilder* b, wchar_t* text, size_t length) {
    size_t pos = 0;
    TextLine line;
    while (NextTextLine(text, length, &pos, &line)) {
        size_t from = 0;
        if (ClassifyTableLine(text + line.start, line.length, &from) != TableLineKind::kData) {
            continue;
        }
        BuilderRecord r;
        if (!ParseDataLine(b, text + line.start + from, line.length - from, &r)) continue;
        if (b->recordCount >= b->recordCapacity) return;  // sized for every line end
        Records(b)[b->recordCount++] = r;
    }
}

int CompareUnits(const wchar_t* a, uint32_t la, const wchar_t* b, uint32_t lb) {
    uint32_t n = la < lb ? la : lb;
    for (uint32_t i = 0; i < n; ++i) {
        auto x = static_cast<uint16_t>(a[i]);
        auto y = static_cast<uint16_t>(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return la == lb ? 0 : (la < lb ? -1 : 1);
}

// Without an encoder, codes carry the keypad characters as single bytes.
int EncodeField(BuilderTextEncoder encoder, bool mapKeypad, const wchar_t* text, uint32_t units,
                uint8_t* out, int capacity) {
    if (encoder) return encoder(text, static_cast<int>(units), out, capacity);
    return EncodeTableText(text, units, mapKeypad, out, capacity);
}

void ReportMalformed(CodeTableBuilder* b, const BuilderRecord& r, int32_t index) {
    if (!b->progress) return;
    std::wstring message;
    try {
        message.assign(L"格式错误的词条定义: ");
        message.append(r.wordText(), r.wordLength);
        message.push_back(L' ');
        message.append(r.codeText(), r.codeLength);
    } catch (...) {
        message.clear();
    }
    Report(b, message.empty() ? L"格式错误的词条定义" : message.c_str(), index, b->recordCount);
}

// The limits never pass what a length byte holds.
int FieldLimit(int32_t limit) {
    return limit < 1 || limit > kBuilderMaxFieldBytes ? kBuilderMaxFieldBytes : limit;
}

// Measures every live record; the ones outside the limits are reported and dropped.
void MeasureRecords(CodeTableBuilder* b) {
    BuilderRecord* records = Records(b);
    b->totalBytes = 0;
    b->codeLimit = FieldLimit(b->codeLimit);
    b->wordLimit = FieldLimit(b->wordLimit);
    for (int32_t i = 0; records && i < b->recordCount; ++i) {
        BuilderRecord& r = records[i];
        if (r.flags == 0) continue;
        int codeBytes = EncodeField(b->codeEncoder, true, r.codeText(), r.codeLength, nullptr, 0);
        int wordBytes = EncodeField(b->wordEncoder, false, r.wordText(), r.wordLength, nullptr, 0);
        if (codeBytes >= 1 && codeBytes <= b->codeLimit && wordBytes >= 1 &&
            wordBytes <= b->wordLimit) {
            b->totalBytes += 6 + codeBytes + wordBytes;
            Report(b, nullptr, i, b->recordCount);
        } else {
            ReportMalformed(b, r, i);
            r.flags = 0;
        }
    }
}

void ReportSummary(CodeTableBuilder* b) {
    wchar_t text[256];
    swprintf(text, 256,
             L"　　码表信息: \r\n　　  码表大小: %d字节\r\n　　  原始码表行数: %d\r\n　　  "
             L"有效编码行数: %d",
             static_cast<int>(b->totalBytes), static_cast<int>(b->rawLineCount),
             static_cast<int>(b->uniqueCount));
    Report(b, text, 0, 0);
}

void WriteHeader(CodeTableBuilder* b, uint8_t* view) {
    auto* h = reinterpret_cast<TableFileHeader*>(view);
    std::memset(view, 0, FreshHeapStart(0));
    h->heapStart = FreshHeapStart(static_cast<uint32_t>(b->uniqueCount));
    h->count = 0;
    h->kind = kTableKindMain;
    h->version = kTableVersion;
    std::memcpy(h->nameTag, "SYSMB", 5);
    h->yesNo[0] = 'Y';
    h->yesNo[1] = 'N';
    h->modeLetters[0] = b->mode == 1 ? 'M' : 'S';
    h->modeLetters[1] = b->mode == 1 ? 'A' : 'N';
    std::memcpy(h->builderId, b->builderId, sizeof h->builderId);
    if (b->signature[0]) MakeTableDigest(b->signature, h->digest);
    h->builderMark = 100;
}

struct OffsetWriter {
    uint8_t* view;
    uint32_t next;   // next slot
    uint32_t slots;  // slots the file holds
};

void WriteOffset(void* item, void* context) {
    auto* r = static_cast<BuilderRecord*>(item);
    auto* w = static_cast<OffsetWriter*>(context);
    if (r->flags == 0 || r->entryOffset == 0 || w->next >= w->slots) return;
    StoreU32(w->view + kOffsetArrayStart + 4u * w->next, r->entryOffset);
    ++w->next;
}

// Entries in record order behind the offset array; offsets in the tree's order.
bool WriteEntries(CodeTableBuilder* b, MappedFile* out) {
    uint8_t* view = out->view;
    const uint64_t size = static_cast<uint64_t>(out->size);
    BuilderRecord* records = Records(b);
    uint64_t pos = FreshHeapStart(static_cast<uint32_t>(b->uniqueCount));
    int32_t written = 0;
    for (int32_t i = 0; records && i < b->recordCount; ++i) {
        BuilderRecord& r = records[i];
        if (r.flags == 0) continue;
        r.entryOffset = 0;
        if (written >= b->uniqueCount || pos + 6 > size) return false;
        // Room left for code and word bytes; every write is bounded by it.
        const uint64_t room = size - pos - 6;
        const int codeCap = static_cast<int>(room < uint64_t(b->codeLimit) ? room : b->codeLimit);
        uint8_t* e = view + pos;
        int codeBytes =
            EncodeField(b->codeEncoder, true, r.codeText(), r.codeLength, e + 5, codeCap);
        if (codeBytes < 1 || codeBytes > codeCap) return false;
        const uint64_t left = room - codeBytes;
        const int wordCap = static_cast<int>(left < uint64_t(b->wordLimit) ? left : b->wordLimit);
        int wordBytes = EncodeField(b->wordEncoder, false, r.wordText(), r.wordLength,
                                    e + 6 + codeBytes, wordCap);
        if (wordBytes < 1 || wordBytes > wordCap) return false;
        StoreU32(e, r.flags);
        e[4] = static_cast<uint8_t>(codeBytes);
        e[5 + codeBytes] = static_cast<uint8_t>(wordBytes);
        r.entryOffset = static_cast<uint32_t>(pos);
        pos += 6u + codeBytes + wordBytes;
        ++written;
    }
    OffsetWriter w{view, 0, static_cast<uint32_t>(b->uniqueCount)};
    if (b->tree) b->tree->Walk(WriteOffset, &w);
    if (w.next != static_cast<uint32_t>(written)) return false;
    auto* h = reinterpret_cast<TableFileHeader*>(view);
    h->count = written;
    b->writtenCount = written;
    return true;
}

// Opens the written table and runs one maintenance step on its mapping.
bool OnMappedTable(const wchar_t* path, CodeComparator cmp, bool sort) {
    MappedFile* t = nullptr;
    if (MappedFile::Open(&t, path) <= 0 || !t) return false;
    MappedFilePtr table(t);
    if (!table->IsMapped()) return false;
    int done =
        sort ? CodeTable::Sort(table.get(), cmp) : CodeTable::RebuildPrefixIndex(table.get(), cmp);
    // The file is the builder's own, not yet read by anyone: a fresh table counts no edits.
    if (table->size >= static_cast<int32_t>(sizeof(TableFileHeader))) {
        auto* header = reinterpret_cast<TableFileHeader*>(table->view);
        header->changeCount = 0;
        header->layoutCount = 0;
    }
    return done == 1;
}

}  // namespace

CodeTableBuilder* CodeTableBuilder::Create() {
    auto* b = static_cast<CodeTableBuilder*>(std::calloc(1, sizeof(CodeTableBuilder)));
    if (!b) return nullptr;
    b->codeLimit = kBuilderMaxFieldBytes;
    b->wordLimit = kBuilderMaxFieldBytes;
    b->defaultClass = kClassSystem;
    for (int32_t& c : b->orderCounters) c = kBuilderOrderStart;
    return b;
}

int CodeTableBuilder::AddText(CodeTableBuilder* b, wchar_t* text) {
    if (!b || !text) {
        std::free(text);
        return 0;
    }
    if (b->textCount == b->textCapacity) {
        int32_t want = b->textCapacity ? b->textCapacity * 2 : 4;
        auto* texts = static_cast<wchar_t**>(std::realloc(b->texts, want * sizeof(wchar_t*)));
        if (texts) b->texts = texts;
        auto* lengths = static_cast<size_t*>(std::realloc(b->textLengths, want * sizeof(size_t)));
        if (lengths) b->textLengths = lengths;
        if (!texts || !lengths) {
            std::free(text);
            b->error = kBuilderOutOfMemory;
            return 0;
        }
        b->textCapacity = want;
    }
    size_t length = wcslen(text);
    b->texts[b->textCount] = text;
    b->textLengths[b->textCount] = length;
    ++b->textCount;
    b->rawLineCount += static_cast<int64_t>(CountTextLines(text, length));
    return 1;
}

int64_t CodeTableBuilder::CompareRecords(const void* newItem, const void* nodeItem) {
    const auto* a = static_cast<const BuilderRecord*>(newItem);
    const auto* b = static_cast<const BuilderRecord*>(nodeItem);
    int r = CompareUnits(a->codeText(), a->codeLength, b->codeText(), b->codeLength);
    if (r) return r;
    return CompareUnits(a->wordText(), a->wordLength, b->wordText(), b->wordLength);
}

int32_t CodeTableBuilder::ParseLines(CodeTableBuilder* b) {
    if (!b || b->parsed) return 0;
    b->parsed = true;
    if (b->error != kBuilderOk) return 0;

    int64_t lines = 0;
    for (int32_t t = 0; t < b->textCount; ++t) {
        lines += static_cast<int64_t>(CountLineEnds(b->texts[t], b->textLengths[t]));
    }
    if (lines < 1) lines = 1;
    if (lines > INT32_MAX || MakeTempFilePath(kBuilderRecordFileName, b->recordPath) == 0 ||
        MappedFile::Create(&b->recordFile, b->recordPath, lines * kRecordBytes) <= 0) {
        b->recordFile = nullptr;
        b->error = kBuilderNoRecordFile;
        return 0;
    }
    b->recordCapacity = static_cast<int32_t>(lines);
    for (int32_t& c : b->orderCounters) c = kBuilderOrderStart;

    for (int32_t t = 0; t < b->textCount; ++t) {
        ApplyDirectives(b, b->texts[t], b->textLengths[t]);
        ParseText(b, b->texts[t], b->textLengths[t]);
    }
    if (b->recordCount == 0) {
        CloseRecordFile(b);
        return 0;
    }

    b->tree = new (std::nothrow) AvlTree(static_cast<uint32_t>(b->recordCount), CompareRecords);
    if (!b->tree) {
        b->error = kBuilderOutOfMemory;
        CloseRecordFile(b);
        return 0;
    }
    BuilderRecord* records = Records(b);
    for (int32_t i = 0; i < b->recordCount; ++i) {
        switch (b->tree->Insert(&records[i])) {
            case AvlInsertResult::kInserted:
                ++b->uniqueCount;
                break;
            case AvlInsertResult::kRefused:
                records[i].flags = 0;  // a duplicate line
                break;
            case AvlInsertResult::kOutOfMemory:
                b->error = kBuilderOutOfMemory;
                delete b->tree;
                b->tree = nullptr;
                b->uniqueCount = 0;
                b->recordCount = 0;
                CloseRecordFile(b);
                return 0;
        }
    }
    return b->recordCount;
}

int CodeTableBuilder::WriteTable(CodeTableBuilder* b) {
    if (!b) return 0;
    if (b->error != kBuilderOk) return 0;  // a failed parse writes no table
    MeasureRecords(b);
    ReportSummary(b);

    int64_t size = b->totalBytes + 4 * static_cast<int64_t>(b->uniqueCount) + FreshHeapStart(0);
    MappedFile* out = nullptr;
    if (b->outputPath[0] == 0 || size > kMaxMappedSize ||
        MappedFile::Create(&out, b->outputPath, size) <= 0 || !out) {
        b->error = kBuilderNoOutputFile;
        CloseRecordFile(b);
        return 0;
    }
    WriteHeader(b, out->view);
    bool ok = WriteEntries(b, out);
    MappedFile::Close(out);
    CloseRecordFile(b);
    delete b->tree;
    b->tree = nullptr;
    if (!ok) {
        DeleteFileW(b->outputPath);
        b->error = kBuilderNoOutputFile;
        return 0;
    }
    if (!OnMappedTable(b->outputPath, b->sortComparator, true) ||
        !OnMappedTable(b->outputPath, b->indexComparator, false)) {
        DeleteFileW(b->outputPath);
        b->error = kBuilderNotMapped;
        return 0;
    }
    return 1;
}

void CodeTableBuilder::Destroy(CodeTableBuilder* b) {
    if (!b) return;
    CloseRecordFile(b);
    delete b->tree;
    for (int32_t t = 0; t < b->textCount; ++t) std::free(b->texts[t]);
    std::free(b->texts);
    std::free(b->textLengths);
    std::free(b);
}
