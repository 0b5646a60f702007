// Deterministic mutation of seed inputs: the same (target, run seed, index) always gives the
// same input.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_target.h"

namespace fuzz {

class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint32_t Below(uint64_t n) { return n ? static_cast<uint32_t>(Next() % n) : 0; }
    bool OneIn(uint32_t n) { return Below(n) == 0; }

private:
    uint64_t state_;
};

uint64_t HashName(const char* name);

// The input with the given index of a run: a seed (every 16th input unchanged), mutated one
// to a few times, sometimes many times.
Bytes MakeInput(const FuzzTarget& target, const std::vector<Bytes>& seeds, uint64_t runSeed,
                uint64_t index);

}  // namespace fuzz
