#include "core/tabletools/list_table_builder.h"

#include <windows.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>

#include "core/base/avl_tree.h"
#include "core/base/mapped_file.h"
#include "core/base/text_file.h"
#include "core/table/list_table.h"
#include "core/table/table_format.h"

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using HeapPtr = std::unique_ptr<T, FreeDeleter>;

// One accepted text in list order; its bytes sit in the pool at poolOffset.
struct ListText {
    uint32_t poolOffset;
    uint32_t weight;
    uint8_t bytes;
};

// The accepted texts: records in list order and their stored UTF-8 bytes, so that the
// file is sized from exactly the bytes it receives.
class ListTexts {
public:
    ~ListTexts() {
        std::free(records_);
        std::free(pool_);
    }
    // Room for one more text of up to 250 bytes at the pool's end; null when out of memory.
    uint8_t* PoolTail() {
        if (poolUsed_ + kListTextMaxBytes > poolCapacity_) {
            size_t want = poolCapacity_ ? poolCapacity_ * 2 : 64 * 1024;
            void* grown = std::realloc(pool_, want);
            if (!grown) return nullptr;
            pool_ = static_cast<uint8_t*>(grown);
            poolCapacity_ = want;
        }
        return pool_ + poolUsed_;
    }
    // Takes the bytes just written at PoolTail.
    bool Add(int bytes, uint32_t weight) {
        if (count_ == capacity_) {
            size_t want = capacity_ ? capacity_ * 2 : 1024;
            void* grown = std::realloc(records_, want * sizeof(ListText));
            if (!grown) return false;
            records_ = static_cast<ListText*>(grown);
            capacity_ = want;
        }
        records_[count_++] = {static_cast<uint32_t>(poolUsed_), weight,
                              static_cast<uint8_t>(bytes)};
        poolUsed_ += static_cast<size_t>(bytes);
        return true;
    }
    size_t count() const { return count_; }
    size_t poolBytes() const { return poolUsed_; }
    const ListText& at(size_t i) const { return records_[i]; }
    const uint8_t* bytesOf(const ListText& t) const { return pool_ + t.poolOffset; }

private:
    ListText* records_ = nullptr;
    size_t count_ = 0;
    size_t capacity_ = 0;
    uint8_t* pool_ = nullptr;
    size_t poolUsed_ = 0;
    size_t poolCapacity_ = 0;
};

inline bool IsLineEnd(wchar_t c) { return c == L'\r' || c == L'\n' || c == 0; }

// Splits the list in place and collects its distinct texts. 1 on success, 0 when out of
// memory.
int CollectTexts(wchar_t* text, size_t length, ListTexts* texts, ListProgressHook progress,
                 bool* firstHasHash) {
    HeapPtr<uint16_t> counters(static_cast<uint16_t*>(std::malloc(65536 * sizeof(uint16_t))));
    if (!counters) return 0;
    for (size_t i = 0; i < 65536; ++i) counters.get()[i] = kListFirstWeight;
    AvlTree tree(65535);
    int lastPercent = -1;
    size_t pos = 0;
    while (pos < length) {
        if (IsLineEnd(text[pos])) {
            ++pos;
            continue;
        }
        const size_t start = pos;
        while (pos < length && !IsLineEnd(text[pos])) ++pos;
        if (progress) {
            int percent = static_cast<int>(static_cast<unsigned long long>(pos) * 100 / length);
            if (percent != lastPercent) {
                lastPercent = percent;
                progress(nullptr, percent, 100);
            }
        }
        wchar_t* line = text + start;
        size_t units = pos - start;
        if (units >= 2 && line[0] == L'/' && line[1] == L'/') {
            if (units < 3 || line[2] != L'/') continue;  // comment
            ++line;
            --units;
        }
        int limit = units > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(units);
        uint8_t* tail = texts->PoolTail();
        if (!tail) return 0;
        int taken = 0;
        int bytes = CutListText(line, limit, tail, &taken);
        if (bytes <= 0) continue;  // a broken surrogate anywhere in the line
        const bool hasHash = std::wmemchr(line, L'#', units) != nullptr;
        // The tree compares the stored text: texts equal after the cut are one entry.
        line[taken] = 0;
        AvlInsertResult r = tree.Insert(line);
        if (r == AvlInsertResult::kRefused) continue;
        if (r == AvlInsertResult::kOutOfMemory) return 0;
        uint16_t& counter = counters.get()[static_cast<uint16_t>(line[0])];
        uint32_t weight = counter;
        if (counter > 1) --counter;
        if (!texts->Add(bytes, weight)) return 0;
        if (texts->count() == 1 && firstHasHash) *firstHasHash = hasHash;
    }
    if (progress && length > 0 && lastPercent != 100) progress(nullptr, 100, 100);
    return 1;
}

// Writes header, offsets and entries in list order into a created file of exactly the
// computed size.
void WriteTable(MappedFile* out, const ListTexts& texts, ListProgressHook progress) {
    uint8_t* view = out->view;
    const auto count = static_cast<uint32_t>(texts.count());
    const uint32_t heapStart = FreshHeapStart(count);
    auto* h = reinterpret_cast<TableFileHeader*>(view);
    StoreU32(&h->heapStart, heapStart);
    StoreU32(&h->count, count);
    StoreU32(&h->kind, kTableKindList);
    uint16_t version = kTableVersion;
    std::memcpy(&h->version, &version, sizeof version);
    std::memcpy(h->nameTag, "lxmb", 4);
    h->yesNo[0] = 'Y';
    h->yesNo[1] = 'N';
    uint32_t at = heapStart;
    for (uint32_t i = 0; i < count; ++i) {
        const ListText& t = texts.at(i);
        StoreU32(view + kOffsetArrayStart + 4u * i, at);
        StoreU32(view + at, t.weight);
        view[at + 4] = t.bytes;
        std::memcpy(view + at + 5, texts.bytesOf(t), t.bytes);
        at += 5u + t.bytes;
        if (progress) progress(nullptr, static_cast<int32_t>(i + 1), static_cast<int32_t>(count));
    }
}

}  // namespace

int BuildWordTableFile(const wchar_t* textPath, const wchar_t* outPath, ListProgressHook progress,
                       bool* firstHasHash) {
    if (firstHasHash) *firstHasHash = false;
    if (!textPath || !outPath) return 0;
    wchar_t* raw = nullptr;
    size_t length = 0;
    if (ReadTextFile(textPath, &raw, &length) != 0 || !raw) return 0;
    HeapPtr<wchar_t> text(raw);

    ListTexts texts;
    if (!CollectTexts(text.get(), length, &texts, progress, firstHasHash)) return 0;
    if (texts.count() == 0) return 0;

    const int64_t size =
        static_cast<int64_t>(FreshHeapStart(0)) + 4 * static_cast<int64_t>(texts.count()) +
        5 * static_cast<int64_t>(texts.count()) + static_cast<int64_t>(texts.poolBytes());
    if (texts.count() > 0x7FFFFFFF || size > kMaxMappedSize) return 0;
    MappedFile* created = nullptr;
    if (MappedFile::Create(&created, outPath, size) <= 0 || !created) return 0;
    MappedFilePtr out(created);
    WriteTable(out.get(), texts, progress);
    if (!ListTableSort(out.get())) {
        out.reset();
        DeleteFileW(outPath);
        return 0;
    }
    // A fresh table counts no edits (the sort raised them).
    auto* header = reinterpret_cast<TableFileHeader*>(out->view);
    header->changeCount = 0;
    header->layoutCount = 0;
    return 1;
}

namespace {

// Copies the built table over the start of the target, growing a shorter target.
int CopyOverTarget(const wchar_t* targetPath, const wchar_t* builtPath) {
    MappedFile* opened = nullptr;
    if (MappedFile::Open(&opened, targetPath) <= 0 || !opened) return 0;
    MappedFilePtr target(opened);
    // A private copy would take the new table and lose it at close.
    if (!target->IsMapped()) return 0;
    opened = nullptr;
    if (MappedFile::Open(&opened, builtPath) <= 0 || !opened) return 0;
    MappedFilePtr built(opened);
    const int32_t newSize = built->IsMemoryCopy() ? built->size - 2 : built->size;
    if (newSize < static_cast<int32_t>(FreshHeapStart(0))) return 0;
    if (target->size < newSize) {
        // A failed growth leaves the target closed: nothing more is done with it.
        if (MappedFile::Resize(target.get(), newSize) <= 0 || !target->IsMapped()) return 0;
    }
    uint8_t* dst = target->view;
    const uint8_t* src = built->view;
    // The target's edit counts go on from where they were: readers that keep results by them
    // must see the new body as a change.
    const uint32_t changes = TableChangeCount(target.get());
    const uint32_t layouts = TableLayoutCount(target.get());
    // Readers in other processes see an empty table while the body changes.
    StoreU32(dst + 4, 0);
    std::memcpy(dst + 8, src + 8, static_cast<size_t>(newSize) - 8);
    StoreU32(dst + offsetof(TableFileHeader, changeCount), changes);
    StoreU32(dst + offsetof(TableFileHeader, layoutCount), layouts);
    std::memcpy(dst, src, 4);
    std::memcpy(dst + 4, src + 4, 4);
    NoteTableChange(target.get());
    return MappedFile::Flush(target.get()) ? 1 : 0;
}

}  // namespace

int RebuildListTableFromText(const wchar_t* targetPath, const wchar_t* textPath, bool* firstHasHash,
                             ListProgressHook progress) {
    if (firstHasHash) *firstHasHash = false;
    if (!targetPath || !textPath) return 0;
    wchar_t work[kPathChars];
    int n = MakeTempFilePath(kListWorkFileName, work);
    if (n <= 0 || n >= kPathChars - 1) return 0;
    if (!BuildWordTableFile(textPath, work, progress, firstHasHash)) {
        DeleteFileW(work);
        return 0;
    }
    int result = CopyOverTarget(targetPath, work);
    // No copy of the table stays behind in %TEMP%.
    DeleteFileW(work);
    return result;
}
