// The edit sessions the text service asks the framework for: every change of a document
// happens inside one of these.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>

#include "core/settings/key_functions.h"
#include "textservice/com_ptr.h"
#include "textservice/tsf/tsf_compat.h"

class CTextService;

// Holds the context and the service for the session's life; subclasses give the work.
class CEditSessionBase : public ITfEditSession {
public:
    CEditSessionBase(ITfContext* context, CTextService* service);
    virtual ~CEditSessionBase();
    CEditSessionBase(const CEditSessionBase&) = delete;
    CEditSessionBase& operator=(const CEditSessionBase&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP DoEditSession(TfEditCookie ec) override;

protected:
    virtual HRESULT Run(TfEditCookie ec) = 0;
    ITfContext* context() const { return context_.get(); }
    CTextService* service() const { return service_; }

private:
    ULONG refs_ = 1;
    ComPtr<ITfContext> context_;
    CTextService* service_;  // referenced through its key-event sink
};

// The key a key session handles, taken from the engine when the session is asked for: a
// session the framework runs later must not see the key of a later request.
struct SessionKey {
    uint32_t code;
    KeyFunctionMask action;
    const wchar_t* text;
};

// The key step for the key in the engine when the session was asked for.
class CKeyHandlerEditSession final : public CEditSessionBase {
public:
    CKeyHandlerEditSession(ITfContext* context, CTextService* service, const SessionKey& key)
        : CEditSessionBase(context, service), key_(key) {}

protected:
    HRESULT Run(TfEditCookie ec) override;

private:
    SessionKey key_;
};

// Ends the composition of the context.
class CEndCompositionEditSession final : public CEditSessionBase {
public:
    using CEditSessionBase::CEditSessionBase;

protected:
    HRESULT Run(TfEditCookie ec) override;
};

// Runs steps of the key path outside a key (UI commands) and applies their document actions.
class CStepEditSession final : public CEditSessionBase {
public:
    CStepEditSession(ITfContext* context, CTextService* service,
                     std::function<void(class KeyStep&)> work);

protected:
    HRESULT Run(TfEditCookie ec) override;

private:
    std::function<void(class KeyStep&)> work_;
};

// Measures the composition and moves the candidate window (read-only).
class CGetTextExtentEditSession final : public CEditSessionBase {
public:
    CGetTextExtentEditSession(ITfContext* context, CTextService* service, ITfContextView* view,
                              ITfRange* range);

protected:
    HRESULT Run(TfEditCookie ec) override;

private:
    ComPtr<ITfContextView> view_;
    ComPtr<ITfRange> range_;
};

// Requests session (consumed: the request's reference is released) on context with flags;
// the result of the request, or of the session when it ran at once.
HRESULT RequestSession(ITfContext* context, TfClientId client, CEditSessionBase* session,
                       DWORD flags);
