// Settings words as the engine sees them: inside a lookup its private copy, else the live
// mapped fields. Nothing here writes config.dsc.
#pragma once
#include <cstdint>

#include "core/record/engine.h"

// DmeConfigData.inputOptions
constexpr uint32_t kInputPrefixSearch = 0x1;          // run-time: prefix search in force
constexpr uint32_t kInputLongerOnEmpty = 0x2;         // 仅在空码时显示后续编码
constexpr uint32_t kInputWildcardSingle = 0x4;        // 查询输入只查单字
constexpr uint32_t kInputWildcardFirstKey = 0x8;      // 开启首键查询
constexpr uint32_t kInputWildcardMatching = 0x10;     // run-time: wildcard matching in force
constexpr uint32_t kInputWildcardRepeat = 0x20;       // 开启查询键重复输入
constexpr uint32_t kInputNumberMode = 0x40;           // run-time: number conversion in force
constexpr uint32_t kInputNumberSoFar = 0x80;          // run-time: the code so far is a number
constexpr uint32_t kInputAutoCommitFullCode = 0x100;  // 自动上屏仅限全码
constexpr uint32_t kInputEmptyTopFullCode = 0x200;    // 智能顶屏仅限全码
constexpr uint32_t kInputExactLengths = 0x400;        // 以最简模式识别上/顶/清屏

inline uint32_t ImeOptions(const Engine* e) {
    if (e->lookup.active) return e->lookup.imeOptions;
    return e->ime ? e->ime->options : 0;
}
inline uint32_t InputOptions(const Engine* e) {
    if (e->lookup.active) return e->lookup.inputOptions;
    return e->dme ? e->dme->inputOptions : 0;
}
inline uint8_t WildcardChar(const Engine* e) {
    if (e->lookup.active) return e->lookup.wildcardChar;
    return e->dme ? e->dme->wildcardChar : 0;
}

// Starts a lookup's private copy (nested scopes share the outer copy) and ends it.
class LookupScope {
public:
    explicit LookupScope(Engine* e) : e_(e), outer_(e->lookup.active != 0) {
        if (!outer_) {
            e_->lookup.imeOptions = e_->ime ? e_->ime->options : 0;
            e_->lookup.inputOptions = e_->dme ? e_->dme->inputOptions : 0;
            e_->lookup.wildcardChar = e_->dme ? e_->dme->wildcardChar : 0;
            e_->lookup.active = 1;
        }
    }
    ~LookupScope() {
        if (!outer_) e_->lookup.active = 0;
    }
    LookupScope(const LookupScope&) = delete;
    LookupScope& operator=(const LookupScope&) = delete;

private:
    Engine* e_;
    bool outer_;
};

// Sets and clears bits of one word of the copy, putting the old value back at scope end.
class ScopedBits {
public:
    ScopedBits(uint32_t& word, uint32_t set, uint32_t clear) : word_(word), saved_(word) {
        word_ = (word_ & ~clear) | set;
    }
    ~ScopedBits() { word_ = saved_; }
    ScopedBits(const ScopedBits&) = delete;
    ScopedBits& operator=(const ScopedBits&) = delete;

private:
    uint32_t& word_;
    uint32_t saved_;
};
