#include "engine/commands/word_reader.h"

#include <cstdio>
#include <cwchar>

namespace {

struct LibraryCloser {
    HMODULE module;
    ~LibraryCloser() {
        if (module) FreeLibrary(module);
    }
};

}  // namespace

int CallExternalWordReader(Engine* e, const wchar_t* path, wchar_t* out, int chars) {
    if (!out || chars <= 0) return 0;
    out[0] = 0;
    if (!e || !path || !path[0]) return 0;
    wchar_t library[MAX_PATH];
    const int n = swprintf(library, MAX_PATH, L"%ls%ls\\%ls", e->installLocation,
                           WORD_READER_FOLDER, kWordReaderFile);
    if (n <= 0 || n >= MAX_PATH) return 0;
    LibraryCloser loaded{LoadLibraryW(library)};
    if (!loaded.module) return 0;
    auto read = reinterpret_cast<WordReaderFunction>(
        reinterpret_cast<void*>(GetProcAddress(loaded.module, kWordReaderExport)));
    if (!read) return 0;
    int got = read(path, out, chars);
    if (got < 0) got = 0;
    if (got > chars - 1) got = chars - 1;
    out[got] = 0;
    return static_cast<int>(wcsnlen(out, static_cast<size_t>(got)));
}
