// The text service object the class factory creates.
#pragma once
#include <windows.h>
#include <objbase.h>

class CTextService final : public IUnknown {
public:
    // Class-factory creator: E_INVALIDARG without out, CLASS_E_NOAGGREGATION with an outer
    // object, E_OUTOFMEMORY, or the result of asking the new object for riid.
    static HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out);

    CTextService();
    ~CTextService();
    CTextService(const CTextService&) = delete;
    CTextService& operator=(const CTextService&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

private:
    ULONG refCount_ = 1;
};
