#include "textservice/imm/ime_context_lock.h"

#include "textservice/imm/ime_blocks.h"

ImeContextLock::ImeContextLock(HIMC himc) : himc_(himc) {
    if (!himc) return;
    ic_ = ImmLockIMC(himc);
    if (!ic_) return;
    LockBlocks();
}

ImeContextLock::~ImeContextLock() {
    if (!ic_) return;
    UnlockBlocks();
    ImmUnlockIMC(himc_);
}

void ImeContextLock::LockBlocks() {
    if (ic_->hCompStr && ImmGetIMCCSize(ic_->hCompStr) >= kCompStrBytes)
        cs_ = static_cast<COMPOSITIONSTRING*>(ImmLockIMCC(ic_->hCompStr));
    if (ic_->hCandInfo && ImmGetIMCCSize(ic_->hCandInfo) >= kCandInfoBytes) {
        ci_ = static_cast<CANDIDATEINFO*>(ImmLockIMCC(ic_->hCandInfo));
        if (ci_) list_ = CandidateListOf(ci_);
    }
    if (ic_->hPrivate && ImmGetIMCCSize(ic_->hPrivate) >= kPrivateBlockBytes)
        private_ = static_cast<Engine**>(ImmLockIMCC(ic_->hPrivate));
    if (private_) engine_ = *private_;
    session_ = SessionOf(engine_);
    if (session_) {
        session_->himc = himc_;
        session_->focusWindow = ic_->hWnd;
    }
}

void ImeContextLock::UnlockBlocks() {
    engine_ = nullptr;
    session_ = nullptr;
    if (private_) ImmUnlockIMCC(ic_->hPrivate);
    private_ = nullptr;
    list_ = nullptr;
    if (ci_) ImmUnlockIMCC(ic_->hCandInfo);
    ci_ = nullptr;
    if (cs_) ImmUnlockIMCC(ic_->hCompStr);
    cs_ = nullptr;
}

void ImeContextLock::SetEngine(Engine* engine) {
    if (!private_) return;
    *private_ = engine;
    engine_ = engine;
    session_ = SessionOf(engine);
    if (session_) {
        session_->himc = himc_;
        session_->focusWindow = ic_->hWnd;
    }
}
