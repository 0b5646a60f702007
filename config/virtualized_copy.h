// The copy of config.dsc that hosts in protected mode read under the internet cache.
#pragma once
#include <cstdint>

#include "core/base/mapped_file.h"
#include "core/base/path_util.h"

struct Engine;

// The first existing "<cache>Virtualized\<c>\ProgramData\ZantorIME3\<guid>\<major>.<minor>
// \config.dsc" for the drive letters c to y (cacheFolder gets a "\" when it lacks one);
// false with out empty when none exists or a path does not fit.
bool FindVirtualizedCopy(const wchar_t* cacheFolder, const wchar_t* guidText, uint32_t major,
                         uint32_t minor, bool (*exists)(const wchar_t* path),
                         wchar_t (&out)[kPathChars]);

enum class CopyResult { NoCopy, Copied, OpenFailed, ResizeFailed };

// Makes the file at path hold exactly size bytes of data (resized first when its size
// differs).
CopyResult OverwriteWithBytes(const wchar_t* path, const uint8_t* data, int32_t size);
// The whole live config.dsc over the first virtualised copy of this installation.
CopyResult UpdateVirtualizedCopy(const Engine* engine);
