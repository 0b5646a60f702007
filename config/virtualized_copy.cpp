#include "config/virtualized_copy.h"

#include <shlobj.h>

#include <cstring>
#include <cwchar>

#include "core/record/engine.h"
#include "dialog/control_text.h"

namespace {

bool PathExists(const wchar_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

bool FindVirtualizedCopy(const wchar_t* cacheFolder, const wchar_t* guidText, uint32_t major,
                         uint32_t minor, bool (*exists)(const wchar_t* path),
                         wchar_t (&out)[kPathChars]) {
    out[0] = 0;
    if (!cacheFolder || !cacheFolder[0] || !guidText || !exists) return false;
    size_t n = std::wcslen(cacheFolder);
    const wchar_t* slash = cacheFolder[n - 1] == L'\\' ? L"" : L"\\";
    for (wchar_t letter = L'c'; letter <= L'y'; ++letter) {
        wchar_t path[kPathChars];
        if (!FormatBounded(
                path, kPathChars,
                L"%ls%lsVirtualized\\%lc\\ProgramData\\ZantorIME3\\%ls\\%u.%u\\config.dsc",
                cacheFolder, slash, letter, guidText, major, minor))
            return false;
        if (exists(path)) {
            std::wcscpy(out, path);
            return true;
        }
    }
    return false;
}

CopyResult OverwriteWithBytes(const wchar_t* path, const uint8_t* data, int32_t size) {
    if (!path || !data || size <= 0) return CopyResult::NoCopy;
    MappedFile* raw = nullptr;
    MappedFile::Open(&raw, path);
    MappedFilePtr copy(raw);
    if (copy && copy->IsMapped()) {
        if (copy->size != size && MappedFile::Resize(copy.get(), size) != size)
            return CopyResult::ResizeFailed;
        std::memcpy(copy->view, data, static_cast<size_t>(size));
        MappedFile::Flush(copy.get());
        return CopyResult::Copied;
    }
    copy.reset();
    // An empty file cannot be mapped: it is written as a whole instead.
    HANDLE h = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, TRUNCATE_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return CopyResult::OpenFailed;
    DWORD written = 0;
    bool ok = WriteFile(h, data, static_cast<DWORD>(size), &written, nullptr) &&
              written == static_cast<DWORD>(size);
    CloseHandle(h);
    return ok ? CopyResult::Copied : CopyResult::ResizeFailed;
}

CopyResult UpdateVirtualizedCopy(const Engine* engine) {
    if (!engine || !engine->configFile || !engine->configFile->view || !engine->soft)
        return CopyResult::NoCopy;
    wchar_t cache[MAX_PATH] = {};
    if (FAILED(
            SHGetFolderPathW(nullptr, CSIDL_INTERNET_CACHE, nullptr, SHGFP_TYPE_CURRENT, cache)) ||
        !PathExists(cache))
        return CopyResult::NoCopy;
    uint32_t major = 0, minor = 0;
    std::memcpy(&major, &engine->soft->buildNumber, 4);
    std::memcpy(&minor, &engine->soft->dataVersionNumber, 4);
    wchar_t path[kPathChars];
    if (!FindVirtualizedCopy(cache, engine->guidText, major, minor, &PathExists, path))
        return CopyResult::NoCopy;
    const MappedFile* live = engine->configFile;
    // A private copy carries two bytes of its own after the file's.
    int32_t size = live->IsMemoryCopy() ? live->size - 2 : live->size;
    return OverwriteWithBytes(path, live->view, size);
}
