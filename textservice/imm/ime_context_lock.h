// The working set of every IMM32 operation: an input context and its blocks, locked for one
// scope in a fixed order and unlocked in reverse.
#pragma once
#include "core/record/engine.h"
#include "textservice/imm/ime_session.h"
#include "textservice/imm/imm_driver.h"

class ImeContextLock {
public:
    explicit ImeContextLock(HIMC himc);
    ~ImeContextLock();
    ImeContextLock(const ImeContextLock&) = delete;
    ImeContextLock& operator=(const ImeContextLock&) = delete;

    // The input context itself could be locked.
    bool locked() const { return ic_ != nullptr; }
    // Locked with every block and an engine record.
    bool ready() const { return ic_ && cs_ && ci_ && list_ && engine_ && session_; }

    HIMC himc() const { return himc_; }
    INPUTCONTEXT* ic() const { return ic_; }
    COMPOSITIONSTRING* cs() const { return cs_; }
    CANDIDATEINFO* ci() const { return ci_; }
    CANDIDATELIST* list() const { return list_; }
    Engine* engine() const { return engine_; }
    ImeSession* session() const { return session_; }
    // Stores a new engine record in the private block (null clears it).
    void SetEngine(Engine* engine);

private:
    void LockBlocks();
    void UnlockBlocks();

    HIMC himc_;
    INPUTCONTEXT* ic_ = nullptr;
    COMPOSITIONSTRING* cs_ = nullptr;
    CANDIDATEINFO* ci_ = nullptr;
    CANDIDATELIST* list_ = nullptr;
    Engine** private_ = nullptr;
    Engine* engine_ = nullptr;
    ImeSession* session_ = nullptr;

public:
    // After the blocks were replaced (set-up): lock them again.
    void Relock() {
        UnlockBlocks();
        LockBlocks();
    }
};
