// An input-method engine record over in-memory settings and a small keypad table, with a
// platform table whose keyboard, clock and synthesised keys the test controls.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/base/mapped_file.h"
#include "core/record/engine.h"
#include "engine/platform.h"
#include "support/table_fixture.h"

namespace testing_support {

// A key synthesised through the platform table.
struct SentKey {
    uint8_t vk;
    bool up;
    bool operator==(const SentKey& o) const { return vk == o.vk && up == o.up; }
};

// The test's keyboard and clock; installed as the engine platform while it lives.
class FakeKeyboard {
public:
    FakeKeyboard();
    ~FakeKeyboard();
    FakeKeyboard(const FakeKeyboard&) = delete;
    FakeKeyboard& operator=(const FakeKeyboard&) = delete;

    void Press(int vk, bool down) { down_[vk & 0xFF] = down; }
    void SetCapsLock(bool on) { caps_ = on; }
    void Advance(uint64_t ms) { ticks_ += ms; }

    std::vector<SentKey> sent;
    // A synthesised Caps Lock press flips the toggle, as a real keyboard's does.
    bool sentCapsLockToggles = false;
    uint64_t ticks_ = 1'000'000;
    bool down_[256] = {};
    bool caps_ = false;
    // The platform table in force, for tests that replace more of it.
    EnginePlatform& platform() { return table_; }

private:
    EnginePlatform table_;
};

// Keypad digits 0x10-0x19 start and continue codes; the table holds "64486" 你好 and a few
// shorter codes; Space commits the highlighted row.
class KeypadEngine {
public:
    explicit KeypadEngine(std::vector<FixtureEntry> entries = DefaultEntries());
    // Over the bytes of a whole code-table file (a copy of main.dmg).
    explicit KeypadEngine(std::vector<uint8_t> mainTable);
    ~KeypadEngine();
    KeypadEngine(const KeypadEngine&) = delete;
    KeypadEngine& operator=(const KeypadEngine&) = delete;

    static std::vector<FixtureEntry> DefaultEntries();

    Engine* e;

private:
    void Init();
    std::vector<uint8_t> config_, main_;
    MappedFile configFile_, mainFile_;
};

// Code bytes of keypad digits typed as text ("64486" -> "\x16\x14\x14\x18\x16").
std::string KeypadCode(const char* digits);

}  // namespace testing_support
