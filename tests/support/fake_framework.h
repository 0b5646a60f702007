// A framework profile object and category manager for tests: they record the calls they get,
// answer from what was registered, and fail the calls a test names. For the branches that
// Wine's msctf leaves unimplemented.
//
//   FakeProfiles profiles;
//   profiles.failures["SubstituteKeyboardLayout"] = E_FAIL;
//   env.profiles = &profiles;      // handed out by a test environment
//   ... profiles.calls             // {"Register", "AddLanguageProfile", ...}
#pragma once
#include <windows.h>
#include <msctf.h>

#include <map>
#include <string>
#include <vector>

namespace testing_support {

template <class Interface>
class FakeComObject : public Interface {
public:
    std::vector<std::string> calls;
    std::map<std::string, HRESULT> failures;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(Interface))) {
            *out = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // Lives on the test's stack: references are counted only to be checked.
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    ULONG refs = 0;

protected:
    HRESULT Call(const char* name) {
        calls.push_back(name);
        auto it = failures.find(name);
        return it == failures.end() ? S_OK : it->second;
    }
};

class FakeProfiles : public FakeComObject<ITfInputProcessorProfiles> {
public:
    HKL substituted = nullptr;
    BOOL enabled = -1;
    std::wstring description, iconFile;
    LANGID language = 0;

    HRESULT STDMETHODCALLTYPE Register(REFCLSID) override { return Call("Register"); }
    HRESULT STDMETHODCALLTYPE Unregister(REFCLSID) override { return Call("Unregister"); }
    HRESULT STDMETHODCALLTYPE AddLanguageProfile(REFCLSID, LANGID langid, REFGUID,
                                                 const WCHAR* desc, ULONG descChars,
                                                 const WCHAR* icon, ULONG iconChars,
                                                 ULONG) override {
        language = langid;
        description.assign(desc, descChars);
        iconFile.assign(icon, iconChars);
        return Call("AddLanguageProfile");
    }
    HRESULT STDMETHODCALLTYPE RemoveLanguageProfile(REFCLSID, LANGID, REFGUID) override {
        return Call("RemoveLanguageProfile");
    }
    HRESULT STDMETHODCALLTYPE EnumInputProcessorInfo(IEnumGUID**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDefaultLanguageProfile(LANGID, REFGUID, CLSID*, GUID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetDefaultLanguageProfile(LANGID, REFCLSID, REFGUID) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ActivateLanguageProfile(REFCLSID, LANGID, REFGUID) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetActiveLanguageProfile(REFCLSID, LANGID*, GUID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetLanguageProfileDescription(REFCLSID, LANGID, REFGUID,
                                                            BSTR*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetCurrentLanguage(LANGID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ChangeCurrentLanguage(LANGID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetLanguageList(LANGID**, ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumLanguageProfiles(LANGID, IEnumTfLanguageProfiles**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EnableLanguageProfile(REFCLSID, LANGID, REFGUID,
                                                    BOOL enable) override {
        enabled = enable;
        return Call("EnableLanguageProfile");
    }
    HRESULT STDMETHODCALLTYPE IsEnabledLanguageProfile(REFCLSID, LANGID, REFGUID, BOOL*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EnableLanguageProfileByDefault(REFCLSID, LANGID, REFGUID,
                                                             BOOL) override {
        return Call("EnableLanguageProfileByDefault");
    }
    HRESULT STDMETHODCALLTYPE SubstituteKeyboardLayout(REFCLSID, LANGID, REFGUID,
                                                       HKL layout) override {
        substituted = layout;
        return Call("SubstituteKeyboardLayout");
    }
};

// Profiles whose registration or unregistration (the gated call) waits until the test lets it
// go on, so that a worker is caught in the middle.
class GatedProfiles : public FakeProfiles {
public:
    enum class Gate { kRegister, kUnregister };
    explicit GatedProfiles(Gate gate) : gate_(gate) {}
    ~GatedProfiles() {
        CloseHandle(entered);
        CloseHandle(release);
    }
    GatedProfiles(const GatedProfiles&) = delete;
    GatedProfiles& operator=(const GatedProfiles&) = delete;

    HRESULT STDMETHODCALLTYPE Register(REFCLSID clsid) override {
        if (gate_ == Gate::kRegister) Wait();
        return FakeProfiles::Register(clsid);
    }
    HRESULT STDMETHODCALLTYPE Unregister(REFCLSID clsid) override {
        if (gate_ == Gate::kUnregister) Wait();
        return FakeProfiles::Unregister(clsid);
    }

    HANDLE entered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, TRUE, nullptr);

private:
    void Wait() {
        SetEvent(entered);
        WaitForSingleObject(release, 60000);
    }
    Gate gate_;
};

class FakeCategories : public FakeComObject<ITfCategoryMgr> {
public:
    std::vector<GUID> registered, unregistered;

    HRESULT STDMETHODCALLTYPE RegisterCategory(REFCLSID, REFGUID category, REFGUID) override {
        HRESULT hr = Call("RegisterCategory");
        if (SUCCEEDED(hr)) registered.push_back(category);
        return hr;
    }
    HRESULT STDMETHODCALLTYPE UnregisterCategory(REFCLSID, REFGUID category, REFGUID) override {
        unregistered.push_back(category);
        return Call("UnregisterCategory");
    }
    HRESULT STDMETHODCALLTYPE EnumCategoriesInItem(REFGUID, IEnumGUID**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EnumItemsInCategory(REFGUID, IEnumGUID**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindClosestCategory(REFGUID, GUID*, const GUID**, ULONG) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE RegisterGUIDDescription(REFCLSID, REFGUID, const WCHAR*,
                                                      ULONG) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE UnregisterGUIDDescription(REFCLSID, REFGUID) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetGUIDDescription(REFGUID, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RegisterGUIDDWORD(REFCLSID, REFGUID, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE UnregisterGUIDDWORD(REFCLSID, REFGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetGUIDDWORD(REFGUID, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RegisterGUID(REFGUID, TfGuidAtom*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetGUID(TfGuidAtom, GUID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsEqualTfGuidAtom(TfGuidAtom, REFGUID, BOOL*) override {
        return E_NOTIMPL;
    }
};

}  // namespace testing_support
