#include "core/base/mapped_file.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "core/base/handles.h"

using zan::UniqueHandle;
using zan::UniqueView;

namespace {

// Copies a path that must fit whole; a cut path would name another file.
bool CopyPath(wchar_t* dst, const wchar_t* src) {
    if (!src) return false;
    size_t n = wcsnlen(src, kPathChars);
    if (n == 0 || n >= kPathChars) return false;
    std::memcpy(dst, src, (n + 1) * sizeof(wchar_t));
    return true;
}

MappedFile* NewObject() { return static_cast<MappedFile*>(std::calloc(1, sizeof(MappedFile))); }

// A zeroed object holding path; null when out of memory or the path does not fit.
MappedFile* NewObjectFor(const wchar_t* path) {
    MappedFile* f = NewObject();
    if (f && !CopyPath(f->path, path)) {
        std::free(f);
        return nullptr;
    }
    return f;
}

// Maps the whole of an open file of the given size into f.
bool MapWhole(MappedFile* f, HANDLE file, int64_t size, DWORD viewAccess) {
    UniqueHandle mapping(CreateFileMappingW(file, nullptr, PAGE_READWRITE,
                                            static_cast<DWORD>(size >> 32),
                                            static_cast<DWORD>(size), nullptr));
    if (!mapping) return false;
    void* view = MapViewOfFile(mapping.get(), viewAccess, 0, 0, static_cast<SIZE_T>(size));
    if (!view) return false;
    f->mapping = mapping.release();
    f->view = static_cast<uint8_t*>(view);
    f->size = static_cast<int32_t>(size);
    return true;
}

volatile LONG g_viewEpoch = 0;

void Unmap(MappedFile* f) {
    InterlockedIncrement(&g_viewEpoch);
    if (f->file) {
        if (f->view) {
            FlushViewOfFile(f->view, static_cast<SIZE_T>(f->size));
            UnmapViewOfFile(f->view);
        }
        if (f->mapping) CloseHandle(f->mapping);
        CloseHandle(f->file);
    } else {
        std::free(f->view);
    }
    f->view = nullptr;
    f->mapping = nullptr;
    f->file = nullptr;
    f->size = 0;
}

bool SetLength(HANDLE file, int64_t size) {
    LARGE_INTEGER pos;
    pos.QuadPart = size;
    return SetFilePointerEx(file, pos, nullptr, FILE_BEGIN) && SetEndOfFile(file);
}

}  // namespace

int32_t MappedFile::LoadToMemory(MappedFile** out, const wchar_t* path) {
    if (!out) return 0;
    *out = nullptr;
    MappedFile* f = NewObjectFor(path);
    if (!f) return 0;
    UniqueHandle h(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER len{};
    if (!h || !GetFileSizeEx(h.get(), &len) || len.QuadPart < 0 || len.QuadPart > kMaxMappedSize) {
        std::free(f);
        return 0;
    }
    const int64_t n = len.QuadPart;
    auto* data = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(n) + 2, 1));
    if (!data) {
        std::free(f);
        return 0;
    }
    int64_t done = 0;
    while (done < n) {
        DWORD want = static_cast<DWORD>(n - done > 0x10000000 ? 0x10000000 : n - done);
        DWORD got = 0;
        if (!ReadFile(h.get(), data + done, want, &got, nullptr) || got == 0) break;
        done += got;
    }
    if (done != n) {
        std::free(data);
        std::free(f);
        return 0;
    }
    f->view = data;
    f->size = static_cast<int32_t>(n + 2);
    *out = f;
    return f->size;
}

int32_t MappedFile::Open(MappedFile** out, const wchar_t* path) {
    if (!out) return 0;
    *out = nullptr;
    MappedFile* f = NewObjectFor(path);
    if (!f) return 0;
    UniqueHandle h(CreateFileW(path, GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER len{};
    if (h && GetFileSizeEx(h.get(), &len) && len.QuadPart > 0 && len.QuadPart <= kMaxMappedSize &&
        MapWhole(f, h.get(), len.QuadPart, FILE_MAP_WRITE)) {
        f->file = h.release();
        *out = f;
        return f->size;
    }
    std::free(f);
    if (h && len.QuadPart > kMaxMappedSize) return 0;
    return LoadToMemory(out, path);
}

int32_t MappedFile::Create(MappedFile** out, const wchar_t* path, int64_t size) {
    if (!out) return 0;
    *out = nullptr;
    if (size <= 0 || size > kMaxMappedSize) return 0;
    MappedFile* f = NewObjectFor(path);
    if (!f) return 0;
    UniqueHandle h(CreateFileW(path, GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h || !SetLength(h.get(), size) ||
        !MapWhole(f, h.get(), size, FILE_MAP_READ | FILE_MAP_WRITE)) {
        std::free(f);
        return 0;
    }
    f->file = h.release();
    *out = f;
    return f->size;
}

int32_t MappedFile::Resize(MappedFile* f, int64_t newSize) {
    if (!f || !f->file || newSize <= 0 || newSize > kMaxMappedSize) return 0;
    InterlockedIncrement(&g_viewEpoch);
    FlushViewOfFile(f->view, static_cast<SIZE_T>(f->size));
    UnmapViewOfFile(f->view);
    CloseHandle(f->mapping);
    f->view = nullptr;
    f->mapping = nullptr;
    f->size = 0;
    if (SetLength(f->file, newSize) &&
        MapWhole(f, f->file, newSize, FILE_MAP_READ | FILE_MAP_WRITE)) {
        return f->size;
    }
    CloseHandle(f->file);
    f->file = nullptr;
    return 0;
}

int32_t MappedFile::Reopen(MappedFile* f) {
    if (!f) return 0;
    Unmap(f);
    MappedFile* fresh = nullptr;
    if (Open(&fresh, f->path) <= 0 || !fresh) return 0;
    f->file = fresh->file;
    f->mapping = fresh->mapping;
    f->view = fresh->view;
    f->size = fresh->size;
    std::free(fresh);
    return f->size;
}

bool MappedFile::Flush(MappedFile* f) {
    if (!f || !f->view) return false;
    if (!f->file) return true;
    return FlushViewOfFile(f->view, static_cast<SIZE_T>(f->size)) != 0;
}

uint32_t MappedFile::ViewEpoch() { return static_cast<uint32_t>(g_viewEpoch); }

void MappedFile::Close(MappedFile* f) {
    if (!f) return;
    Unmap(f);
    std::free(f);
}

int MakeTempFilePath(const wchar_t* name, wchar_t* out) {
    if (!out) return 0;
    out[0] = 0;
    if (!name) return 0;
    wchar_t dir[kPathChars + 1];
    DWORD n = GetTempPathW(kPathChars + 1, dir);
    if (n == 0 || n > kPathChars) return 0;
    size_t len = n;
    bool addSlash = dir[len - 1] != L'\\';
    size_t nameLen = wcslen(name);
    size_t total = len + (addSlash ? 1 : 0) + nameLen;
    if (total >= kPathChars) return 0;
    std::memcpy(out, dir, len * sizeof(wchar_t));
    if (addSlash) out[len++] = L'\\';
    std::memcpy(out + len, name, (nameLen + 1) * sizeof(wchar_t));
    return static_cast<int>(total);
}
