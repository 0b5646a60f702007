// Engine::Create over an installed data folder, timed; and the private memory a host process
// gains from the input method: the engine created, words typed digit by digit, the candidate
// window shown. Under Wine, which leaves PrivateUsage 0, the anonymous resident memory from
// /proc; the mapped tables are shared file pages and not counted there.
//
//   engine_memory_bench <data folder> [creates] [words] [pause ms] [showNextLength]
//
// The data folder (main.dmg and config.dsc of one GUID, e.g. the built out\data) is
// registered as an installation under HKLM for the run and left unchanged.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/base/registry.h"
#include "core/record/engine.h"
#include "core/table/table_format.h"
#include "engine/list_cache.h"
#include "engine/marked_positions.h"
#include "engine/platform.h"
#include "ui/candidate/candidate_window.h"
#include "ui/windows/engine_ui_hooks.h"
#include "ui/windows/skin_window_classes.h"

namespace {

wchar_t g_guid[40];

int GuidText(wchar_t* out, int chars) {
    int n = static_cast<int>(wcslen(g_guid));
    if (n >= chars) return 0;
    std::wcscpy(out, g_guid);
    return n;
}

// kB of one line of /proc/self/status.
size_t StatusKb(const char* field) {
    FILE* f = std::fopen("Z:\\proc\\self\\status", "r");
    if (!f) return 0;
    char line[256];
    size_t kb = 0;
    size_t n = std::strlen(field);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, field, n) == 0 && std::sscanf(line + n, " %zu", &kb) == 1) break;
    std::fclose(f);
    return kb;
}

struct Memory {
    size_t anon, file;
};
Memory Now() { return {StatusKb("RssAnon:"), StatusKb("RssFile:")}; }

void Step(const char* name, int pause) {
    if (pause <= 0) return;
    std::printf("step: %s\n", name);
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(pause));
}

bool Register(const std::wstring& folder) {
    wchar_t key[kImeRegistryPathChars];
    _snwprintf(key, kImeRegistryPathChars, kImeRegistryFormat, g_guid);
    HKEY k;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) !=
        ERROR_SUCCESS)
        return false;
    auto put = [&](const wchar_t* name, const std::wstring& v) {
        RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()),
                       static_cast<DWORD>((v.size() + 1) * sizeof(wchar_t)));
    };
    put(L"IMEName", L"zanbench");
    put(L"InstallLocation", folder);
    put(L"DataLocation", folder + L"\\");
    RegCloseKey(k);
    return true;
}

void Unregister() {
    wchar_t key[kImeRegistryPathChars];
    _snwprintf(key, kImeRegistryPathChars, kImeRegistryFormat, g_guid);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, key);
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2) {
        std::fprintf(stderr, "usage: engine_memory_bench <data folder> [creates] [words]\n");
        return 2;
    }
    std::wstring folder = argv[1];
    int creates = argc > 2 ? _wtoi(argv[2]) : 50;
    int words = argc > 3 ? _wtoi(argv[3]) : 1000;
    // Under Wine, /proc/self opened by the program names the wineserver: with a pause (ms) the
    // program stops after each step so that /proc/<pid>/status can be read from outside.
    int pause = argc > 4 ? _wtoi(argv[4]) : 0;
    // Longer codes shown from this code length on (the settings file's value when absent).
    int showNext = argc > 5 ? _wtoi(argv[5]) : -1;
    LocalFree(argv);

    Memory start = Now();
    // The GUID of the installation is the one main.dmg carries.
    std::wstring mainPath = folder + L"\\main.dmg";
    FILE* f = _wfopen(mainPath.c_str(), L"rb");
    if (!f) {
        std::fprintf(stderr, "cannot read %ls\n", mainPath.c_str());
        return 1;
    }
    uint8_t header[28];
    size_t got = std::fread(header, 1, sizeof header, f);
    std::fclose(f);
    if (got != sizeof header) return 1;
    GUID guid;
    std::memcpy(&guid, header + 12, sizeof guid);
    StringFromGUID2(guid, g_guid, 40);
    if (!Register(folder)) {
        std::fprintf(stderr, "cannot register the installation\n");
        return 1;
    }
    EnginePlatform platform = Win32Platform();
    platform.loadGuidText = GuidText;
    SetPlatform(&platform);
    InstallEngineUIHooks();  // records load their skin as the input method's do
    RegisterSkinWindowClasses(GetModuleHandleW(nullptr));

    Step("before the engine", pause);
    Memory before = Now();
    Engine* e = Engine::Create();
    if (!e) {
        std::fprintf(stderr, "Engine::Create failed over %ls\n", folder.c_str());
        Unregister();
        return 1;
    }
    if (showNext >= 0) e->dme->showNextLength = static_cast<uint8_t>(showNext);
    Step("engine created", pause);
    Memory created = Now();
    // Codes of words of the table, typed digit by digit, each list's first page built.
    TableView v = MakeTableView(e->mainTable);
    std::mt19937 rng(11);
    std::uniform_int_distribution<int32_t> pick(0, v.count > 0 ? v.count - 1 : 0);
    for (int w = 0; w < words && v.count > 0; ++w) {
        const uint8_t* entry = v.EntryAt(pick(rng));
        if (!entry) continue;
        const uint8_t* code = EntryCode(entry);
        Engine::ResetInput(e);
        for (unsigned i = 0; i < code[0] && i < kMaxCodeUnits; ++i) {
            e->input.code[i] =
                static_cast<wchar_t>(code[1 + i] < 0x20 ? 0xFF00 + code[1 + i] : code[1 + i]);
            e->input.codeLength = i + 1;
            e->input.caret = i + 1;
            e->input.code[i + 1] = 0;
            Engine::ProcessInput(e);
        }
    }
    Step("words typed", pause);
    Memory typed = Now();
    CandidateHost host{};
    host.imm32 = true;
    bool window = CreateCandidateWindow(e, host);
    const RECT caret{300, 300, 302, 320};
    if (window) ShowCandidateWindow(e, caret);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Step("candidate window shown", pause);
    Memory shown = Now();
    std::printf("anonymous resident memory (private): %zu KB at start, %zu KB before the engine\n",
                start.anon, before.anon);
    std::printf("  engine created          +%zu KB (file pages %zu KB)\n",
                created.anon - before.anon, created.file);
    std::printf("  %d words typed          +%zu KB (file pages %zu KB)\n", words,
                typed.anon - before.anon, typed.file);
    std::printf("  candidate window %s  +%zu KB (file pages %zu KB)\n",
                window ? "shown " : "failed", shown.anon - before.anon, shown.file);
    std::printf(
        "  of which kept lists of short prefixes %.0f KB, marked positions %.0f KB, engine record "
        "%.0f KB\n",
        ListCacheBytes() / 1024.0, MarkedPositionsBytes() / 1024.0, sizeof(Engine) / 1024.0);
    if (window) DestroyCandidateWindow(e);
    Engine::Destroy(e);

    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    std::vector<double> ms;
    for (int i = 0; i < creates; ++i) {
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        Engine* e = Engine::Create();
        QueryPerformanceCounter(&b);
        if (!e) {
            std::fprintf(stderr, "Engine::Create failed\n");
            Unregister();
            return 1;
        }
        ms.push_back(static_cast<double>(b.QuadPart - a.QuadPart) * 1000.0 /
                     static_cast<double>(freq.QuadPart));
        Engine::Destroy(e);
    }
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    std::printf("Engine::Create, %d times: first %.2f ms, median %.2f ms, p90 %.2f ms\n", creates,
                ms[0], sorted[sorted.size() / 2], sorted[sorted.size() * 9 / 10]);

    Unregister();
    return 0;
}
