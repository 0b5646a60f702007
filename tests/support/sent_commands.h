// A UI-command sink for tests: keeps every command sent, in order, and answers it as handled.
#pragma once
#include <cstdint>
#include <vector>

namespace testing_support {

struct Sent {
    uint32_t code;
    uintptr_t first, second;
};
inline std::vector<Sent> g_sent;

inline int RecordCommand(void*, uint32_t code, uintptr_t first, uintptr_t second) {
    g_sent.push_back({code, first, second});
    return 1;
}

}  // namespace testing_support
