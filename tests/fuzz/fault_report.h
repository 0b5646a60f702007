// Catching faults in the child process that runs one target: access violations, stack
// overflows and other hardware exceptions (vectored handler and unhandled-exception filter),
// aborts, logical faults (fuzz::Fail) and inputs that run too long (watchdog). The faulting
// input is saved with the stack of the faulting thread, and the process ends with
// kFaultExitCode.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "fuzz/fuzz_target.h"

namespace fuzz {

constexpr int kFaultExitCode = 0x46;
constexpr DWORD kFailExceptionCode = 0xE0F0F001;
constexpr uint64_t kInputTimeLimitMs = 2000;

// Shared with the parent through an inherited mapping.
struct ChildProgress {
    volatile int64_t index;       // input being run, or the last one run
    volatile int64_t done;        // inputs finished
    volatile uint64_t startTick;  // GetTickCount64 when the current input started; 0 between
    volatile int32_t faulted;
    volatile int64_t deep;    // FuzzContext::deep of the inputs finished
    wchar_t reproducer[520];  // path of the saved input
    char what[256];           // one line about the fault
};

struct FaultSetup {
    const FuzzTarget* target;
    uint64_t runSeed;
    std::wstring outFolder;  // reproducers go to outFolder\<target>
    ChildProgress* progress;
    const Bytes* const* currentInput;  // the input being run (the unmutated placement)
};

// Installs the handlers for the calling process.
void InstallFaultHandlers(const FaultSetup& setup);
// Runs work on a thread of a host-like stack (1 MB) while this thread watches it. Returns
// when work returns; a fault or timeout ends the process from inside.
void RunWatched(void (*work)(void*), void* context);

}  // namespace fuzz
