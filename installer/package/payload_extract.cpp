#include "installer/package/payload_extract.h"

#include <windows.h>

#include <cwchar>
#include <string>

#include "core/base/path_util.h"
#include "core/files/archive.h"

namespace {

void Report(const ExtractProgress* p, const wchar_t* text, uint64_t done, uint64_t total) {
    if (p && p->report) p->report(p->context, text, done, total);
}

// The entry's name as the archive reader converts it; empty when it cannot be converted.
std::wstring WideName(const ArchiveEntry& e) {
    wchar_t name[kPathChars];
    int n = MultiByteToWideChar(e.utf8Name ? CP_UTF8 : CP_ACP, MB_ERR_INVALID_CHARS, e.name, -1,
                                name, kPathChars);
    return n > 0 ? std::wstring(name) : std::wstring();
}

std::wstring FullPath(const std::wstring& path) {
    wchar_t full[kPathChars * 2];
    DWORD n = GetFullPathNameW(path.c_str(), kPathChars * 2, full, nullptr);
    return n > 0 && n < kPathChars * 2 ? std::wstring(full, n) : std::wstring();
}

}  // namespace

bool StaysInsideFolder(const wchar_t* folder, const wchar_t* name) {
    if (!folder || !folder[0] || !name || !name[0]) return false;
    std::wstring base = FullPath(folder);
    if (base.empty()) return false;
    if (base.back() != L'\\') base += L'\\';
    std::wstring joined = FullPath(base + name);
    return joined.size() > base.size() && _wcsnicmp(joined.c_str(), base.c_str(), base.size()) == 0;
}

bool ExtractPayload(const wchar_t* archive, const wchar_t* folder,
                    const ExtractProgress* progress) {
    if (!archive || !archive[0] || !folder || !folder[0]) return false;
    ArchiveEntryList* list = ReadArchiveEntries(archive);
    if (!list) return false;
    if (list->count == 0) {
        FreeArchiveEntries(list);
        return false;
    }
    uint64_t total = 0, done = 0;
    for (int32_t i = 0; i < list->count; ++i) total += static_cast<uint32_t>(list->entries[i].size);
    int32_t written = 0;
    wchar_t status[kExtractStatusUnits];
    for (int32_t i = 0; i < list->count; ++i) {
        const ArchiveEntry& e = list->entries[i];
        const std::wstring name = WideName(e);
        const bool ok = !name.empty() && !IsUnsafeArchiveName(e.name) &&
                        StaysInsideFolder(folder, name.c_str()) &&
                        (WriteArchiveEntry(&e, folder) != 0 || (e.readOk && e.size == 0));
        _snwprintf(status, kExtractStatusUnits, L"%ls: %.*ls", ok ? L"Success" : L"Failure",
                   kExtractNameChars, name.c_str());
        status[kExtractStatusUnits - 1] = 0;
        if (ok) {
            done += static_cast<uint32_t>(e.size);
            ++written;
            Report(progress, status, done, total);
        } else {
            Report(progress, status, 0, total);
        }
    }
    Report(progress, L"Completed.", total, total);
    const bool all = written == list->count;
    FreeArchiveEntries(list);
    return all;
}
