// The text service under Wine's own text services framework, for what it implements:
// registration in the prefix, activation through the language profile and deactivation,
// compartments with their change sink, and one text committed through an edit session into a
// text store of the test. (Key delivery, compositions and ranges are stubs there; the test
// host covers those.)
#include <gtest/gtest.h>
#include <objbase.h>

#include <string>

#include "core/settings/config_blocks.h"
#include "support/keys/keypad_engine.h"
#include "textservice/com_ptr.h"
#include "textservice/tsf/service_hooks.h"
#include "textservice/tsf/text_service.h"

namespace {

CTextService* lastService = nullptr;
testing_support::KeypadEngine* keypad = nullptr;

class Factory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        HRESULT hr = CTextService::CreateInstance(outer, riid, out);
        if (SUCCEEDED(hr)) {
            IUnknown* unknown = static_cast<IUnknown*>(*out);
            ComPtr<ITfTextInputProcessorEx> tip;
            unknown->QueryInterface(IID_ITfTextInputProcessorEx, tip.put_void());
            lastService = static_cast<CTextService*>(tip.get());
        }
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

// A one-line text store: the text, a caret, and the lock the framework asks for.
class TextStore final : public ITextStoreACP {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ITextStoreACP)) {
            *out = static_cast<ITextStoreACP*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; }
    STDMETHODIMP AdviseSink(REFIID riid, IUnknown* sink, DWORD) override {
        if (!IsEqualIID(riid, IID_ITextStoreACPSink)) return E_INVALIDARG;
        return sink->QueryInterface(IID_ITextStoreACPSink, sink_.put_void());
    }
    STDMETHODIMP UnadviseSink(IUnknown*) override {
        sink_.reset();
        return S_OK;
    }
    STDMETHODIMP RequestLock(DWORD flags, HRESULT* result) override {
        if (!sink_ || !result) return E_FAIL;
        locked_ = flags;
        *result = sink_->OnLockGranted(flags);
        locked_ = 0;
        return S_OK;
    }
    STDMETHODIMP GetStatus(TS_STATUS* s) override {
        s->dwDynamicFlags = 0;
        s->dwStaticFlags = 0;
        return S_OK;
    }
    STDMETHODIMP QueryInsert(LONG s, LONG e, ULONG, LONG* rs, LONG* re) override {
        *rs = s;
        *re = e;
        return S_OK;
    }
    STDMETHODIMP GetSelection(ULONG, ULONG, TS_SELECTION_ACP* sel, ULONG* fetched) override {
        sel->acpStart = sel->acpEnd = caret_;
        sel->style.ase = TS_AE_END;
        sel->style.fInterimChar = FALSE;
        *fetched = 1;
        return S_OK;
    }
    STDMETHODIMP SetSelection(ULONG, const TS_SELECTION_ACP* sel) override {
        caret_ = sel->acpEnd;
        return S_OK;
    }
    STDMETHODIMP GetText(LONG s, LONG e, WCHAR* out, ULONG max, ULONG* got, TS_RUNINFO* runs,
                         ULONG maxRuns, ULONG* gotRuns, LONG* next) override {
        if (e < 0 || e > static_cast<LONG>(text_.size())) e = static_cast<LONG>(text_.size());
        ULONG n = 0;
        for (LONG i = s; i < e && n < max; ++i) out[n++] = text_[i];
        *got = n;
        if (maxRuns && runs) {
            runs[0].uCount = n;
            runs[0].type = TS_RT_PLAIN;
            *gotRuns = 1;
        } else if (gotRuns) {
            *gotRuns = 0;
        }
        *next = s + static_cast<LONG>(n);
        return S_OK;
    }
    STDMETHODIMP SetText(DWORD, LONG s, LONG e, const WCHAR* t, ULONG n,
                         TS_TEXTCHANGE* change) override {
        if (!(locked_ & TS_LF_READWRITE & ~TS_LF_READ)) return TS_E_NOLOCK;
        text_.replace(s, e - s, t, n);
        caret_ = s + static_cast<LONG>(n);
        if (change) *change = {s, e, caret_};
        return S_OK;
    }
    STDMETHODIMP GetFormattedText(LONG, LONG, IDataObject**) override { return E_NOTIMPL; }
    STDMETHODIMP GetEmbedded(LONG, REFGUID, REFIID, IUnknown**) override { return E_NOTIMPL; }
    STDMETHODIMP QueryInsertEmbedded(const GUID*, const FORMATETC*, BOOL* ok) override {
        *ok = FALSE;
        return S_OK;
    }
    STDMETHODIMP InsertEmbedded(DWORD, LONG, LONG, IDataObject*, TS_TEXTCHANGE*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP InsertTextAtSelection(DWORD flags, const WCHAR* t, ULONG n, LONG* s, LONG* e,
                                       TS_TEXTCHANGE* change) override {
        if (flags & TS_IAS_QUERYONLY) {
            if (s) *s = caret_;
            if (e) *e = caret_;
            return S_OK;
        }
        if (!(locked_ & TS_LF_READWRITE & ~TS_LF_READ)) return TS_E_NOLOCK;
        const LONG at = caret_;
        text_.insert(static_cast<size_t>(at), t, n);
        caret_ = at + static_cast<LONG>(n);
        if (s) *s = at;
        if (e) *e = caret_;
        if (change) *change = {at, at, caret_};
        return S_OK;
    }
    STDMETHODIMP InsertEmbeddedAtSelection(DWORD, IDataObject*, LONG*, LONG*,
                                           TS_TEXTCHANGE*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP RequestSupportedAttrs(DWORD, ULONG, const TS_ATTRID*) override { return S_OK; }
    STDMETHODIMP RequestAttrsAtPosition(LONG, ULONG, const TS_ATTRID*, DWORD) override {
        return S_OK;
    }
    STDMETHODIMP RequestAttrsTransitioningAtPosition(LONG, ULONG, const TS_ATTRID*,
                                                     DWORD) override {
        return S_OK;
    }
    STDMETHODIMP FindNextAttrTransition(LONG, LONG, ULONG, const TS_ATTRID*, DWORD, LONG* next,
                                        BOOL* found, LONG* offset) override {
        *next = 0;
        *found = FALSE;
        *offset = 0;
        return S_OK;
    }
    STDMETHODIMP RetrieveRequestedAttrs(ULONG, TS_ATTRVAL*, ULONG* fetched) override {
        *fetched = 0;
        return S_OK;
    }
    STDMETHODIMP GetEndACP(LONG* acp) override {
        *acp = static_cast<LONG>(text_.size());
        return S_OK;
    }
    STDMETHODIMP GetActiveView(TsViewCookie* view) override {
        *view = 1;
        return S_OK;
    }
    STDMETHODIMP GetACPFromPoint(TsViewCookie, const POINT*, DWORD, LONG*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP GetTextExt(TsViewCookie, LONG, LONG, RECT* rc, BOOL* clipped) override {
        *rc = {0, 0, 10, 20};
        *clipped = FALSE;
        return S_OK;
    }
    STDMETHODIMP GetScreenExt(TsViewCookie, RECT* rc) override {
        *rc = {0, 0, 100, 20};
        return S_OK;
    }
    STDMETHODIMP GetWnd(TsViewCookie, HWND* wnd) override {
        *wnd = nullptr;
        return S_OK;
    }

    std::wstring text_;
    LONG caret_ = 0;

private:
    ULONG refs_ = 1;
    DWORD locked_ = 0;
    ComPtr<ITextStoreACPSink> sink_;
};

class WineFramework : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        keypad = new testing_support::KeypadEngine();
        seams_.createEngine = []() -> Engine* { return keypad->e; };
        seams_.destroyEngine = [](Engine*) {};
        SetServiceSeams(&seams_);
        CoCreateGuid(&clsid_);
        CoCreateGuid(&profile_);
        wchar_t text[40];
        StringFromGUID2(clsid_, text, 40);
        classKey_ = std::wstring(L"Software\\Classes\\CLSID\\") + text;
        // The class is registered in the prefix like an installed one; this process serves it.
        const std::wstring inproc = classKey_ + L"\\InprocServer32";
        const wchar_t module[] = L"zanTSF.dll";
        const wchar_t model[] = L"Apartment";
        ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, inproc.c_str(), nullptr, REG_SZ, module,
                                  sizeof module),
                  ERROR_SUCCESS);
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, inproc.c_str(), L"ThreadingModel", REG_SZ, model,
                        sizeof model);
        ASSERT_EQ(CoRegisterClassObject(clsid_, &factory_, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                        &classCookie_),
                  S_OK);
        ASSERT_EQ(CoCreateInstance(CLSID_TF_InputProcessorProfiles, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_ITfInputProcessorProfiles, profiles_.put_void()),
                  S_OK);
        ASSERT_EQ(profiles_->Register(clsid_), S_OK);
        const wchar_t name[] = L"zan test";
        ASSERT_EQ(profiles_->AddLanguageProfile(clsid_, 0x0804, profile_, name, 8, L"", 0, 0),
                  S_OK);
        ASSERT_EQ(profiles_->EnableLanguageProfile(clsid_, 0x0804, profile_, TRUE), S_OK);
        ComPtr<ITfCategoryMgr> categories;
        if (SUCCEEDED(CoCreateInstance(CLSID_TF_CategoryMgr, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_ITfCategoryMgr, categories.put_void())))
            categories->RegisterCategory(clsid_, GUID_TFCAT_TIP_KEYBOARD, clsid_);
    }
    void TearDown() override {
        threadMgr_.reset();
        if (profiles_) {
            profiles_->RemoveLanguageProfile(clsid_, 0x0804, profile_);
            profiles_->Unregister(clsid_);
        }
        profiles_.reset();
        if (classCookie_) CoRevokeClassObject(classCookie_);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, classKey_.c_str());
        SetServiceSeams(nullptr);
        delete keypad;
        keypad = nullptr;
        lastService = nullptr;
        CoUninitialize();
    }

    // The thread manager made, the profile activated, then the thread manager activated:
    // the order Wine needs.
    void StartFramework() {
        ASSERT_EQ(CoCreateInstance(CLSID_TF_ThreadMgr, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_ITfThreadMgr, threadMgr_.put_void()),
                  S_OK);
        ASSERT_EQ(profiles_->ActivateLanguageProfile(clsid_, 0x0804, profile_), S_OK);
        ASSERT_EQ(threadMgr_->Activate(&client_), S_OK);
    }

    LONG Compartment(REFGUID guid) {
        ComPtr<ITfCompartmentMgr> mgr;
        ComPtr<ITfCompartment> c;
        threadMgr_->GetGlobalCompartment(mgr.put());
        mgr->GetCompartment(guid, c.put());
        VARIANT v;
        VariantInit(&v);
        c->GetValue(&v);
        return v.vt == VT_I4 ? v.lVal : -1;
    }

    Factory factory_;
    TextServiceSeams seams_ = {};
    GUID clsid_{}, profile_{};
    std::wstring classKey_;
    DWORD classCookie_ = 0;
    ComPtr<ITfInputProcessorProfiles> profiles_;
    ComPtr<ITfThreadMgr> threadMgr_;
    TfClientId client_ = 0;
};

TEST_F(WineFramework, ActivatesThroughTheProfileAndDeactivates) {
    StartFramework();
    ASSERT_NE(lastService, nullptr);
    EXPECT_NE(lastService->engine(), nullptr);
    EXPECT_EQ(Compartment(GUID_COMPARTMENT_KEYBOARD_OPENCLOSE), 1);
    EXPECT_EQ(Compartment(GUID_COMPARTMENT_KEYBOARD_INPUTMODE_CONVERSION) & 0x101, 0x1);
    // A change from outside reaches the service's compartment sink.
    keypad->e->state |= kStateEnglishMode;
    ComPtr<ITfCompartmentMgr> mgr;
    ComPtr<ITfCompartment> open;
    threadMgr_->GetGlobalCompartment(mgr.put());
    mgr->GetCompartment(GUID_COMPARTMENT_KEYBOARD_OPENCLOSE, open.put());
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = 0;
    ASSERT_EQ(open->SetValue(client_, &v), S_OK);
    EXPECT_FALSE(keypad->e->state & kStateEnglishMode);
    lastService->AddRef();
    CTextService* service = lastService;
    EXPECT_EQ(threadMgr_->Deactivate(), S_OK);
    EXPECT_EQ(service->engine(), nullptr);
    service->Release();
}

// Wine's thread manager has no language-bar item manager: with the library's own language-bar
// slots the service activates without buttons and keeps its key sink.
TEST_F(WineFramework, ActivatesWithoutALanguageBar) {
    SetServiceHooks(nullptr);
    keypad->e->ime->options |= kImeStatusHidden;
    StartFramework();
    ASSERT_NE(lastService, nullptr);
    ComPtr<ITfLangBarItemMgr> items;
    EXPECT_EQ(threadMgr_->QueryInterface(IID_ITfLangBarItemMgr, items.put_void()), E_NOINTERFACE);
    EXPECT_NE(lastService->engine(), nullptr);
    EXPECT_NE(lastService->threadMgr(), nullptr);
    for (IUnknown* button : lastService->languageBarButtons) EXPECT_EQ(button, nullptr);
    threadMgr_->Deactivate();
}

TEST_F(WineFramework, CommitsTextThroughAnEditSession) {
    StartFramework();
    ASSERT_NE(lastService, nullptr);
    TextStore store;
    ComPtr<ITfDocumentMgr> document;
    ASSERT_EQ(threadMgr_->CreateDocumentMgr(document.put()), S_OK);
    ComPtr<ITfContext> context;
    TfEditCookie ec = 0;
    ASSERT_EQ(document->CreateContext(client_, 0, static_cast<ITextStoreACP*>(&store),
                                      context.put(), &ec),
              S_OK);
    ASSERT_EQ(document->Push(context.get()), S_OK);
    ASSERT_EQ(threadMgr_->SetFocus(document.get()), S_OK);
    ASSERT_EQ(lastService->editSinkContext(), context.get());

    const HRESULT hr = lastService->RunInSession([](KeyStep& step) {
        InputState& in = step.engine()->input;
        const wchar_t text[] = L"你好";
        for (int i = 0; i < 3; ++i) in.pickedText[i] = text[i];
        in.pickedLength = 2;
        in.pickedAction = 0x1000;
        step.CommitPending();
    });
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(store.text_, L"你好");
    EXPECT_EQ(store.caret_, 2);
    threadMgr_->SetFocus(nullptr);
    document->Pop(TF_POPF_ALL);
    context.reset();
    document.reset();
    threadMgr_->Deactivate();
}

}  // namespace
