#include "core/files/archive.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

#include "core/base/handles.h"
#include "core/base/mapped_file.h"
#include "iowin32.h"

namespace {

// In-memory archive source for minizip.
struct MemoryStream {
    const uint8_t* data;
    uint64_t size;
    uint64_t pos;
};

voidpf ZCALLBACK MemOpen(voidpf opaque, const void*, int) {
    auto* src = static_cast<MemoryStream*>(opaque);
    auto* s = new (std::nothrow) MemoryStream(*src);
    if (s) s->pos = 0;
    return s;
}
uLong ZCALLBACK MemRead(voidpf, voidpf stream, void* buf, uLong size) {
    auto* s = static_cast<MemoryStream*>(stream);
    uint64_t left = s->size - s->pos;
    uLong n = static_cast<uLong>(size < left ? size : left);
    std::memcpy(buf, s->data + s->pos, n);
    s->pos += n;
    return n;
}
uLong ZCALLBACK MemWrite(voidpf, voidpf, const void*, uLong) { return 0; }
ZPOS64_T ZCALLBACK MemTell(voidpf, voidpf stream) {
    return static_cast<MemoryStream*>(stream)->pos;
}
long ZCALLBACK MemSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    auto* s = static_cast<MemoryStream*>(stream);
    uint64_t base = origin == ZLIB_FILEFUNC_SEEK_SET   ? 0
                    : origin == ZLIB_FILEFUNC_SEEK_CUR ? s->pos
                                                       : s->size;
    uint64_t target = base + offset;
    if (target > s->size) return -1;
    s->pos = target;
    return 0;
}
int ZCALLBACK MemClose(voidpf opaque, voidpf stream) {
    delete static_cast<MemoryStream*>(stream);
    delete static_cast<MemoryStream*>(opaque);
    return 0;
}
int ZCALLBACK MemError(voidpf, voidpf) { return 0; }

bool AnsiToWide(const char* s, UINT cp, wchar_t* out, int capacity) {
    int n = MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, s, -1, out, capacity);
    return n > 0;
}

void ShowProgress(const ArchiveProgress* p, uint64_t bytes) {
    if (!p || !p->show) return;
    wchar_t text[64];
    FormatDoneText(bytes, text, 64);
    p->show(p->context, text);
}

bool IsSep(char c) { return c == '/' || c == '\\'; }

}  // namespace

void FreeArchiveEntries(ArchiveEntryList* list) {
    if (!list) return;
    for (int32_t i = 0; i < list->count; ++i) std::free(list->entries[i].data);
    std::free(list->entries);
    std::free(list);
}

unzFile OpenMemoryArchive(const void* data, size_t size) {
    if (!data || size == 0) return nullptr;
    auto* src = new (std::nothrow) MemoryStream{static_cast<const uint8_t*>(data), size, 0};
    if (!src) return nullptr;
    zlib_filefunc64_def f{};
    f.zopen64_file = MemOpen;
    f.zread_file = MemRead;
    f.zwrite_file = MemWrite;
    f.ztell64_file = MemTell;
    f.zseek64_file = MemSeek;
    f.zclose_file = MemClose;
    f.zerror_file = MemError;
    f.opaque = src;
    unzFile z = unzOpen2_64("memory", &f);
    if (!z) delete src;
    return z;
}

int32_t ReadArchiveEntry(unzFile archive, ArchiveEntry* entry) {
    if (!archive || !entry) return 0;
    std::memset(entry, 0, sizeof *entry);
    unz_file_info64 info{};
    char name[kArchiveNameBytes + 1];
    if (unzGetCurrentFileInfo64(archive, &info, name, sizeof name, nullptr, 0, nullptr, 0) !=
        UNZ_OK)
        return 0;
    // A name that did not fit is never used cut.
    if (info.size_filename >= kArchiveNameBytes) return 0;
    name[info.size_filename] = 0;
    std::memcpy(entry->name, name, info.size_filename + 1);
    entry->utf8Name = (info.flag & (1u << 11)) != 0;
    if (info.uncompressed_size > kMaxArchiveEntrySize) return 0;
    const size_t size = static_cast<size_t>(info.uncompressed_size);
    uint8_t* data = static_cast<uint8_t*>(std::malloc(size ? size : 1));
    if (!data) return 0;
    if (unzOpenCurrentFile(archive) != UNZ_OK) {
        std::free(data);
        return 0;
    }
    size_t done = 0;
    bool ok = true;
    while (done < size) {
        unsigned want = static_cast<unsigned>(size - done > 0x1000000 ? 0x1000000 : size - done);
        int got = unzReadCurrentFile(archive, data + done, want);
        if (got <= 0) {
            ok = false;
            break;
        }
        done += static_cast<size_t>(got);
    }
    if (ok) {
        // Nothing may follow the declared size.
        uint8_t extra;
        if (unzReadCurrentFile(archive, &extra, 1) != 0) ok = false;
    }
    // Closing checks the CRC once the entry was read to its end.
    int closed = unzCloseCurrentFile(archive);
    if (!ok || closed != UNZ_OK) {
        std::free(data);
        return 0;
    }
    entry->readOk = true;
    entry->size = static_cast<int32_t>(size);
    entry->data = size ? data : (std::free(data), nullptr);
    return entry->size;
}

ArchiveEntryList* ReadOpenArchiveEntries(unzFile archive) {
    if (!archive) return nullptr;
    unz_global_info64 gi{};
    if (unzGetGlobalInfo64(archive, &gi) != UNZ_OK) return nullptr;
    if (gi.number_entry > 1000000) return nullptr;
    auto* list = static_cast<ArchiveEntryList*>(std::calloc(1, sizeof(ArchiveEntryList)));
    if (!list) return nullptr;
    int32_t n = static_cast<int32_t>(gi.number_entry);
    list->entries = static_cast<ArchiveEntry*>(std::calloc(n ? n : 1, sizeof(ArchiveEntry)));
    if (!list->entries) {
        std::free(list);
        return nullptr;
    }
    list->count = n;
    if (n == 0) return list;
    if (unzGoToFirstFile(archive) != UNZ_OK) return list;
    for (int32_t i = 0; i < n; ++i) {
        ReadArchiveEntry(archive, &list->entries[i]);
        if (i + 1 < n && unzGoToNextFile(archive) != UNZ_OK) break;
    }
    return list;
}

ArchiveEntryList* ReadArchiveEntries(const wchar_t* archivePath) {
    if (!archivePath || !archivePath[0]) return nullptr;
    zlib_filefunc64_def f;
    fill_win32_filefunc64W(&f);
    unzFile z = unzOpen2_64(archivePath, &f);
    if (!z) return nullptr;
    ArchiveEntryList* list = ReadOpenArchiveEntries(z);
    unzClose(z);
    return list;
}

ArchiveEntryList* ReadArchiveEntries(const char* archivePathAnsi) {
    wchar_t path[kPathChars];
    if (!archivePathAnsi || !AnsiToWide(archivePathAnsi, CP_ACP, path, kPathChars)) return nullptr;
    return ReadArchiveEntries(path);
}

bool IsUnsafeArchiveName(const char* name) {
    if (!name || !name[0]) return true;
    if (IsSep(name[0])) return true;
    if (std::strchr(name, ':')) return true;  // drive letters and streams
    // ".." as a whole path component.
    const char* s = name;
    while (*s) {
        const char* e = s;
        while (*e && !IsSep(*e)) ++e;
        if (e - s == 2 && s[0] == '.' && s[1] == '.') return true;
        s = *e ? e + 1 : e;
    }
    return false;
}

int WriteArchiveEntry(const ArchiveEntry* entry, const wchar_t* folder) {
    if (!entry || !folder || !folder[0] || IsUnsafeArchiveName(entry->name)) return 0;
    wchar_t name[kPathChars];
    if (!AnsiToWide(entry->name, entry->utf8Name ? CP_UTF8 : CP_ACP, name, kPathChars)) return 0;
    std::wstring path = folder;
    if (path.back() != L'\\' && path.back() != L'/') path += L'\\';
    path += name;
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    if (path.size() >= kPathChars) return 0;
    bool isFolder = path.back() == L'\\';
    // Every folder level of the path.
    for (size_t i = 0; i < path.size(); ++i) {
        if (path[i] == L'\\' && i > 0 && path[i - 1] != L':') {
            std::wstring prefix = path.substr(0, i);
            CreateDirectoryW(prefix.c_str(), nullptr);
        }
    }
    if (isFolder) {
        DWORD attr = GetFileAttributesW(path.c_str());
        return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
    }
    if (!entry->readOk) return 0;
    if (entry->size == 0) {
        zan::UniqueHandle h(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        return h ? 1 : 0;
    }
    MappedFile* f = nullptr;
    if (MappedFile::Create(&f, path.c_str(), entry->size) <= 0 || !f) return 0;
    std::memcpy(f->view, entry->data, static_cast<size_t>(entry->size));
    bool flushed = MappedFile::Flush(f);
    MappedFile::Close(f);
    return flushed ? 1 : 0;
}

int WriteArchiveEntry(const ArchiveEntry* entry, const char* folderAnsi) {
    wchar_t folder[kPathChars];
    if (!folderAnsi || !AnsiToWide(folderAnsi, CP_ACP, folder, kPathChars)) return 0;
    return WriteArchiveEntry(entry, folder);
}

void FormatDoneText(uint64_t bytes, wchar_t* out, size_t capacity) {
    double b = static_cast<double>(bytes);
    if (bytes > 1048576)
        swprintf(out, capacity, L"完成: %.2f MB", b / 1048576.0);
    else if (bytes > 1024)
        swprintf(out, capacity, L"完成: %.2f KB", b / 1024.0);
    else
        swprintf(out, capacity, L"完成: %.2f Bytes", b);
}

int ExtractArchive(const wchar_t* archivePath, const wchar_t* folder,
                   const ArchiveProgress* progress) {
    if (!archivePath || !folder || !folder[0]) return 0;
    ArchiveEntryList* list = ReadArchiveEntries(archivePath);
    if (!list) return 0;
    uint64_t total = 0, sum = 0;
    for (int32_t i = 0; i < list->count; ++i) total += static_cast<uint32_t>(list->entries[i].size);
    int32_t done = 0;
    for (int32_t i = 0; i < list->count; ++i) {
        const ArchiveEntry& e = list->entries[i];
        if (WriteArchiveEntry(&e, folder)) {
            ++done;
            sum += static_cast<uint32_t>(e.size);
            ShowProgress(progress, sum);
        } else {
            ShowProgress(progress, 0);
        }
    }
    ShowProgress(progress, total);
    int ok = done == list->count ? 1 : 0;
    FreeArchiveEntries(list);
    return ok;
}
