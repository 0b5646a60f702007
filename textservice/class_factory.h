// The text service's class factory and the class-object lookup behind DllGetClassObject.
#pragma once
#include <windows.h>
#include <objbase.h>

// Makes the object a factory hands out (outer object, interface, out).
using InstanceCreator = HRESULT(STDMETHODCALLTYPE*)(IUnknown* outer, REFIID riid, void** out);

// The one factory of the library. Its references are the library object count.
class CClassFactory final : public IClassFactory {
public:
    CClassFactory(const CLSID& classId, InstanceCreator creator)
        : classId_(classId), creator_(creator) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** out) override;
    STDMETHODIMP LockServer(BOOL lock) override;

    const CLSID& ClassId() const { return classId_; }

private:
    CLSID classId_;
    InstanceCreator creator_;
};

// The class identifier of the text service from string resource 1 of module. 1 on success,
// 0 when the string is missing or is no GUID.
int ReadServiceClassId(HINSTANCE module, CLSID* out);

// DllGetClassObject: the factory for the text service's class identifier. Pointers may be
// null (E_INVALIDARG, or E_POINTER for out).
HRESULT GetClassObject(const CLSID* classId, const IID* iid, void** out);

// Frees a factory still held by the library when it unloads.
void FreeClassFactory();
