#include "fuzz/fault_report.h"

#include <psapi.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>

namespace fuzz {

namespace {

FaultSetup g_setup;
HANDLE g_faultEvent = nullptr;
HANDLE g_worker = nullptr;
volatile LONG g_faulting = 0;
CONTEXT g_context;
EXCEPTION_RECORD g_record;
char g_kind[96];

[[noreturn]] void Fault(const char* kind, const CONTEXT* context, const EXCEPTION_RECORD* record) {
    // Only the first fault is reported; any later one waits for the end.
    if (InterlockedExchange(&g_faulting, 1) != 0) {
        for (;;) Sleep(INFINITE);
    }
    std::memcpy(&g_context, context, sizeof g_context);
    if (record)
        std::memcpy(&g_record, record, sizeof g_record);
    else
        std::memset(&g_record, 0, sizeof g_record);
    std::snprintf(g_kind, sizeof g_kind, "%s", kind);
    SetEvent(g_faultEvent);
    // The watching thread writes the report from its own stack (this one may be used up).
    for (;;) Sleep(INFINITE);
}

const char* KindOf(DWORD code) {
    switch (code) {
        case EXCEPTION_ACCESS_VIOLATION:
            return "access violation";
        case EXCEPTION_STACK_OVERFLOW:
            return "stack overflow";
        case EXCEPTION_ILLEGAL_INSTRUCTION:
            return "illegal instruction";
        case EXCEPTION_PRIV_INSTRUCTION:
            return "privileged instruction";
        case EXCEPTION_INT_DIVIDE_BY_ZERO:
            return "integer division by zero";
        case EXCEPTION_INT_OVERFLOW:
            return "integer overflow";
        case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
            return "array bounds exceeded";
        case EXCEPTION_DATATYPE_MISALIGNMENT:
            return "misaligned data";
        case EXCEPTION_IN_PAGE_ERROR:
            return "in-page error";
        case kFailExceptionCode:
            return "check failed";
        default:
            return nullptr;
    }
}

bool InModule(const void* address, HMODULE module) {
    MODULEINFO info{};
    if (!module || !GetModuleInformation(GetCurrentProcess(), module, &info, sizeof info))
        return false;
    const auto* base = static_cast<const uint8_t*>(info.lpBaseOfDll);
    return address >= base && address < base + info.SizeOfImage;
}

// Faults in this program or in the C library it calls (memcmp, strcmp ...); faults inside
// other system code may be handled there and are left to the unhandled-exception filter.
bool OursOrCrt(const void* address) {
    return InModule(address, GetModuleHandleW(nullptr)) ||
           InModule(address, GetModuleHandleW(L"msvcrt.dll")) ||
           InModule(address, GetModuleHandleW(L"ucrtbase.dll"));
}

LONG CALLBACK Vectored(EXCEPTION_POINTERS* info) {
    const DWORD code = info->ExceptionRecord->ExceptionCode;
    const char* kind = KindOf(code);
    if (!kind) return EXCEPTION_CONTINUE_SEARCH;
    if (code != EXCEPTION_STACK_OVERFLOW && code != kFailExceptionCode &&
        !OursOrCrt(info->ExceptionRecord->ExceptionAddress))
        return EXCEPTION_CONTINUE_SEARCH;
    Fault(kind, info->ContextRecord, info->ExceptionRecord);
}

LONG WINAPI Unhandled(EXCEPTION_POINTERS* info) {
    const char* kind = KindOf(info->ExceptionRecord->ExceptionCode);
    Fault(kind ? kind : "unhandled exception", info->ContextRecord, info->ExceptionRecord);
}

void OnAbort(int) {
    CONTEXT c;
    RtlCaptureContext(&c);
    Fault("abort", &c, nullptr);
}

void OnTerminate() {
    CONTEXT c;
    RtlCaptureContext(&c);
    Fault("terminate (exception left a function)", &c, nullptr);
}

// "module+0xoffset" of an address.
void DescribeAddress(uint64_t address, char* out, size_t capacity) {
    HMODULE module = nullptr;
    if (GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(address), &module) &&
        module) {
        wchar_t path[MAX_PATH] = L"";
        GetModuleFileNameW(module, path, MAX_PATH);
        const wchar_t* name = wcsrchr(path, L'\\');
        name = name ? name + 1 : path;
        std::snprintf(
            out, capacity, "%ls+0x%llx", name,
            static_cast<unsigned long long>(address - reinterpret_cast<uint64_t>(module)));
    } else {
        std::snprintf(out, capacity, "0x%llx", static_cast<unsigned long long>(address));
    }
}

std::string StackText(CONTEXT context) {
    std::string text;
    char line[400];
    for (int frame = 0; frame < 48 && context.Rip; ++frame) {
        DescribeAddress(context.Rip, line, sizeof line);
        text += "  ";
        text += line;
        text += "\n";
        DWORD64 imageBase = 0;
        PRUNTIME_FUNCTION fn = RtlLookupFunctionEntry(context.Rip, &imageBase, nullptr);
        if (fn) {
            void* handlerData = nullptr;
            DWORD64 establisher = 0;
            RtlVirtualUnwind(UNW_FLAG_NHANDLER, imageBase, context.Rip, fn, &context, &handlerData,
                             &establisher, nullptr);
        } else {
            // A leaf function: the return address is on top of the stack.
            MEMORY_BASIC_INFORMATION mbi;
            if (!VirtualQuery(reinterpret_cast<void*>(context.Rsp), &mbi, sizeof mbi) ||
                mbi.State != MEM_COMMIT)
                break;
            context.Rip = *reinterpret_cast<DWORD64*>(context.Rsp);
            context.Rsp += 8;
        }
    }
    return text;
}

void WriteFileText(const std::wstring& path, const std::string& text) {
    WriteWholeFile(path, text.data(), text.size());
}

[[noreturn]] void Report() {
    ChildProgress* p = g_setup.progress;
    const int64_t index = p ? p->index : -1;
    const std::wstring folder = g_setup.outFolder + L"\\" + Widen(g_setup.target->name);
    CreateDirectoryW(g_setup.outFolder.c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    wchar_t base[600];
    _snwprintf(base, 600, L"%ls\\fault-%lld-%llu", folder.c_str(), static_cast<long long>(index),
               static_cast<unsigned long long>(g_setup.runSeed));
    base[599] = 0;
    const Bytes* input = g_setup.currentInput ? *g_setup.currentInput : nullptr;
    const std::wstring inputPath = std::wstring(base) + L".bin";
    if (input) WriteWholeFile(inputPath, input->data(), input->size());

    char head[1024];
    char where[400];
    DescribeAddress(g_context.Rip, where, sizeof where);
    std::string detail;
    if (g_record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && g_record.NumberParameters >= 2) {
        char d[128];
        const ULONG_PTR op = g_record.ExceptionInformation[0];
        std::snprintf(d, sizeof d, " (%s 0x%llx)",
                      op == 0   ? "read"
                      : op == 1 ? "write"
                                : "execute",
                      static_cast<unsigned long long>(g_record.ExceptionInformation[1]));
        detail = d;
    }
    if (g_record.ExceptionCode == kFailExceptionCode && g_record.NumberParameters >= 1)
        detail =
            std::string(": ") + reinterpret_cast<const char*>(g_record.ExceptionInformation[0]);
    std::snprintf(head, sizeof head,
                  "target %s, input %lld, run seed %llu, %llu bytes\n%s%s at %s\n"
                  "replay: zan_fuzz --target %s --replay <this file without .txt, with .bin>\n"
                  "stack:\n",
                  g_setup.target->name, static_cast<long long>(index),
                  static_cast<unsigned long long>(g_setup.runSeed),
                  static_cast<unsigned long long>(input ? input->size() : 0), g_kind,
                  detail.c_str(), where, g_setup.target->name);
    WriteFileText(std::wstring(base) + L".txt", std::string(head) + StackText(g_context));
    if (p) {
        p->faulted = 1;
        _snwprintf(p->reproducer, 520, L"%ls", inputPath.c_str());
        p->reproducer[519] = 0;
        std::snprintf(p->what, sizeof p->what, "%s%s at %s", g_kind, detail.c_str(), where);
    }
    std::fprintf(stderr, "fault in %s at input %lld: %s%s at %s\n  saved %ls\n",
                 g_setup.target->name, static_cast<long long>(index), g_kind, detail.c_str(), where,
                 inputPath.c_str());
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), kFaultExitCode);
    for (;;) Sleep(INFINITE);
}

struct WorkItem {
    void (*work)(void*);
    void* context;
};

DWORD WINAPI WorkerMain(void* p) {
    ULONG guarantee = 64 * 1024;
    SetThreadStackGuarantee(&guarantee);
    auto* item = static_cast<WorkItem*>(p);
    item->work(item->context);
    return 0;
}

}  // namespace

[[noreturn]] void Fail(const char* what) {
    const ULONG_PTR arg = reinterpret_cast<ULONG_PTR>(what);
    RaiseException(kFailExceptionCode, EXCEPTION_NONCONTINUABLE, 1, &arg);
    for (;;) Sleep(INFINITE);
}

void InstallFaultHandlers(const FaultSetup& setup) {
    g_setup = setup;
    g_faultEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    AddVectoredExceptionHandler(1, Vectored);
    SetUnhandledExceptionFilter(Unhandled);
    std::signal(SIGABRT, OnAbort);
    std::set_terminate(OnTerminate);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
}

void RunWatched(void (*work)(void*), void* context) {
    WorkItem item{work, context};
    // A host application's main thread has 1 MB of stack.
    g_worker = CreateThread(nullptr, 1 << 20, WorkerMain, &item, STACK_SIZE_PARAM_IS_A_RESERVATION,
                            nullptr);
    if (!g_worker) Fail("no worker thread");
    HANDLE waits[2] = {g_faultEvent, g_worker};
    for (;;) {
        const DWORD r = WaitForMultipleObjects(2, waits, FALSE, 50);
        if (r == WAIT_OBJECT_0) Report();
        if (r == WAIT_OBJECT_0 + 1) break;
        ChildProgress* p = g_setup.progress;
        const uint64_t start = p ? p->startTick : 0;
        if (start && GetTickCount64() - start > kInputTimeLimitMs) {
            if (InterlockedExchange(&g_faulting, 1) != 0) continue;
            SuspendThread(g_worker);
            CONTEXT c{};
            c.ContextFlags = CONTEXT_FULL;
            GetThreadContext(g_worker, &c);
            g_context = c;
            std::memset(&g_record, 0, sizeof g_record);
            std::snprintf(g_kind, sizeof g_kind, "input ran over %llu ms",
                          static_cast<unsigned long long>(kInputTimeLimitMs));
            Report();
        }
    }
    CloseHandle(g_worker);
    g_worker = nullptr;
}

}  // namespace fuzz
