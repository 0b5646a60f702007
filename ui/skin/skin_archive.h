// Reading the entries of a skin package: only the entries a skin uses, each refused by its
// declared size before anything is inflated, and all of them within one package budget, so
// that a hostile archive costs the host application neither much time nor memory.
#pragma once
#include <cstdint>

#include "core/files/archive.h"

constexpr uint64_t kMaxSkinIniBytes = 256 * 1024;
constexpr uint64_t kMaxSkinPictureBytes = 8 * 1024 * 1024;
constexpr uint64_t kSkinPackageByteBudget = 32 * 1024 * 1024;

// True for "skin.ini" and the picture names of the slot table (without regard to case), at
// the archive's top level.
bool IsSkinEntryName(const char* name);

// The entries of an open archive a skin uses, in archive order. An entry whose declared size
// is over its bound, or over what is left of the package budget, is listed unread (readOk
// false) and costs nothing; other entries are not listed at all. Null when the archive's
// directory cannot be read.
ArchiveEntryList* ReadSkinArchiveEntries(unzFile archive);
// The same for a package file.
ArchiveEntryList* ReadSkinPackageFile(const wchar_t* path);
