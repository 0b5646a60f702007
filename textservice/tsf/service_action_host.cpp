#include "textservice/tsf/service_action_host.h"

#include <functional>
#include <memory>
#include <new>

#include "textservice/actions/key_dispatch.h"
#include "textservice/actions/key_step_host.h"
#include "textservice/actions/ui_command_handler.h"
#include "textservice/tsf/service_hooks.h"
#include "textservice/tsf/text_service.h"

namespace {

// Modes and windows over the service; the document part comes from Document.
template <class Document>
class ServiceActionHost final : public Document {
public:
    template <class... Args>
    ServiceActionHost(CTextService* service, Args&&... args)
        : Document(std::forward<Args>(args)...), s_(service) {}

    bool CanSwitchSoftKeyboard() override { return s_->editSinkContext() != nullptr; }
    bool ReadOpenState() override { return s_->KeyboardIsOpen(); }
    void WriteOpenState(bool open) override { s_->SetKeyboardOpenState(open); }
    uint32_t ReadConversionMode() override { return s_->GetConversionState(); }
    void WriteConversionMode(uint32_t mode) override { s_->SetConversionState(mode); }
    void RefreshLanguageBar() override { s_->RefreshLanguageBar(); }
    void UpdateKeyboardState() override { s_->UpdateKeyboardState(); }
    void ShowStateTip(const wchar_t* text) override { s_->ShowStateTip(text); }
    void SkipNextKey() override { s_->SkipNextKey(); }
    void ReAddLanguageBarButtons() override {
        const TextServiceHooks& h = ServiceHooks();
        if (h.removeLanguageBarButtons) h.removeLanguageBarButtons(s_);
        if (h.addLanguageBarButtons) h.addLanguageBarButtons(s_);
    }
    HWND OwnerWindow() override { return s_->focusWindow(); }
    void InterfaceToggled() override {
        if (ServiceHooks().interfaceToggled) ServiceHooks().interfaceToggled(s_);
    }
    void CandidateWindowToggled() override { s_->PlaceCandidateWindow(); }
    void ShowSoftKeyboard(uint32_t layout) override {
        if (ServiceHooks().showSoftKeyboard) ServiceHooks().showSoftKeyboard(s_, layout);
    }
    void HideSoftKeyboard() override {
        if (ServiceHooks().hideSoftKeyboard) ServiceHooks().hideSoftKeyboard(s_);
    }

private:
    CTextService* s_;
};

// The document outside a key step: each change runs in an edit session of its own on the
// context of the text edit sink.
class SessionDocument : public ActionHost {
public:
    explicit SessionDocument(CTextService* service) : s_(service) {}

    FrontEnd Kind() const override { return FrontEnd::kTextService; }
    bool Composing() override { return s_->HasComposition(s_->editSinkContext()); }
    void ActOnLookup(int result) override {
        s_->RunInSession([result](KeyStep& step) { step.DoEditAction(result); });
    }
    void ShowPage() override {
        s_->RunInSession([](KeyStep& step) { step.UpdateComposition(); });
    }
    int SelectCandidate(int selector) override {
        // The session may run after this returns: it writes to storage of its own.
        auto done = std::make_shared<int>(0);
        const HRESULT hr = s_->RunInSession(
            [done, selector](KeyStep& step) { *done = step.SelectCandidate(selector); });
        // One that waits for the host counts as done.
        return hr == TF_S_ASYNC ? 1 : *done;
    }
    void CommitCandidate() override {
        s_->RunInSession([](KeyStep& step) { step.CommitCandidate(); });
    }
    void EndComposition() override { s_->EndCurrentComposition(s_->editSinkContext()); }
    void RepeatLastCommit() override {
        s_->RunInSession([](KeyStep& step) { step.RepeatLastCommit(); });
    }
    void RunKeyHandler() override { s_->RequestKeyEditSession(nullptr); }
    int LastCommit(const wchar_t** text) override {
        const Engine* e = s_->engine();
        uint32_t n = s_->keyPath().savedCommitCount;
        if (n > e->input.outputLength) n = e->input.outputLength;
        *text = e->input.outputText;
        return static_cast<int>(n);
    }
    void ForgetLastCommit() override { s_->keyPath().savedCommitCount = 0; }

private:
    CTextService* s_;
};

}  // namespace

int ServiceDispatchKeyFunction(KeyStep& step, KeyFunctionMask action) {
    auto* service = static_cast<CTextService*>(step.frontEnd());
    if (!service || !step.engine()) return 0;
    ServiceActionHost<KeyStepActionHost> host(service, step);
    return DispatchKeyFunction(step.engine(), host, action);
}

int ServiceUICommand(CTextService* service, uint32_t code, uintptr_t first, uintptr_t second) {
    if (!service || !service->engine())
        return HandleUICommand(nullptr, nullptr, code, first, second);
    ServiceActionHost<SessionDocument> host(service, service);
    return HandleUICommand(service->engine(), &host, code, first, second);
}
