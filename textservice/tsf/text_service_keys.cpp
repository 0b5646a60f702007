// The key event sink: keys classified for the engine, eaten ones handed to key sessions.
#include <cstdio>

#include "core/base/boundary_guard.h"
#include "engine/platform.h"
#include "textservice/keys/key_classify.h"
#include "textservice/tsf/service_hooks.h"
#include "textservice/tsf/text_service.h"

bool CTextService::ClassifyKeyFor(ITfContext* context, WPARAM wParam, LPARAM lParam) {
    if (!engine_) return false;
    if (KeyboardIsDisabled() || !context || context != editSinkContext_.get()) return false;
    if (!compositions_.Has(context)) {
        if (ITfContext* other = compositions_.ContextAt(0)) EndCurrentComposition(other);
    }
    const KeyVerdict v = ClassifyKey(
        engine_, keys_,
        {static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam), compositions_.Has(context)});
    if (v.code == KeyVerdictCode::kNotEatenEndComposition) EndCurrentComposition(context);
    return v.eaten();
}

void CTextService::CapsLockNotEaten(ITfContext* context) {
    if (engine_ && engine_->ime && (engine_->ime->features & kFeatCapsEnglishPunct)) {
        EndCurrentComposition(context);
        if (Platform().keyState(VK_CAPITAL) & 1)
            engine_->state |= kStateEnglishPunct;
        else
            engine_->state &= ~kStateEnglishPunct;
    }
    RefreshLanguageBar();
}

STDMETHODIMP CTextService::OnSetFocus(BOOL foreground) {
    return Guarded<HRESULT>(S_OK, [&]() -> HRESULT {
        const TextServiceHooks& hooks = ServiceHooks();
        if (!foreground && candidateElement && engine_ && hooks.hideCandidateWindow)
            hooks.hideCandidateWindow(engine_);
        return S_OK;
    });
}

STDMETHODIMP CTextService::OnTestKeyDown(ITfContext* context, WPARAM wParam, LPARAM lParam,
                                         BOOL* eaten) {
    return Guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
        if (!eaten) return E_INVALIDARG;
        *eaten = FALSE;
        wchar_t line[129];
        std::swprintf(line, 129, L"OnTestKeyDown() lParam = %x \r\n",
                      static_cast<unsigned>(lParam));
        OutputDebugStringW(line);
        if (skipNextKey_) {
            testedDown_ = eatenDown_ = skipNextKey_ = false;
            return S_OK;
        }
        eatenDown_ = ClassifyKeyFor(context, wParam, lParam);
        if (eatenDown_) {
            testedDown_ = true;
            *eaten = TRUE;
            return S_OK;
        }
        testedDown_ = false;
        if (wParam == VK_CAPITAL) CapsLockNotEaten(context);
        return S_OK;
    });
}

STDMETHODIMP CTextService::OnKeyDown(ITfContext* context, WPARAM wParam, LPARAM lParam,
                                     BOOL* eaten) {
    return Guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
        if (!eaten) return E_INVALIDARG;
        *eaten = FALSE;
        if (skipNextKey_) {
            skipNextKey_ = false;
            return S_OK;
        }
        bool taken = testedDown_ ? eatenDown_ : ClassifyKeyFor(context, wParam, lParam);
        lastKeyResult_ = KeyStepResult::kHandled;
        if (taken) {
            *eaten = TRUE;
            RequestKeyEditSession(context);
        }
        testedDown_ = false;
        FinishKeyDown(keys_);
        if (wParam == VK_CAPITAL) {
            // A function that pressed Caps Lock itself (to turn it off) has put it back
            // already, and its press is the one skipped: a second press would come back
            // classified and run the function again, without end.
            if (taken && lastKeyResult_ == KeyStepResult::kHandled && !skipNextKey_) {
                // Put the toggle back: the key did its function, not Caps Lock's.
                skipNextKey_ = true;
                Platform().keyEvent(VK_CAPITAL, KEYEVENTF_KEYUP);
                Platform().keyEvent(VK_CAPITAL, 0);
            } else if (!taken) {
                CapsLockNotEaten(context);
            }
        }
        return S_OK;
    });
}

STDMETHODIMP CTextService::OnTestKeyUp(ITfContext* context, WPARAM wParam, LPARAM lParam,
                                       BOOL* eaten) {
    return Guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
        if (!eaten) return E_INVALIDARG;
        eatenUp_ = ClassifyKeyFor(context, wParam, lParam);
        *eaten = eatenUp_ ? TRUE : FALSE;
        return S_OK;
    });
}

STDMETHODIMP CTextService::OnKeyUp(ITfContext* context, WPARAM wParam, LPARAM lParam, BOOL* eaten) {
    return Guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
        if (!eaten) return E_INVALIDARG;
        const bool taken = eatenUp_ || ClassifyKeyFor(context, wParam, lParam);
        eatenUp_ = false;
        *eaten = taken ? TRUE : FALSE;
        if (taken) RequestKeyEditSession(context);
        return S_OK;
    });
}
