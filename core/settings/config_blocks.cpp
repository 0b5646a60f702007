#include "core/settings/config_blocks.h"

#include <cstring>

namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Compares a block's name area (bounded by the header) with name, ASCII case ignored.
bool NameMatches(const uint8_t* nameArea, const char* name) {
    for (int i = 0; i <= kConfigBlockNameMax; ++i) {
        const char a = static_cast<char>(nameArea[i]);
        if (AsciiLower(a) != AsciiLower(name[i])) return false;
        if (a == '\0') return true;
    }
    return false;  // no NUL within the header
}

// A single read of a word that other processes may change at any time.
template <typename T>
T ReadShared(const T& field) {
    return *static_cast<const volatile T*>(&field);
}

template <typename T>
T* FindTyped(const MappedFile* file, const char* name) {
    return reinterpret_cast<T*>(FindConfigBlock(file, name, sizeof(T)));
}

}  // namespace

uint32_t ConfigRecordSize(const char* name) {
    if (!name) return sizeof(ConfigBlockHeader);
    static constexpr struct {
        const char* name;
        uint32_t size;
    } kRecords[] = {
        {kImeBlockName, sizeof(ImeConfigData)},
        {kDmeBlockName, sizeof(DmeConfigData)},
        {kSkinBlockName, sizeof(SkinConfigData)},
        {kSoftBlockName, sizeof(SoftConfigData)},
    };
    for (const auto& r : kRecords) {
        bool same = true;
        for (int i = 0; same; ++i) {
            same = AsciiLower(r.name[i]) == AsciiLower(name[i]);
            if (same && r.name[i] == '\0') return r.size;
        }
    }
    return sizeof(ConfigBlockHeader);
}

ConfigBlockHeader* FindConfigBlock(uint8_t* view, int64_t viewSize, const char* name,
                                   uint32_t minSize) {
    if (!view || !name || viewSize < 4) return nullptr;
    const uint32_t recordSize = ConfigRecordSize(name);
    if (minSize < recordSize) minSize = recordSize;
    const uint32_t count = view[0];
    if (count > kMaxConfigBlocks) return nullptr;
    const int64_t tableEnd = 4 + 4 * static_cast<int64_t>(count);
    if (tableEnd > viewSize) return nullptr;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t offset;
        std::memcpy(&offset, view + 4 + 4 * i, 4);
        const int64_t start = offset;
        // A block may not overlap the offset table nor reach past the view.
        if (start < tableEnd) continue;
        if (start + static_cast<int64_t>(sizeof(ConfigBlockHeader)) > viewSize) continue;
        uint8_t* block = view + offset;
        // Blocks are read through their structs, which need 4-byte alignment.
        if (reinterpret_cast<uintptr_t>(block) % kConfigBlockAlign != 0) continue;
        uint32_t size;
        std::memcpy(&size, block, 4);
        if (size < minSize || start + size > viewSize) continue;
        if (!NameMatches(block + offsetof(ConfigBlockHeader, name), name)) continue;
        return reinterpret_cast<ConfigBlockHeader*>(block);
    }
    return nullptr;
}

ConfigBlockHeader* FindConfigBlock(const MappedFile* file, const char* name, uint32_t minSize) {
    if (!file || !file->view) return nullptr;
    return FindConfigBlock(file->view, file->size, name, minSize);
}

ImeConfigData* FindImeConfig(const MappedFile* file) {
    return FindTyped<ImeConfigData>(file, kImeBlockName);
}
DmeConfigData* FindDmeConfig(const MappedFile* file) {
    return FindTyped<DmeConfigData>(file, kDmeBlockName);
}
SkinConfigData* FindSkinConfig(const MappedFile* file) {
    return FindTyped<SkinConfigData>(file, kSkinBlockName);
}
SoftConfigData* FindSoftConfig(const MappedFile* file) {
    return FindTyped<SoftConfigData>(file, kSoftBlockName);
}

void WriteConfigBlockHeader(ConfigBlockHeader* header, uint32_t size, uint8_t id,
                            const char* name) {
    header->size = size;
    header->id = id;
    std::memset(header->name, 0, sizeof header->name);
    if (name) std::memcpy(header->name, name, strnlen(name, kConfigBlockNameMax));
}

int InitConfigImage(uint8_t* view, int64_t viewSize) {
    if (!view || viewSize < static_cast<int64_t>(kConfigFileSize)) return 0;
    struct Layout {
        uint32_t offset;
        uint32_t size;
        uint8_t id;
        const char* name;
    };
    static constexpr Layout kBlocks[] = {
        {kImeBlockOffset, sizeof(ImeConfigData), kImeBlockId, kImeBlockName},
        {kDmeBlockOffset, sizeof(DmeConfigData), kDmeBlockId, kDmeBlockName},
        {kSkinBlockOffset, sizeof(SkinConfigData), kSkinBlockId, kSkinBlockName},
        {kSoftBlockOffset, sizeof(SoftConfigData), kSoftBlockId, kSoftBlockName},
    };
    std::memset(view, 0, kConfigFileSize);
    ConfigDataFile table{};
    table.count = static_cast<uint8_t>(sizeof kBlocks / sizeof kBlocks[0]);
    for (size_t i = 0; i < sizeof kBlocks / sizeof kBlocks[0]; ++i) {
        table.offsets[i] = kBlocks[i].offset;
        ConfigBlockHeader header;
        WriteConfigBlockHeader(&header, kBlocks[i].size, kBlocks[i].id, kBlocks[i].name);
        std::memcpy(view + kBlocks[i].offset, &header, sizeof header);
    }
    std::memcpy(view, &table, sizeof table);
    return 1;
}

int CreateConfigFile(const wchar_t* path) {
    MappedFile* raw = nullptr;
    if (MappedFile::Create(&raw, path, kConfigFileSize) <= 0) return 0;
    MappedFilePtr file(raw);
    if (!InitConfigImage(file->view, file->size)) return 0;
    return MappedFile::Flush(file.get()) ? 1 : 0;
}

uint32_t RecentCount(const ImeConfigData* ime) {
    // A count past the ring is damage: no record of it can be trusted.
    const uint32_t n = ReadShared(ime->recentCount);
    return n > kRecentOutputSlots ? 0 : n;
}

uint32_t LastOutputCount(const ImeConfigData* ime) {
    const uint32_t n = ReadShared(ime->lastOutputCount);
    return n > kLastOutputMax ? kLastOutputMax : n;
}

uint32_t ComboCount(const DmeConfigData* dme) {
    const uint32_t n = ReadShared(dme->comboCount);
    return n > kMaxCombos ? kMaxCombos : n;
}

int32_t PrefixCount(const SkinConfigData* skin) {
    const int32_t n = ReadShared(skin->prefixCount);
    if (n < 0) return 0;
    return n > kSkinPrefixSlots ? kSkinPrefixSlots : n;
}

uint32_t CandidatesPerPage(uint32_t listOptions) {
    const uint32_t n = (listOptions & kListPageMask) >> kListPageShift;
    return (n >= 1 && n <= kMaxPageSize) ? n : kDefaultPageSize;
}

uint32_t LanguageIdOf(const SoftConfigData* soft) {
    const uint32_t id = ReadShared(soft->languageId);
    return id ? id : kDefaultLanguageId;
}

int FieldTextLength(const wchar_t* field, int fieldUnits) {
    if (!field || fieldUnits <= 0) return 0;
    int n = 0;
    while (n < fieldUnits && field[n] != L'\0') ++n;
    return n;
}

int ReadFieldText(const wchar_t* field, int fieldUnits, wchar_t* out, int capacity) {
    if (!out || capacity <= 0) return 0;
    int n = FieldTextLength(field, fieldUnits);
    if (n > capacity - 1) n = capacity - 1;
    if (n > 0) std::memcpy(out, field, n * sizeof(wchar_t));
    out[n] = L'\0';
    return n;
}

int WriteFieldText(wchar_t* field, int fieldUnits, const wchar_t* text) {
    if (!field || fieldUnits <= 0) return 0;
    int n = text ? FieldTextLength(text, fieldUnits - 1) : 0;
    if (n > 0) std::memcpy(field, text, n * sizeof(wchar_t));
    std::memset(field + n, 0, (fieldUnits - n) * sizeof(wchar_t));
    return n;
}

int SymbolText(const SymbolRecord* r, wchar_t* out, int capacity) {
    return ReadFieldText(r->slots, kSymbolTextUnits, out, capacity);
}

int SymbolPairText(const SymbolRecord* r, int which, wchar_t* out, int capacity) {
    if (which != 0 && which != 1) {
        if (out && capacity > 0) out[0] = L'\0';
        return 0;
    }
    const int first = which == 0 ? kSymbolPairFirst : kSymbolPairSecond;
    return ReadFieldText(r->slots + first, kSymbolPairUnits, out, capacity);
}
