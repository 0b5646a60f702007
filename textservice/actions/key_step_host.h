// The document half of an action host over a running key step: what a key function does to
// the document goes into the step's action list. The front end adds its modes and windows.
#pragma once
#include "textservice/actions/action_host.h"
#include "textservice/keys/key_step.h"

class KeyStepActionHost : public ActionHost {
public:
    explicit KeyStepActionHost(KeyStep& step) : step_(step) {}

    FrontEnd Kind() const override { return step_.state().frontEnd; }
    bool Composing() override { return step_.composing(); }
    void ActOnLookup(int result) override { step_.DoEditAction(result); }
    void ShowPage() override { step_.UpdateComposition(); }
    int SelectCandidate(int selector) override { return step_.SelectCandidate(selector); }
    void CommitCandidate() override { step_.CommitCandidate(); }
    void EndComposition() override { step_.EndComposition(); }
    void RepeatLastCommit() override { step_.RepeatLastCommit(); }
    // Inside a key step the key's functions run again, in the same step.
    void RunKeyHandler() override;
    int LastCommit(const wchar_t** text) override;
    void ForgetLastCommit() override { step_.state().savedCommitCount = 0; }

protected:
    KeyStep& step_;
};
