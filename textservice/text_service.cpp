#include "textservice/text_service.h"

#include <new>

#include "textservice/object_count.h"

HRESULT STDMETHODCALLTYPE CTextService::CreateInstance(IUnknown* outer, REFIID riid, void** out) {
    try {
        if (!out) return E_INVALIDARG;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        CTextService* service = new (std::nothrow) CTextService();
        if (!service) return E_OUTOFMEMORY;
        // The construction reference goes either way: a failed query destroys the object.
        HRESULT hr = service->QueryInterface(riid, out);
        service->Release();
        return hr;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

CTextService::CTextService() { ObjectCountIncrement(); }

CTextService::~CTextService() { ObjectCountDecrement(); }

STDMETHODIMP CTextService::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown)) {
        *out = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CTextService::AddRef() { return ++refCount_; }

STDMETHODIMP_(ULONG) CTextService::Release() {
    ULONG count = --refCount_;
    if (count == 0) delete this;
    return count;
}
