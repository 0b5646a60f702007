// Replays typed codes through Engine::ProcessInput, one digit at a time, and prints the time
// per keystroke (median, 99th percentile, worst) next to a plain CodeTable::FindCode; then
// the time of paging through long lists.
//
//   keystroke_bench [main.dmg] [words] [runs]
//
// Without a table it generates one of 600,000 keypad-coded entries in %TEMP%. Each setting
// types the words runs times (default 3) in one process: the first run, with the table's
// pages and the kept lists of short prefixes still cold, and, per keystroke, the least of
// all runs, which leaves out the moments another process had the CPU.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/record/engine.h"
#include "core/settings/config_blocks.h"
#include "core/table/code_table.h"
#include "core/table/table_format.h"
#include "engine/list_cache.h"
#include "engine/lookup.h"
#include "engine/marked_positions.h"
#include "support/table_fixture.h"
#include "support/test_files.h"

namespace {

using testing_support::FixtureEntry;
using testing_support::MakeCodeTable;
using testing_support::WriteFileBytes;

// A main table of n entries: codes of keypad digits 1-9 (bytes 0x11-0x19), one to twelve
// long (few short ones, as spelled words give), words of one to four CJK characters, orders
// falling with the line number.
std::vector<uint8_t> GenerateTable(int n) {
    std::mt19937 rng(12345);
    std::discrete_distribution<int> length({0, 0.05, 2, 8, 14, 16, 16, 14, 11, 8, 5, 3, 2});
    std::uniform_int_distribution<int> digit(0x11, 0x19), chars(1, 4), cjk(0x4E00, 0x9FA5);
    std::vector<FixtureEntry> entries;
    entries.reserve(n);
    for (int i = 0; i < n; ++i) {
        FixtureEntry e;
        int len = length(rng);
        for (int k = 0; k < len; ++k) e.code.push_back(static_cast<char>(digit(rng)));
        int wc = len == 1 ? 1 : chars(rng);
        for (int k = 0; k < wc; ++k) {
            unsigned c = static_cast<unsigned>(cjk(rng));
            e.word.push_back(static_cast<char>(0xE0 | (c >> 12)));
            e.word.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            e.word.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
        uint32_t order = static_cast<uint32_t>(0x4000 - (i * 0x3000LL) / n);
        e.flags = ComposeFlags(order, kClassSystem) | (i < 35000 ? kFlagFirstLines : 0);
        entries.push_back(std::move(e));
    }
    // One entry per code and word, as the builder keeps them.
    auto byCodeAndWord = [](const FixtureEntry& a, const FixtureEntry& b) {
        return a.code != b.code ? a.code < b.code : a.word < b.word;
    };
    std::sort(entries.begin(), entries.end(), byCodeAndWord);
    entries.erase(std::unique(entries.begin(), entries.end(),
                              [](const FixtureEntry& a, const FixtureEntry& b) {
                                  return a.code == b.code && a.word == b.word;
                              }),
                  entries.end());
    std::vector<uint8_t> out = MakeCodeTable(std::move(entries), kTableKindMain);
    std::memcpy(&out[offsetof(TableFileHeader, version)], &kTableVersion, 2);
    return out;
}

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b, LARGE_INTEGER f) {
    return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

void Report(const char* name, std::vector<double>& us) {
    if (us.empty()) return;
    std::sort(us.begin(), us.end());
    auto at = [&](double q) {
        return us[std::min(us.size() - 1, static_cast<size_t>(q * us.size()))];
    };
    std::printf("%-34s n=%7zu  median %8.2f us  p99 %8.2f us  max %9.2f us\n", name, us.size(),
                at(0.5), at(0.99), us.back());
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Types code digit by digit into a cleared input.
void TypeCode(Engine* e, const std::string& c, size_t upTo) {
    Engine::ResetInput(e);
    for (size_t i = 0; i < upTo && i < kMaxCodeUnits; ++i) {
        e->input.code[i] = static_cast<wchar_t>(static_cast<uint8_t>(c[i]));
        e->input.codeLength = static_cast<uint32_t>(i + 1);
        e->input.caret = e->input.codeLength;
        e->input.code[i + 1] = 0;
        Engine::ProcessInput(e);
    }
}

struct Settings {
    const char* name;
    uint8_t showNextLength;
    uint32_t features;
};

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::wstring path;
    int words = 3000, runs = 3;
    if (argv && argc > 1) path = argv[1];
    if (argv && argc > 2) words = _wtoi(argv[2]);
    if (argv && argc > 3) runs = std::max(1, _wtoi(argv[3]));
    LocalFree(argv);
    if (path.empty()) {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path = std::wstring(temp) + L"keystroke_bench.dmg";
        if (!WriteFileBytes(path, GenerateTable(600000))) {
            std::fprintf(stderr, "cannot write the generated table\n");
            return 1;
        }
    }
    MappedFile* table = nullptr;
    if (MappedFile::Open(&table, path.c_str()) <= 0) {
        std::fprintf(stderr, "cannot open %ls\n", path.c_str());
        return 1;
    }
    TableView view = MakeTableView(table);
    std::printf("table %ls: %d entries\n", path.c_str(), view.count);
    // Every page of the table once, so that first touches of the file do not count.
    volatile uint32_t touched = 0;
    for (int32_t at = 0; at < table->size; at += 4096) touched = touched + table->view[at];

    std::vector<uint8_t> config(kConfigFileSize + 2, 0);
    InitConfigImage(config.data(), kConfigFileSize);
    MappedFile configFile{};
    configFile.size = static_cast<int32_t>(config.size());
    configFile.view = config.data();

    auto* e = static_cast<Engine*>(std::calloc(1, sizeof(Engine)));
    e->configFile = &configFile;
    e->mainTable = table;
    e->ime = FindImeConfig(&configFile);
    e->dme = FindDmeConfig(&configFile);
    e->ime->options = kImeMainTable;
    e->ime->listOptions = (5u << kListPageShift) | kListSingleFirst;
    for (int c = 0x11; c <= 0x19; ++c) e->dme->keyClass[c] = kKeyCodeStart | kKeyCodeContinue;
    e->dme->keyClass[0x10] = kKeyCodeContinue;

    // Codes of common words (the builder marks the first 35,000 lines of a table; without
    // marks any word), typed digit by digit.
    std::vector<int32_t> common;
    for (int32_t p = 0; p < view.count; ++p) {
        const uint8_t* entry = view.EntryAt(p);
        if (entry && (LoadU32(entry) & kFlagFirstLines)) common.push_back(p);
    }
    if (common.empty())
        for (int32_t p = 0; p < view.count; ++p) common.push_back(p);
    std::printf("typing %d codes of %zu common words\n", words, common.size());
    std::vector<std::string> codes;
    std::mt19937 rng(7);
    std::uniform_int_distribution<size_t> pick(0, common.empty() ? 0 : common.size() - 1);
    for (int i = 0; i < words && !common.empty(); ++i) {
        const uint8_t* entry = view.EntryAt(common[pick(rng)]);
        if (!entry) continue;
        const uint8_t* code = EntryCode(entry);
        codes.emplace_back(reinterpret_cast<const char*>(code + 1), code[0]);
    }

    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    std::vector<double> floor;
    for (const std::string& c : codes) {
        for (size_t len = 1; len <= c.size(); ++len) {
            uint8_t key[260];
            key[0] = static_cast<uint8_t>(len);
            std::memcpy(key + 1, c.data(), len);
            LARGE_INTEGER a, b;
            QueryPerformanceCounter(&a);
            volatile int64_t r =
                CodeTable::FindCode(table, key, CompareLengthPrefixed,
                                    CodeTable::PrefixBounds(table, key, static_cast<int>(len)));
            QueryPerformanceCounter(&b);
            (void)r;
            floor.push_back(Seconds(a, b, freq) * 1e6);
        }
    }
    Report("CodeTable::FindCode (floor)", floor);

    const Settings settings[] = {
        {"ProcessInput, exact codes", 0, 0},
        {"ProcessInput, longer codes from 3", 3, 0},
        {"ProcessInput, longer codes from 1", 1, 0},
        {"ProcessInput, longer codes from 1, merge", 1, kFeatMergeSameWord},
    };
    for (const Settings& s : settings) {
        e->dme->showNextLength = s.showNextLength;
        e->ime->features = s.features;
        ClearListCache();
        ClearMarkedPositions();
        std::vector<double> first, least;
        std::vector<size_t> lengths;
        for (int run = 0; run < runs; ++run) {
            size_t k = 0;
            for (const std::string& c : codes) {
                Engine::ResetInput(e);
                for (size_t i = 0; i < c.size() && i < kMaxCodeUnits; ++i, ++k) {
                    e->input.code[i] = static_cast<wchar_t>(static_cast<uint8_t>(c[i]));
                    e->input.codeLength = static_cast<uint32_t>(i + 1);
                    e->input.caret = e->input.codeLength;
                    e->input.code[i + 1] = 0;
                    LARGE_INTEGER a, b;
                    QueryPerformanceCounter(&a);
                    Engine::ProcessInput(e);
                    QueryPerformanceCounter(&b);
                    double us = Seconds(a, b, freq) * 1e6;
                    if (run == 0) {
                        first.push_back(us);
                        least.push_back(us);
                        lengths.push_back(std::min<size_t>(i + 1, 8));
                    } else {
                        least[k] = std::min(least[k], us);
                    }
                }
            }
        }
        for (int pass = 0; pass < 2; ++pass) {
            std::vector<double>& all = pass == 0 ? first : least;
            std::vector<double> byLength[9];
            for (size_t k = 0; k < all.size(); ++k) byLength[lengths[k]].push_back(all[k]);
            char title[128];
            std::snprintf(title, sizeof title, "%s%s", s.name,
                          pass == 0 ? ", first run" : ", least of all runs");
            std::vector<double> copy = all;
            Report(title, copy);
            for (int len = 1; len <= 8; ++len) {
                char name[64];
                std::snprintf(name, sizeof name, "  code length %d%s", len, len == 8 ? "+" : "");
                Report(name, byLength[len]);
            }
        }
        std::printf("  kept lists of short prefixes: %.0f KB, marked positions: %.0f KB\n",
                    ListCacheBytes() / 1024.0, MarkedPositionsBytes() / 1024.0);

        // Paging through the longest lists of the typed codes' prefixes, to the last page and
        // back: each page turn timed.
        std::vector<std::pair<int64_t, std::pair<std::string, size_t>>> lists;
        for (size_t i = 0; i < codes.size() && i < 400; ++i) {
            size_t len = std::min<size_t>(codes[i].size(), s.showNextLength ? s.showNextLength : 1);
            TypeCode(e, codes[i], len);
            lists.push_back({e->candidateCount, {codes[i], len}});
        }
        std::sort(lists.begin(), lists.end(),
                  [](const auto& a, const auto& b) { return a.first > b.first; });
        std::vector<double> next, last, back;
        for (size_t i = 0; i < lists.size() && i < 20; ++i) {
            for (int run = 0; run < runs; ++run) {
                TypeCode(e, lists[i].second.first, lists[i].second.second);
                for (;;) {
                    LARGE_INTEGER a, b;
                    QueryPerformanceCounter(&a);
                    int moved = EngineRuntime::PageDown(e);
                    QueryPerformanceCounter(&b);
                    if (!moved) break;
                    double us = Seconds(a, b, freq) * 1e6;
                    next.push_back(us);
                    if (e->page.pageEnd + 1 >= e->candidateCount) last.push_back(us);
                }
                while (e->page.pageStart > 0) {
                    LARGE_INTEGER a, b;
                    QueryPerformanceCounter(&a);
                    EngineRuntime::PrevPage(e);
                    QueryPerformanceCounter(&b);
                    back.push_back(Seconds(a, b, freq) * 1e6);
                }
            }
        }
        std::printf(
            "  paging %zu lists of %lld to %lld candidates: next page median %.2f us "
            "(n=%zu), to the last page median %.2f us (n=%zu), back median %.2f us\n",
            std::min<size_t>(lists.size(), 20),
            static_cast<long long>(
                lists.empty() ? 0 : lists[std::min<size_t>(lists.size(), 20) - 1].first),
            static_cast<long long>(lists.empty() ? 0 : lists[0].first), Median(next), next.size(),
            Median(last), last.size(), Median(back));
    }
    std::free(e);
    MappedFile::Close(table);
    return 0;
}
