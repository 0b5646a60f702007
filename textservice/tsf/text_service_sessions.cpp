// The key steps' edit sessions: asked for, and run with the engine's key.
#include <new>

#include "engine/commands/command_pick.h"
#include "textservice/tsf/edit_sessions.h"
#include "textservice/tsf/service_action_host.h"
#include "textservice/tsf/service_hooks.h"
#include "textservice/tsf/text_service.h"

namespace {

DWORD SessionFlags() { return TF_ES_READWRITE | ServiceSeams().sessionFlags; }

}  // namespace

HRESULT CTextService::RequestKeyEditSession(ITfContext* context) {
    if (!engine_) return E_FAIL;
    const TextServiceHooks& hooks = ServiceHooks();
    if (hooks.hideTip) hooks.hideTip(engine_);
    if (!engine_->input.keyChar) return E_FAIL;
    ITfContext* target = context ? context : editSinkContext_.get();
    if (!target) return E_FAIL;
    const InputState& in = engine_->input;
    const SessionKey key = {in.keyVk, in.keyAction, in.keyChar};
    return RequestSession(target, clientId_,
                          new (std::nothrow) CKeyHandlerEditSession(target, this, key),
                          SessionFlags());
}

void CTextService::EndCurrentComposition(ITfContext* context) {
    if (!context || !engine_) return;
    engine_->ClearInput();
    engine_->input.keyChar = nullptr;
    RequestSession(context, clientId_, new (std::nothrow) CEndCompositionEditSession(context, this),
                   SessionFlags());
}

bool CTextService::DocumentShowsCode() const {
    const uint32_t options = engine_ && engine_->ime ? engine_->ime->options : 0;
    return (options & (kImeStyleTsfEmbedCode | kImeStyleTsfEmbedFirst)) || activationFlags_;
}

HRESULT CTextService::HandleKeyInSession(TfEditCookie ec, ITfContext* context,
                                         const SessionKey& key) {
    if (!engine_) return E_FAIL;
    currentEc_ = ec;
    engine_->input.keyVk = key.code;
    engine_->input.keyAction = key.action;
    engine_->input.keyChar = key.text;
    DocumentActions actions;
    KeyStep step({engine_, &keys_, &actions, compositions_.Has(context), DocumentShowsCode(), this,
                  &ServiceDispatchKeyFunction});
    const KeyStepResult result = step.Run();
    ApplyDocumentActions(ec, context, actions);
    AfterCommands(step.commandBits());
    currentEc_ = 0;
    lastKeyResult_ = result;
    return result == KeyStepResult::kNotHandled ? S_FALSE : S_OK;
}

HRESULT CTextService::RunInSession(std::function<void(KeyStep&)> work) {
    ITfContext* context = editSinkContext_.get();
    if (!engine_ || !context) return E_FAIL;
    return RequestSession(context, clientId_,
                          new (std::nothrow) CStepEditSession(context, this, std::move(work)),
                          SessionFlags());
}

void CTextService::RunStepsInSession(TfEditCookie ec, ITfContext* context,
                                     const std::function<void(KeyStep&)>& work) {
    if (!engine_) return;
    currentEc_ = ec;
    DocumentActions actions;
    KeyStep step({engine_, &keys_, &actions, compositions_.Has(context), DocumentShowsCode(), this,
                  &ServiceDispatchKeyFunction});
    work(step);
    ApplyDocumentActions(ec, context, actions);
    AfterCommands(step.commandBits());
    currentEc_ = 0;
}

// After a picked command: the conversion compartment follows the engine's modes.
void CTextService::AfterCommands(uint32_t ran) {
    if (ran & kRunBitConvert) {
        uint32_t mode =
            GetConversionState() & ~(TF_CONVERSIONMODE_NOCONVERSION | TF_CONVERSIONMODE_SYMBOL |
                                     TF_CONVERSIONMODE_FULLSHAPE);
        if (engine_->state & (kStateEnglishMode | kStateTempEnglish))
            mode |= TF_CONVERSIONMODE_NOCONVERSION;
        if (!(engine_->state & kStateEnglishPunct)) mode |= TF_CONVERSIONMODE_SYMBOL;
        if (engine_->state & kStateFullWidthOutput) mode |= TF_CONVERSIONMODE_FULLSHAPE;
        SetConversionState(mode);
    }
    if (ran & (kRunBitConvert | kRunBitSet)) RefreshLanguageBar();
}
