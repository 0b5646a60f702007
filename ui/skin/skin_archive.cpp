#include "ui/skin/skin_archive.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "core/base/handles.h"
#include "iowin32.h"
#include "ui/skin/skin_description.h"

bool IsSkinEntryName(const char* name) {
    if (!name || std::strchr(name, '/') || std::strchr(name, '\\')) return false;
    if (_stricmp(name, "skin.ini") == 0) return true;
    for (const char* picture : kSkinImageNames)
        if (_stricmp(name, picture) == 0) return true;
    return false;
}

ArchiveEntryList* ReadSkinArchiveEntries(unzFile archive) {
    if (!archive) return nullptr;
    unz_global_info64 global{};
    if (unzGetGlobalInfo64(archive, &global) != UNZ_OK) return nullptr;
    std::vector<ArchiveEntry> kept;
    uint64_t budget = kSkinPackageByteBudget;
    bool more = global.number_entry > 0 && unzGoToFirstFile(archive) == UNZ_OK;
    for (; more; more = unzGoToNextFile(archive) == UNZ_OK) {
        unz_file_info64 info{};
        char name[kArchiveNameBytes + 1];
        if (unzGetCurrentFileInfo64(archive, &info, name, sizeof name, nullptr, 0, nullptr, 0) !=
            UNZ_OK)
            break;
        if (info.size_filename >= kArchiveNameBytes) continue;
        name[info.size_filename] = 0;
        if (!IsSkinEntryName(name)) continue;
        const uint64_t bound =
            _stricmp(name, "skin.ini") == 0 ? kMaxSkinIniBytes : kMaxSkinPictureBytes;
        ArchiveEntry entry{};
        if (info.uncompressed_size > bound || info.uncompressed_size > budget) {
            std::memcpy(entry.name, name, info.size_filename + 1);
            kept.push_back(entry);
            continue;
        }
        // The entry is read to its declared size and no further.
        budget -= info.uncompressed_size;
        ReadArchiveEntry(archive, &entry);
        kept.push_back(entry);
    }
    auto* list = static_cast<ArchiveEntryList*>(std::calloc(1, sizeof(ArchiveEntryList)));
    if (list)
        list->entries = static_cast<ArchiveEntry*>(
            std::calloc(kept.empty() ? 1 : kept.size(), sizeof(ArchiveEntry)));
    if (!list || !list->entries) {
        for (ArchiveEntry& e : kept) std::free(e.data);
        std::free(list);
        return nullptr;
    }
    std::memcpy(list->entries, kept.data(), kept.size() * sizeof(ArchiveEntry));
    list->count = static_cast<int32_t>(kept.size());
    return list;
}

namespace {

// Packages up to this size are read whole in one call and unpacked from memory: minizip's
// many small reads and seeks on the file cost far more than the one read.
constexpr int64_t kSkinPackageReadWhole = 64 * 1024 * 1024;

ArchiveEntryList* ReadFromFile(const wchar_t* path) {
    zlib_filefunc64_def files;
    fill_win32_filefunc64W(&files);
    unzFile zip = unzOpen2_64(path, &files);
    if (!zip) return nullptr;
    ArchiveEntryList* list = ReadSkinArchiveEntries(zip);
    unzClose(zip);
    return list;
}

}  // namespace

ArchiveEntryList* ReadSkinPackageFile(const wchar_t* path) {
    if (!path || !path[0]) return nullptr;
    zan::UniqueHandle h(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return nullptr;
    LARGE_INTEGER len{};
    if (!GetFileSizeEx(h.get(), &len) || len.QuadPart <= 0) return nullptr;
    if (len.QuadPart > kSkinPackageReadWhole) return ReadFromFile(path);
    const size_t size = static_cast<size_t>(len.QuadPart);
    std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[size]);
    if (!bytes) return ReadFromFile(path);
    size_t done = 0;
    while (done < size) {
        DWORD got = 0;
        if (!ReadFile(h.get(), bytes.get() + done, static_cast<DWORD>(size - done), &got,
                      nullptr) ||
            got == 0)
            return nullptr;
        done += got;
    }
    unzFile zip = OpenMemoryArchive(bytes.get(), size);
    if (!zip) return nullptr;
    ArchiveEntryList* list = ReadSkinArchiveEntries(zip);
    unzClose(zip);
    return list;
}
