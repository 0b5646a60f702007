// The optional outside word-reading library beside the input method.
#pragma once
#include "core/record/engine.h"

// Folder of the library under the install folder, for this build's bitness.
#ifdef _WIN64
#define WORD_READER_FOLDER L"itf64"
#else
#define WORD_READER_FOLDER L"itf32"
#endif
constexpr wchar_t kWordReaderFile[] = L"lexivo.dll";
constexpr char kWordReaderExport[] = "lexivo_read";
constexpr int kWordReaderOutputUnits = 4096;

// The library's export: reads the document at path into out (chars units); returns the
// units written.
using WordReaderFunction = int(__cdecl*)(const wchar_t* path, wchar_t* out, int chars);

// Loads InstallLocation + WORD_READER_FOLDER "\lexivo.dll", calls its export with path and
// out (chars units, always terminated) and frees the library again. 0 and an empty out when
// the library or its export is missing; else the units read.
int CallExternalWordReader(Engine* engine, const wchar_t* path, wchar_t* out, int chars);
