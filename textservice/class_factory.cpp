#include "textservice/class_factory.h"

#include <new>

#include "core/base/boundary_guard.h"
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
    return Guarded<HRESULT>(E_UNEXPECTED, [&]() -> HRESULT {
        if (!out) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            ObjectCountIncrement();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    });
}

STDMETHODIMP_(ULONG) CClassFactory::AddRef() {
    return static_cast<ULONG>(ObjectCountIncrement() + 1);
}

STDMETHODIMP_(ULONG) CClassFactory::Release() {
    return Guarded<ULONG>(0, [&]() -> ULONG { return ReleaseReference(this); });
}

STDMETHODIMP CClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** out) {
    return Guarded<HRESULT>(E_UNEXPECTED, [&]() -> HRESULT {
        if (!creator_) {
            if (out) *out = nullptr;
            return E_UNEXPECTED;
        }
        return creator_(outer, riid, out);
    });
}

STDMETHODIMP CClassFactory::LockServer(BOOL lock) {
    return Guarded<HRESULT>(E_UNEXPECTED, [&]() -> HRESULT {
        if (lock)
            ObjectCountIncrement();
        else
            ReleaseReference(this);
        return S_OK;
    });
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
    const HRESULT result = Guarded<HRESULT>(E_UNEXPECTED, [&]() -> HRESULT {
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
    });
    if (result == E_UNEXPECTED && out) *out = nullptr;
    return result;
}

void FreeClassFactory() {
    LibraryLockScope lock;
    delete classFactory;
    classFactory = nullptr;
}
