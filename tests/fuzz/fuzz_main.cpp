// Mutation runner. The parent runs one child process per target and restarts it after a
// fault, from the input behind the faulting one. Usage:
//   zan_fuzz [--inputs N | --seconds S] [--target a,b] [--seed X] [--out DIR] [--self-test]
//   zan_fuzz --target T --replay FILE       runs one saved input
//   zan_fuzz --target T --index I [--seed X] runs one input of a run
//   zan_fuzz --list
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fault_report.h"
#include "fuzz/fuzz_target.h"
#include "fuzz/mutator.h"

namespace fuzz {

namespace {

std::vector<FuzzTarget>& Registry() {
    static std::vector<FuzzTarget> targets;
    return targets;
}

struct Options {
    int64_t inputs = -1;  // per target
    double seconds = -1;  // per target
    uint64_t seed = 1;
    std::vector<std::string> targets;
    std::wstring out = L"fuzz-out";
    bool selfTest = false;
    bool child = false;
    bool list = false;
    int64_t from = 0;
    int64_t index = -1;
    std::wstring replay;
    uintptr_t progressHandle = 0;
};

std::vector<std::string> SplitComma(const std::string& s) {
    std::vector<std::string> out;
    size_t at = 0;
    while (at <= s.size()) {
        size_t comma = s.find(',', at);
        if (comma == std::string::npos) comma = s.size();
        if (comma > at) out.push_back(s.substr(at, comma - at));
        at = comma + 1;
    }
    return out;
}

std::string Narrow(const std::wstring& w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string s(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                        nullptr);
    return s;
}

bool ParseOptions(int argc, wchar_t** argv, Options* o) {
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        auto next = [&]() -> std::wstring { return i + 1 < argc ? argv[++i] : L""; };
        if (a == L"--inputs") {
            o->inputs = _wtoi64(next().c_str());
        } else if (a == L"--seconds") {
            o->seconds = _wtof(next().c_str());
        } else if (a == L"--seed") {
            o->seed = _wcstoui64(next().c_str(), nullptr, 10);
        } else if (a == L"--target") {
            o->targets = SplitComma(Narrow(next()));
        } else if (a == L"--out") {
            o->out = next();
        } else if (a == L"--self-test") {
            o->selfTest = true;
        } else if (a == L"--child") {
            o->child = true;
        } else if (a == L"--from") {
            o->from = _wtoi64(next().c_str());
        } else if (a == L"--index") {
            o->index = _wtoi64(next().c_str());
        } else if (a == L"--replay") {
            o->replay = next();
        } else if (a == L"--progress") {
            o->progressHandle = static_cast<uintptr_t>(_wcstoui64(next().c_str(), nullptr, 10));
        } else if (a == L"--list") {
            o->list = true;
        } else {
            std::fprintf(stderr, "unknown argument %ls\n", a.c_str());
            return false;
        }
    }
    return true;
}

std::wstring MakeScratch() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    wchar_t path[MAX_PATH];
    _snwprintf(path, MAX_PATH, L"%lszanfuzz-%lu", temp, GetCurrentProcessId());
    path[MAX_PATH - 1] = 0;
    RemoveFolderTree(path);
    CreateDirectoryW(path, nullptr);
    return path;
}

// ---- child ----

struct ChildRun {
    const FuzzTarget* target;
    const Options* options;
    ChildProgress* progress;
    const Bytes* current;
    FuzzContext context;
};

void RunOne(ChildRun& run, const Bytes& input, int64_t index) {
    run.current = &input;
    if (run.progress) {
        run.progress->index = index;
        run.progress->startTick = GetTickCount64();
    }
    {
        GuardedBytes placed(input.data(), input.size(), index % 4 == 3);
        run.target->run(placed.data(), placed.size(), run.context);
    }
    if (run.progress) {
        run.progress->startTick = 0;
        run.progress->done = run.progress->done + 1;
        run.progress->deep = run.context.deep;
    }
}

void ChildWork(void* p) {
    ChildRun& run = *static_cast<ChildRun*>(p);
    const Options& o = *run.options;
    std::vector<Bytes> seeds = run.target->seeds(run.context);
    if (!o.replay.empty()) {
        RunOne(run, ReadWholeFile(o.replay), o.index >= 0 ? o.index : 0);
        return;
    }
    if (o.index >= 0) {
        RunOne(run, MakeInput(*run.target, seeds, o.seed, o.index), o.index);
        return;
    }
    const uint64_t start = GetTickCount64();
    for (int64_t i = o.from;; ++i) {
        if (o.inputs >= 0 && i >= o.inputs) break;
        if (o.seconds >= 0 && GetTickCount64() - start >= o.seconds * 1000) break;
        Bytes input = MakeInput(*run.target, seeds, o.seed, static_cast<uint64_t>(i));
        RunOne(run, input, i);
    }
}

int RunChild(const Options& o) {
    if (o.targets.size() != 1) return 2;
    const FuzzTarget* t = FindTarget(o.targets[0]);
    if (!t) {
        std::fprintf(stderr, "no target %s\n", o.targets[0].c_str());
        return 2;
    }
    ChildRun run{t, &o, nullptr, nullptr, {}};
    if (o.progressHandle) {
        run.progress =
            static_cast<ChildProgress*>(MapViewOfFile(reinterpret_cast<HANDLE>(o.progressHandle),
                                                      FILE_MAP_WRITE, 0, 0, sizeof(ChildProgress)));
    }
    run.context.scratch = MakeScratch();
    // The tools' work files in %TEMP% have fixed names: each child gets a %TEMP% of its own,
    // so that runs and tests at the same time never share them.
    const std::wstring temp = run.context.scratch + L"-temp";
    RemoveFolderTree(temp);
    CreateDirectoryW(temp.c_str(), nullptr);
    SetEnvironmentVariableW(L"TEMP", temp.c_str());
    SetEnvironmentVariableW(L"TMP", temp.c_str());
    InstallFaultHandlers({t, o.seed, o.out, run.progress, &run.current});
    RunWatched(ChildWork, &run);
    RemoveFolderTree(run.context.scratch);
    RemoveFolderTree(temp);
    return 0;
}

// ---- parent ----

struct TargetResult {
    std::string name;
    int64_t inputs = 0;
    int64_t deep = 0;
    std::vector<std::string> faults;
    double seconds = 0;
};

std::wstring SelfPath() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

TargetResult RunTarget(const FuzzTarget& t, const Options& o) {
    TargetResult result;
    result.name = t.name;
    const uint64_t began = GetTickCount64();
    int64_t next = 0;
    const int64_t total = o.inputs >= 0 ? o.inputs : (o.seconds >= 0 ? -1 : t.ciInputs);
    for (int restarts = 0; restarts < 50; ++restarts) {
        const double elapsed = (GetTickCount64() - began) / 1000.0;
        if (total >= 0 && next >= total) break;
        if (total < 0 && elapsed >= o.seconds) break;
        SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
        HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, &sa, PAGE_READWRITE, 0,
                                            sizeof(ChildProgress), nullptr);
        auto* progress = static_cast<ChildProgress*>(
            MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(ChildProgress)));
        std::memset(progress, 0, sizeof *progress);
        progress->index = next;
        wchar_t command[2048];
        if (total >= 0) {
            _snwprintf(command, 2048,
                       L"\"%ls\" --child --target %hs --from %lld --inputs %lld --seed %llu "
                       L"--out \"%ls\" --progress %llu",
                       SelfPath().c_str(), t.name, static_cast<long long>(next),
                       static_cast<long long>(total), static_cast<unsigned long long>(o.seed),
                       o.out.c_str(),
                       static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(mapping)));
        } else {
            _snwprintf(command, 2048,
                       L"\"%ls\" --child --target %hs --from %lld --seconds %.3f --seed %llu "
                       L"--out \"%ls\" --progress %llu",
                       SelfPath().c_str(), t.name, static_cast<long long>(next),
                       o.seconds - elapsed, static_cast<unsigned long long>(o.seed), o.out.c_str(),
                       static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(mapping)));
        }
        command[2047] = 0;
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                            &pi)) {
            result.faults.push_back("the child process could not be started");
            UnmapViewOfFile(progress);
            CloseHandle(mapping);
            break;
        }
        // Seeds and start-up take a few seconds; the inputs have their own watchdog.
        WaitForSingleObject(pi.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        result.inputs += progress->done;
        result.deep += progress->deep;
        const int64_t at = progress->index;
        if (code == 0) {
            next = total >= 0 ? total : next + progress->done;
            UnmapViewOfFile(progress);
            CloseHandle(mapping);
            if (total < 0) continue;  // time left: the child stopped at its own deadline
            break;
        }
        char line[1200];
        if (code == static_cast<DWORD>(kFaultExitCode) && progress->faulted) {
            std::snprintf(line, sizeof line, "input %lld: %s\n    reproducer: %s",
                          static_cast<long long>(at), progress->what,
                          Narrow(progress->reproducer).c_str());
        } else {
            std::snprintf(line, sizeof line,
                          "input %lld: the child ended with code 0x%lx; replay with "
                          "zan_fuzz --target %s --index %lld --seed %llu",
                          static_cast<long long>(at), code, t.name, static_cast<long long>(at),
                          static_cast<unsigned long long>(o.seed));
        }
        result.faults.push_back(line);
        ++result.inputs;  // the faulting input ran too
        next = at + 1;
        UnmapViewOfFile(progress);
        CloseHandle(mapping);
    }
    result.seconds = (GetTickCount64() - began) / 1000.0;
    // A target whose inputs all stop at the first check tests nothing: its setup is broken
    // (a seed that no longer builds, an engine that cannot be created).
    if (!t.selfTest && result.inputs > 0 && result.deep == 0)
        result.faults.push_back("no input got past the first checks: the target's setup is broken");
    return result;
}

int RunParent(const Options& o) {
    std::vector<const FuzzTarget*> chosen;
    if (!o.targets.empty()) {
        for (const std::string& n : o.targets) {
            const FuzzTarget* t = FindTarget(n);
            if (!t) {
                std::fprintf(stderr, "no target %s\n", n.c_str());
                return 2;
            }
            chosen.push_back(t);
        }
    } else {
        for (const FuzzTarget& t : Targets())
            if (t.selfTest == o.selfTest) chosen.push_back(&t);
    }
    CreateDirectoryW(o.out.c_str(), nullptr);
    std::vector<TargetResult> results;
    for (const FuzzTarget* t : chosen) {
        results.push_back(RunTarget(*t, o));
        const TargetResult& r = results.back();
        std::printf("%-18s %9lld inputs (%lld deep) %8.1f s %8.0f/s  %zu fault(s)\n",
                    r.name.c_str(), static_cast<long long>(r.inputs),
                    static_cast<long long>(r.deep), r.seconds,
                    r.seconds > 0 ? r.inputs / r.seconds : 0.0, r.faults.size());
        for (const std::string& f : r.faults) std::printf("    %s\n", f.c_str());
        std::fflush(stdout);
    }
    if (o.selfTest) {
        // Every self-test target must have been caught exactly once.
        bool ok = true;
        for (const TargetResult& r : results)
            if (r.faults.size() != 1) ok = false;
        std::printf(ok ? "self-test: every planted fault was caught\n"
                       : "self-test: a planted fault was missed\n");
        return ok ? 0 : 1;
    }
    size_t faults = 0;
    for (const TargetResult& r : results) faults += r.faults.size();
    if (faults) std::printf("%zu fault(s); reproducers under %ls\n", faults, o.out.c_str());
    return faults ? 1 : 0;
}

}  // namespace

bool RegisterTarget(FuzzTarget target) {
    Registry().push_back(std::move(target));
    return true;
}

const std::vector<FuzzTarget>& Targets() { return Registry(); }

const FuzzTarget* FindTarget(const std::string& name) {
    for (const FuzzTarget& t : Registry())
        if (name == t.name) return &t;
    return nullptr;
}

}  // namespace fuzz

int wmain(int argc, wchar_t** argv) {
    using namespace fuzz;
    Options o;
    if (!ParseOptions(argc, argv, &o)) return 2;
    wchar_t full[MAX_PATH];
    if (GetFullPathNameW(o.out.c_str(), MAX_PATH, full, nullptr)) o.out = full;
    if (o.list) {
        for (const FuzzTarget& t : Targets())
            std::printf("%s%s\n", t.name, t.selfTest ? " (self-test)" : "");
        return 0;
    }
    if (o.child || !o.replay.empty() || o.index >= 0) return RunChild(o);
    return RunParent(o);
}
