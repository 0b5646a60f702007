// Targets that fault on purpose: the self-test shows that every kind of fault is caught,
// saved and reported (zan_fuzz --self-test).
#include <windows.h>

#include "fuzz/fuzz_target.h"

namespace fuzz {
namespace {

std::vector<Bytes> OneSeed(FuzzContext&) { return {Bytes{'s', 'e', 'e', 'd'}}; }

void ReadPastEnd(const uint8_t* data, size_t size, FuzzContext&) {
    volatile uint8_t sink = 0;
    for (size_t i = 0; i <= size; ++i) sink = sink + data[i];
}

// Deep recursion that the optimiser cannot turn into a loop; it ends only at a depth no
// stack holds.
volatile int g_depthLimit = 1 << 30;
__attribute__((noinline)) int Recurse(int depth) {
    volatile char frame[512];
    frame[0] = static_cast<char>(depth);
    if (depth >= g_depthLimit) return frame[0];
    return Recurse(depth + 1) + frame[0];
}

void OverflowStack(const uint8_t*, size_t, FuzzContext&) { Recurse(0); }

void Hang(const uint8_t*, size_t, FuzzContext&) {
    for (;;) Sleep(10);
}

void FailCheck(const uint8_t*, size_t, FuzzContext&) { Check(false, "planted check"); }

const bool registered =
    RegisterTarget(
        {"self-read-past-end", InputShape::kBinary, 1, OneSeed, ReadPastEnd, {}, true}) &&
    RegisterTarget(
        {"self-stack-overflow", InputShape::kBinary, 1, OneSeed, OverflowStack, {}, true}) &&
    RegisterTarget({"self-hang", InputShape::kBinary, 1, OneSeed, Hang, {}, true}) &&
    RegisterTarget({"self-check", InputShape::kBinary, 1, OneSeed, FailCheck, {}, true});

}  // namespace
}  // namespace fuzz
