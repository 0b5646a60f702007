#include "installer/package/payload_defaults.h"

#include <objbase.h>

#include <cstring>
#include <cwchar>

#include "installer/package/read_only_view.h"

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(const uint8_t* area, const char* name) {
    for (int i = 0; i <= kConfigBlockNameMax; ++i) {
        if (Lower(static_cast<char>(area[i])) != Lower(name[i])) return false;
        if (!name[i]) return true;
    }
    return false;
}

enum class Find { kFound, kMissing, kDamaged };

// The first block of that name; damaged when its size is below the record's or reaches past
// the view, or its offset is not 4-aligned.
Find FindBlock(const uint8_t* view, uint64_t size, const char* name, uint32_t recordSize,
               const uint8_t** block) {
    const uint32_t count = view[0];
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t offset;
        std::memcpy(&offset, view + 4 + 4 * i, 4);
        const uint8_t* b = view + offset;
        if (!SameName(b + offsetof(ConfigBlockHeader, name), name)) continue;
        uint32_t blockSize;
        std::memcpy(&blockSize, b, 4);
        if (offset % kConfigBlockAlign || blockSize < recordSize ||
            offset + uint64_t{blockSize} > size)
            return Find::kDamaged;
        *block = b;
        return Find::kFound;
    }
    return Find::kMissing;
}

}  // namespace

PayloadDefaults ReadPayloadDefaults(const uint8_t* view, uint64_t size, InstallerState* state) {
    if (!view || size < sizeof(ConfigDataFile)) return PayloadDefaults::kDamaged;
    const uint32_t count = view[0];
    if (count > kMaxConfigBlocks) return PayloadDefaults::kDamaged;
    // Every block's header lies behind the offset table and inside the file.
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t offset;
        std::memcpy(&offset, view + 4 + 4 * i, 4);
        if (offset < 4 + 4 * count || offset + uint64_t{sizeof(ConfigBlockHeader)} > size)
            return PayloadDefaults::kDamaged;
    }
    const uint8_t* soft = nullptr;
    const uint8_t* ime = nullptr;
    Find s = FindBlock(view, size, kSoftBlockName, sizeof(SoftConfigData), &soft);
    Find m = FindBlock(view, size, kImeBlockName, sizeof(ImeConfigData), &ime);
    if (s == Find::kDamaged || m == Find::kDamaged) return PayloadDefaults::kDamaged;
    if (s == Find::kMissing) return PayloadDefaults::kNoProduct;
    SoftConfigData product;
    std::memcpy(&product, soft, sizeof product);
    GUID guid;
    std::memcpy(&guid, product.guid, sizeof guid);
    if (guid == GUID{}) return PayloadDefaults::kNoProduct;
    product.installFlags &= ~kPayloadTsfFlags;
    if (ime) {
        std::memcpy(&state->ime, ime, sizeof state->ime);
        if (state->ime.features & kFeatHasTsf) product.installFlags |= kPayloadHasTsf;
    }
    state->soft = product;
    state->guid = guid;
    StringFromGUID2(guid, state->guidText, kGuidTextUnits);
    return PayloadDefaults::kLoaded;
}

PayloadDefaults LoadPayloadDefaults(InstallerState* state) {
    wchar_t path[kPathChars];
    int n = _snwprintf(path, kPathChars, L"%ls\\$dataFiles$\\config.dsc", state->unpackDir);
    if (n < 0 || n >= kPathChars) return PayloadDefaults::kNoSettingsFile;
    ReadOnlyView file;
    if (!file.Open(path)) return PayloadDefaults::kNoSettingsFile;
    return ReadPayloadDefaults(file.data(), file.size(), state);
}
