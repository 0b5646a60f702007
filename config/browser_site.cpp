#include "config/browser_site.h"

#include <exdispid.h>
#include <ole2.h>
#include <oleidl.h>

#include "core/base/boundary_guard.h"

class BrowserSite final : public IOleClientSite,
                          public IOleInPlaceSite,
                          public IOleInPlaceFrame,
                          public IDispatch {
public:
    BrowserSite(HWND host, std::function<void(const std::wstring&, bool)> onComplete)
        : host_(host), onComplete_(std::move(onComplete)) {}

    void SetBrowser(IWebBrowser2* browser) { browser_ = browser; }
    void Detach() {
        browser_ = nullptr;
        onComplete_ = nullptr;
    }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (riid == IID_IUnknown || riid == IID_IOleClientSite)
            *out = static_cast<IOleClientSite*>(this);
        else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite)
            *out = static_cast<IOleInPlaceSite*>(this);
        else if (riid == IID_IOleInPlaceFrame || riid == IID_IOleInPlaceUIWindow)
            *out = static_cast<IOleInPlaceFrame*>(this);
        else if (riid == IID_IDispatch || riid == DIID_DWebBrowserEvents2)
            *out = static_cast<IDispatch*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return n;
    }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** out) override {
        if (out) *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow (both the site and the frame)
    STDMETHODIMP GetWindow(HWND* out) override {
        if (!out) return E_POINTER;
        *out = host_;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                  LPRECT position, LPRECT clip,
                                  LPOLEINPLACEFRAMEINFO info) override {
        if (!frame || !doc || !position || !clip || !info) return E_POINTER;
        *frame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        *doc = nullptr;
        GetClientRect(host_, position);
        *clip = *position;
        info->fMDIApp = FALSE;
        info->hwndFrame = GetAncestor(host_, GA_ROOT);
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

    // IOleInPlaceUIWindow / IOleInPlaceFrame
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    // IDispatch: the browser's events
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        return Guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
            if (id != DISPID_DOCUMENTCOMPLETE || !browser_ || !onComplete_) return S_OK;
            std::wstring title;
            BSTR name = nullptr;
            if (SUCCEEDED(browser_->get_LocationName(&name)) && name) title = name;
            SysFreeString(name);
            IDispatch* document = nullptr;
            bool hasDocument = SUCCEEDED(browser_->get_Document(&document)) && document;
            if (document) document->Release();
            onComplete_(title, hasDocument);
            return S_OK;
        });
    }

private:
    ~BrowserSite() = default;

    LONG refs_ = 1;
    HWND host_;
    IWebBrowser2* browser_ = nullptr;
    std::function<void(const std::wstring&, bool)> onComplete_;
};

EmbeddedBrowser::~EmbeddedBrowser() { Destroy(); }

bool EmbeddedBrowser::Create(HWND host, std::function<void(const std::wstring&, bool)> onComplete) {
    Destroy();
    host_ = host;
    IOleObject* object = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                reinterpret_cast<void**>(&object))))
        return false;
    site_ = new BrowserSite(host, std::move(onComplete));
    RECT area;
    GetClientRect(host, &area);
    bool ok =
        SUCCEEDED(object->SetClientSite(static_cast<IOleClientSite*>(site_))) &&
        SUCCEEDED(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr,
                                 static_cast<IOleClientSite*>(site_), 0, host, &area)) &&
        SUCCEEDED(object->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser_)));
    if (ok) {
        site_->SetBrowser(browser_);
        IConnectionPointContainer* container = nullptr;
        if (SUCCEEDED(browser_->QueryInterface(IID_IConnectionPointContainer,
                                               reinterpret_cast<void**>(&container)))) {
            IConnectionPoint* point = nullptr;
            if (SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, &point))) {
                point->Advise(static_cast<IDispatch*>(site_), &cookie_);
                point->Release();
            }
            container->Release();
        }
        browser_->put_Silent(VARIANT_TRUE);
    }
    object->Release();
    if (!ok) Destroy();
    return ok;
}

bool EmbeddedBrowser::Navigate(const wchar_t* address) {
    if (!browser_) return false;
    BSTR url = SysAllocString(address ? address : L"");
    VARIANT empty;
    VariantInit(&empty);
    HRESULT hr = browser_->Navigate(url, &empty, &empty, &empty, &empty);
    SysFreeString(url);
    return SUCCEEDED(hr);
}

void EmbeddedBrowser::Resize() {
    if (!browser_) return;
    IOleInPlaceObject* inPlace = nullptr;
    if (SUCCEEDED(
            browser_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)))) {
        RECT area;
        GetClientRect(host_, &area);
        inPlace->SetObjectRects(&area, &area);
        inPlace->Release();
    }
}

void EmbeddedBrowser::Destroy() {
    if (browser_) {
        if (cookie_) {
            IConnectionPointContainer* container = nullptr;
            if (SUCCEEDED(browser_->QueryInterface(IID_IConnectionPointContainer,
                                                   reinterpret_cast<void**>(&container)))) {
                IConnectionPoint* point = nullptr;
                if (SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, &point))) {
                    point->Unadvise(cookie_);
                    point->Release();
                }
                container->Release();
            }
            cookie_ = 0;
        }
        IOleObject* object = nullptr;
        if (SUCCEEDED(
                browser_->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&object)))) {
            object->Close(OLECLOSE_NOSAVE);
            object->SetClientSite(nullptr);
            object->Release();
        }
        browser_->Release();
        browser_ = nullptr;
    }
    if (site_) {
        site_->Detach();
        site_->Release();
        site_ = nullptr;
    }
}
