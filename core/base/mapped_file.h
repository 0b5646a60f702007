// A data file mapped read/write into memory, or a private copy when it cannot be mapped.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>

#include "core/base/path_util.h"

struct MappedFile {
    int32_t size;              // usable bytes at view (file length, or length + 2 for a copy)
    wchar_t path[kPathChars];  // NUL-terminated
    HANDLE file;               // null for a memory copy
    HANDLE mapping;            // null for a memory copy
    uint8_t* view;

    // True when view is a private copy: edits never reach the file.
    bool IsMemoryCopy() const { return file == nullptr && view != nullptr; }
    bool IsMapped() const { return file != nullptr && view != nullptr; }

    static int32_t Open(MappedFile** out, const wchar_t* path);
    static int32_t LoadToMemory(MappedFile** out, const wchar_t* path);
    static int32_t Create(MappedFile** out, const wchar_t* path, int64_t size);
    static int32_t Resize(MappedFile* f, int64_t newSize);
    static int32_t Reopen(MappedFile* f);
    static bool Flush(MappedFile* f);
    static void Close(MappedFile* f);
    // Raised whenever a view of this process goes away (close, resize, reopen): an address
    // seen before may then hold another file.
    static uint32_t ViewEpoch();
};

// Largest file the mapping accepts (sizes are i32 in the file formats).
constexpr int64_t kMaxMappedSize = 0x7FFFFFFF - 2;

struct MappedFileCloser {
    void operator()(MappedFile* f) const { MappedFile::Close(f); }
};
using MappedFilePtr = std::unique_ptr<MappedFile, MappedFileCloser>;

// %TEMP% + name into out (260 units); returns the length, or 0 and an empty path when it
// would not fit.
int MakeTempFilePath(const wchar_t* name, wchar_t* out);
