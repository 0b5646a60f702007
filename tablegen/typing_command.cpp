// tablegen measure: the typing figures of a data folder over a corpus.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "core/base/mapped_file.h"
#include "core/base/text_convert.h"
#include "core/record/engine.h"
#include "tablegen/commands.h"
#include "tablegen/console.h"
#include "tablegen/typing_measure.h"

namespace {

struct EngineFree {
    void operator()(Engine* e) const { std::free(e); }
};

// Private copies of a data file: typing never changes the folder.
MappedFilePtr LoadCopy(const std::wstring& folder, const wchar_t* name) {
    MappedFile* f = nullptr;
    MappedFile::LoadToMemory(&f, (folder + L"\\" + name).c_str());
    return MappedFilePtr(f);
}

std::string ReadBytes(const wchar_t* path) {
    std::string bytes;
    FILE* f = _wfopen(path, L"rb");
    if (!f) return bytes;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    std::fclose(f);
    return bytes;
}

std::wstring Wide(const std::string& utf8) {
    std::wstring w(utf8.size() + 1, L'\0');
    const int n = Utf8ToUtf16(utf8.data(), static_cast<int>(utf8.size()), w.data(),
                              static_cast<int>(w.size()));
    w.resize(n > 0 ? n : 0);
    return w;
}

std::wstring Share(int64_t part, int64_t whole) {
    wchar_t buf[32];
    std::swprintf(buf, 32, L"%6.2f%%", whole ? 100.0 * part / whole : 0.0);
    return buf;
}

void PrintCounts(const wchar_t* title, const TypingCounts& c) {
    wchar_t keys[32];
    std::swprintf(keys, 32, L"%.3f", c.characters ? double(c.keys) / c.characters : 0.0);
    PrintLine(std::wstring(title) + L": " + std::to_wstring(c.words) + L" words, rank 1 " +
              Share(c.first, c.words) + L", top 3 " + Share(c.topThree, c.words) +
              L", first page " + Share(c.firstPage, c.words) + L", not found " +
              Share(c.notFound, c.words) + L", keys per character " + keys);
}

void PrintWords(const wchar_t* title, const std::vector<std::pair<std::string, int64_t>>& words) {
    std::wstring line = title;
    for (const auto& [w, n] : words) line += L" " + Wide(w) + L"×" + std::to_wstring(n);
    PrintLine(line);
}

}  // namespace

int MeasureTyping(const wchar_t* dataFolder, const wchar_t* corpusPath) {
    const std::wstring folder = dataFolder;
    MappedFilePtr config = LoadCopy(folder, L"config.dsc");
    MappedFilePtr main = LoadCopy(folder, L"main.dmg");
    MappedFilePtr temp = LoadCopy(folder, L"temp.dmg");
    if (!config || !main) {
        PrintErrorLine(L"no config.dsc or main.dmg in " + folder);
        return 0;
    }
    const std::vector<CorpusWord> corpus = ParseCorpus(ReadBytes(corpusPath));
    if (corpus.empty()) {
        PrintErrorLine(std::wstring(L"no words in ") + corpusPath);
        return 0;
    }
    std::unique_ptr<Engine, EngineFree> e(static_cast<Engine*>(std::calloc(1, sizeof(Engine))));
    if (!e) return 0;
    e->configFile = config.get();
    e->mainTable = main.get();
    e->tempTable = temp.get();
    e->page.pageEnd = -1;
    if (!Engine::FindSettingsBlocks(e.get())) {
        PrintErrorLine(L"config.dsc lacks a settings block");
        return 0;
    }
    const TypingReport r = MeasureCorpus(e.get(), corpus);
    PrintCounts(L"all words", r.all);
    PrintCounts(L"characters", r.single);
    PrintWords(L"not offered:", r.missing);
    PrintWords(L"past the first page:", r.late);
    return 1;
}
