// The targets of the mutation runner: each names a parser, makes its seed inputs with the
// project's own code and feeds one (mutated) input to the parser.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "support/test_files.h"

namespace fuzz {

using Bytes = std::vector<uint8_t>;

// How the mutator sees an input.
enum class InputShape {
    kBinary,  // bytes; 32-bit writes favour the hot ranges
    kText8,   // UTF-8 or ANSI text: line and token edits on bytes
    kText16,  // UTF-16LE text: line and token edits on units
};

struct HotRange {
    uint32_t first;
    uint32_t end;
};

// What a target may use while it runs: its own scratch folder, empty at the start of a run.
struct FuzzContext {
    std::wstring scratch;  // no trailing backslash
    // Inputs that got through to the target's deeper steps (a table that opened, an engine
    // that was created ...): shows that the inputs do not all stop at the first check.
    int64_t deep = 0;
};

struct FuzzTarget {
    const char* name;
    InputShape shape;
    int ciInputs;  // inputs of the short run
    // Seeds, made at start-up; every input is a mutation of one (or a splice of two).
    std::vector<Bytes> (*seeds)(FuzzContext& context);
    // Feeds one input; data holds exactly size readable bytes.
    void (*run)(const uint8_t* data, size_t size, FuzzContext& context);
    std::vector<HotRange> hot;  // offsets where headers, counts and offsets live
    bool selfTest = false;      // faults on purpose: run only with --self-test
};

// Registration from the target files (static initialisers).
bool RegisterTarget(FuzzTarget target);
const std::vector<FuzzTarget>& Targets();
const FuzzTarget* FindTarget(const std::string& name);

// A logical fault found by a target (a file outside the extraction folder, a broken
// invariant): reported and saved like a crash.
[[noreturn]] void Fail(const char* what);
inline void Check(bool ok, const char* what) {
    if (!ok) Fail(what);
}

// Bytes placed so that their last byte is the last readable one before an inaccessible page
// (or, with atStart, so that the first byte follows one).
class GuardedBytes {
public:
    GuardedBytes(const void* data, size_t size, bool atStart = false);
    ~GuardedBytes();
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;
    uint8_t* data() const { return data_; }
    size_t size() const { return size_; }

private:
    uint8_t* base_ = nullptr;
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

// A UTF-16 text of the input's units with a NUL as the last readable unit.
class GuardedText {
public:
    GuardedText(const uint8_t* data, size_t size);
    const wchar_t* text() const { return reinterpret_cast<const wchar_t*>(bytes_.data()); }
    wchar_t* text() { return reinterpret_cast<wchar_t*>(bytes_.data()); }
    size_t units() const { return (bytes_.size() / 2) - 1; }

private:
    static Bytes WithNul(const uint8_t* data, size_t size);
    Bytes copy_;
    GuardedBytes bytes_;
};

// Helpers shared by the targets.
std::wstring Widen(const std::string& utf8);
Bytes Utf16Bytes(const std::wstring& text);
bool WriteWholeFile(const std::wstring& path, const void* data, size_t size);
Bytes ReadWholeFile(const std::wstring& path);
// The test support's folder removal.
inline void RemoveFolderTree(const std::wstring& path) { testing_support::RemoveTree(path); }

}  // namespace fuzz
