// Reading and extracting ZIP archives over minizip.
#pragma once
#include <cstddef>
#include <cstdint>

#include "unzip.h"

constexpr int kArchiveNameBytes = 260;
// Entries declaring more than this are refused rather than allocated.
constexpr uint64_t kMaxArchiveEntrySize = 512ull * 1024 * 1024;

struct ArchiveEntry {
    char name[kArchiveNameBytes];  // as stored: ANSI or UTF-8 per entry flag, '/' or '\'
    bool utf8Name;                 // the archive flags the name as UTF-8
    bool readOk;                   // the entry was read whole with a good CRC
    int32_t size;                  // uncompressed size; 0 when unread or empty
    uint8_t* data;                 // size bytes
};

struct ArchiveEntryList {
    int32_t count;
    ArchiveEntry* entries;
};

void FreeArchiveEntries(ArchiveEntryList* list);

// Opens an archive held in memory; the buffer must outlive the handle (unzClose).
unzFile OpenMemoryArchive(const void* data, size_t size);

ArchiveEntryList* ReadArchiveEntries(const char* archivePathAnsi);
ArchiveEntryList* ReadArchiveEntries(const wchar_t* archivePath);
ArchiveEntryList* ReadOpenArchiveEntries(unzFile archive);
// Reads the current entry; the size read, 0 on failure or for an empty entry (readOk tells).
int32_t ReadArchiveEntry(unzFile archive, ArchiveEntry* entry);
// Writes one entry below folder; 1 when written (or a folder created), 0 on failure.
int WriteArchiveEntry(const ArchiveEntry* entry, const char* folderAnsi);
int WriteArchiveEntry(const ArchiveEntry* entry, const wchar_t* folder);
// True for names that would leave the target folder.
bool IsUnsafeArchiveName(const char* name);

struct ArchiveProgress {
    void (*show)(void* context, const wchar_t* text);
    void* context;
};
// Formats "完成: %.2f MB/KB/Bytes" for a byte count.
void FormatDoneText(uint64_t bytes, wchar_t* out, size_t capacity);

// 1 when every entry was written (or was a folder), else 0.
int ExtractArchive(const wchar_t* archivePath, const wchar_t* folder,
                   const ArchiveProgress* progress = nullptr);
