#include "textservice/class_factory.h"

#include <new>

#include "textservice/object_count.h"
#include "textservice/tsf/text_service.h"

namespace {

CClassFactory* classFactory = nullptr;

// Builds the factory when there is none yet; the caller holds the library lock.
void BuildClassFactories() {
    if (classFactory) return;
    CLSID classId;
    if (!ReadServiceClassId(dllInstance, &classId)) return;
    classFactory = new (std::nothrow) CClassFactory(classId, &CTextService::CreateInstance);
}

// Drops one reference; the factory goes when nothing of the library is alive any more.
ULONG ReleaseReference(CClassFactory* factory) {
    LONG count = ObjectCountDecrement();
    if (count < 0) {
        LibraryLockScope lock;
        // A class-object request may have handed the factory out again meanwhile.
        if (ObjectCountValue() < 0 && classFactory == factory) {
            classFactory = nullptr;
            delete factory;
        }
    }
    return static_cast<ULONG>(count + 1);
}

}  // namespace

STDMETHODIMP CClassFactory::QueryInterface(REFIID riid, void** out) {
    try {
        if (!out) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            ObjectCountIncrement();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

STDMETHODIMP_(ULONG) CClassFactory::AddRef() {
    return static_cast<ULONG>(ObjectCountIncrement() + 1);
}

STDMETHODIMP_(ULONG) CClassFactory::Release() {
    try {
        return ReleaseReference(this);
    } catch (...) {
        return 0;
    }
}

STDMETHODIMP CClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** out) {
    try {
        if (!creator_) {
            if (out) *out = nullptr;
            return E_UNEXPECTED;
        }
        return creator_(outer, riid, out);
    } catch (...) {
        return E_UNEXPECTED;
    }
}

STDMETHODIMP CClassFactory::LockServer(BOOL lock) {
    try {
        if (lock)
            ObjectCountIncrement();
        else
            ReleaseReference(this);
        return S_OK;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

int ReadServiceClassId(HINSTANCE module, CLSID* out) {
    if (!out) return 0;
    wchar_t text[40] = {};
    int length = LoadStringW(module, 1, text, 40);
    if (length <= 0) return 0;
    CLSID classId;
    if (FAILED(IIDFromString(text, &classId))) return 0;
    *out = classId;
    return 1;
}

HRESULT GetClassObject(const CLSID* classId, const IID* iid, void** out) {
    try {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!classId || !iid) return E_INVALIDARG;
        LibraryLockScope lock;
        BuildClassFactories();
        if (!IsEqualIID(*iid, IID_IClassFactory) && !IsEqualIID(*iid, IID_IUnknown))
            return CLASS_E_CLASSNOTAVAILABLE;
        // Handed out under the lock, so that a final release cannot delete it in between.
        if (classFactory && IsEqualCLSID(classFactory->ClassId(), *classId)) {
            *out = static_cast<IClassFactory*>(classFactory);
            ObjectCountIncrement();
            return S_OK;
        }
        return CLASS_E_CLASSNOTAVAILABLE;
    } catch (...) {
        if (out) *out = nullptr;
        return E_UNEXPECTED;
    }
}

void FreeClassFactory() {
    LibraryLockScope lock;
    delete classFactory;
    classFactory = nullptr;
}
