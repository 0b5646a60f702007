#include "support/tsf_host/tsf_host.h"

#include <olectl.h>

#include <algorithm>
#include <utility>

namespace tsf_host {

namespace {

int liveObjects = 0;

constexpr HRESULT kLocked = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x0500);

// Reference counting, interface lookup and the live-object count of every fake.
template <class... Interfaces>
class HostCom : public Interfaces... {
public:
    HostCom() { ++liveObjects; }
    virtual ~HostCom() { --liveObjects; }
    HostCom(const HostCom&) = delete;
    HostCom& operator=(const HostCom&) = delete;

    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG n = --refs_;
        if (n == 0) delete this;
        return n;
    }
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = Find(riid);
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }

protected:
    virtual void* Find(REFIID riid) = 0;

private:
    ULONG refs_ = 1;
};

template <class T>
ComPtr<T> Own(T* p) {
    return ComPtr<T>::Attach(p);
}

const char* SinkName(REFIID riid) {
    if (IsEqualIID(riid, IID_ITfThreadMgrEventSink)) return "ITfThreadMgrEventSink";
    if (IsEqualIID(riid, IID_ITfActiveLanguageProfileNotifySink))
        return "ITfActiveLanguageProfileNotifySink";
    if (IsEqualIID(riid, IID_ITfThreadFocusSink)) return "ITfThreadFocusSink";
    if (IsEqualIID(riid, IID_ITfCompartmentEventSink)) return "ITfCompartmentEventSink";
    if (IsEqualIID(riid, IID_ITfTextEditSink)) return "ITfTextEditSink";
    return "other";
}

// Sinks advised through one ITfSource.
class SinkList {
public:
    HRESULT Advise(Host* host, REFIID riid, IUnknown* sink, DWORD* cookie) {
        if (!sink || !cookie) return E_INVALIDARG;
        host->Count(std::string("AdviseSink:") + SinkName(riid));
        if (host->ShouldFail(std::string("AdviseSink:") + SinkName(riid))) return E_FAIL;
        ComPtr<IUnknown> s;
        if (FAILED(sink->QueryInterface(riid, s.put_void()))) return E_INVALIDARG;
        *cookie = next_++;
        sinks_.push_back({*cookie, riid, std::move(s)});
        return S_OK;
    }
    HRESULT Unadvise(DWORD cookie) {
        for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
            if (it->cookie == cookie) {
                sinks_.erase(it);
                return S_OK;
            }
        }
        return CONNECT_E_NOCONNECTION;
    }
    template <class Sink, class Call>
    void ForEach(REFIID riid, Call call) {
        std::vector<ComPtr<IUnknown>> copy;
        for (auto& s : sinks_)
            if (IsEqualIID(s.iid, riid)) copy.push_back(s.sink);
        for (auto& s : copy) call(static_cast<Sink*>(s.get()));
    }
    int size() const { return static_cast<int>(sinks_.size()); }
    void clear() { sinks_.clear(); }

private:
    struct Entry {
        DWORD cookie;
        IID iid;
        ComPtr<IUnknown> sink;
    };
    std::vector<Entry> sinks_;
    DWORD next_ = 1;
};

class FakeCompartment final : public HostCom<ITfCompartment, ITfSource> {
public:
    FakeCompartment(Host* host, const GUID& guid) : host_(host), guid_(guid) {}
    STDMETHODIMP SetValue(TfClientId, const VARIANT* v) override {
        if (!v) return E_INVALIDARG;
        host_->Count("ITfCompartment::SetValue");
        const LONG value = v->vt == VT_I4 ? v->lVal : 0;
        const bool changed = !set_ || value != value_;
        value_ = value;
        set_ = true;
        if (changed)
            sinks_.ForEach<ITfCompartmentEventSink>(
                IID_ITfCompartmentEventSink,
                [&](ITfCompartmentEventSink* s) { s->OnChange(guid_); });
        return S_OK;
    }
    STDMETHODIMP GetValue(VARIANT* v) override {
        if (!v) return E_INVALIDARG;
        VariantInit(v);
        if (!set_) return S_FALSE;
        v->vt = VT_I4;
        v->lVal = value_;
        return S_OK;
    }
    STDMETHODIMP AdviseSink(REFIID riid, IUnknown* sink, DWORD* cookie) override {
        return sinks_.Advise(host_, riid, sink, cookie);
    }
    STDMETHODIMP UnadviseSink(DWORD cookie) override { return sinks_.Unadvise(cookie); }
    int Sinks() const { return sinks_.size(); }
    LONG value() const { return value_; }
    void Put(LONG v) {
        VARIANT var;
        VariantInit(&var);
        var.vt = VT_I4;
        var.lVal = v;
        SetValue(0, &var);
    }

protected:
    void* Find(REFIID riid) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ITfCompartment))
            return static_cast<ITfCompartment*>(this);
        if (IsEqualIID(riid, IID_ITfSource)) return static_cast<ITfSource*>(this);
        return nullptr;
    }

private:
    Host* host_;
    GUID guid_;
    LONG value_ = 0;
    bool set_ = false;
    SinkList sinks_;
};

class FakeCompartmentMgr final : public HostCom<ITfCompartmentMgr> {
public:
    explicit FakeCompartmentMgr(Host* host) : host_(host) {}
    STDMETHODIMP GetCompartment(REFGUID guid, ITfCompartment** out) override {
        if (!out) return E_INVALIDARG;
        FakeCompartment* c = Get(guid);
        c->AddRef();
        *out = c;
        return S_OK;
    }
    STDMETHODIMP ClearCompartment(TfClientId, REFGUID) override { return E_NOTIMPL; }
    STDMETHODIMP EnumCompartments(IEnumGUID**) override { return E_NOTIMPL; }
    FakeCompartment* Get(REFGUID guid) {
        for (auto& e : items_)
            if (IsEqualGUID(e.first, guid)) return static_cast<FakeCompartment*>(e.second.get());
        items_.push_back({guid, Own<ITfCompartment>(new FakeCompartment(host_, guid))});
        return static_cast<FakeCompartment*>(items_.back().second.get());
    }
    int Sinks() const {
        int n = 0;
        for (auto& e : items_) n += static_cast<FakeCompartment*>(e.second.get())->Sinks();
        return n;
    }

protected:
    void* Find(REFIID riid) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ITfCompartmentMgr))
            return static_cast<ITfCompartmentMgr*>(this);
        return nullptr;
    }

private:
    Host* host_;
    std::vector<std::pair<GUID, ComPtr<ITfCompartment>>> items_;
};

}  // namespace

int LiveHostObjects() { return liveObjects; }

// ---- document ----

std::shared_ptr<Anchor> Document::NewAnchor(LONG pos, bool forward) {
    auto a = std::make_shared<Anchor>(Anchor{pos, forward});
    anchors.push_back(a);
    return a;
}

void Document::Replace(LONG start, LONG end, const std::wstring& with) {
    const LONG size = static_cast<LONG>(text.size());
    start = std::clamp<LONG>(start, 0, size);
    end = std::clamp<LONG>(end, start, size);
    text.replace(static_cast<size_t>(start), static_cast<size_t>(end - start), with);
    const LONG delta = static_cast<LONG>(with.size()) - (end - start);
    const LONG newEnd = start + static_cast<LONG>(with.size());
    std::vector<std::weak_ptr<Anchor>> kept;
    for (auto& w : anchors) {
        auto a = w.lock();
        if (!a) continue;
        if (a->pos > end || (a->pos == end && end > start && a->forward))
            a->pos += delta;
        else if (a->pos >= start)
            a->pos = a->forward ? newEnd : start;
        kept.push_back(a);
    }
    anchors = std::move(kept);
    attributes.erase(std::remove_if(attributes.begin(), attributes.end(),
                                    [](const Span& s) { return s.start->pos >= s.end->pos; }),
                     attributes.end());
}

// ---- ranges ----

class FakeRange;
static const IID kFakeRangeIid = {0x1d3c9a51, 0x3f77, 0x4a0e, {1, 2, 3, 4, 5, 6, 7, 8}};

class FakeRange final : public HostCom<ITfRange> {
public:
    FakeRange(Host* host, std::shared_ptr<Document> doc, ITfContext* context, LONG start, LONG end)
        : host_(host),
          doc_(std::move(doc)),
          context_(context),
          start_(doc_->NewAnchor(start, false)),
          end_(doc_->NewAnchor(end, true)) {}

    LONG start() const { return start_->pos; }
    LONG end() const { return end_->pos; }
    void Set(LONG s, LONG e) {
        start_->pos = s;
        end_->pos = e < s ? s : e;
    }
    static FakeRange* From(ITfRange* r) {
        FakeRange* f = nullptr;
        if (r && SUCCEEDED(r->QueryInterface(kFakeRangeIid, reinterpret_cast<void**>(&f))))
            f->Release();
        return f;
    }
    FakeRange* CloneRange() const { return new FakeRange(host_, doc_, context_, start(), end()); }

    STDMETHODIMP GetText(TfEditCookie ec, DWORD, WCHAR* out, ULONG max, ULONG* got) override {
        if (!host_->CanRead(ec)) return TF_E_NOLOCK;
        host_->Count("ITfRange::GetText");
        const ULONG n = std::min<ULONG>(max, static_cast<ULONG>(end() - start()));
        for (ULONG i = 0; i < n; ++i) out[i] = doc_->text[start() + i];
        if (got) *got = n;
        return S_OK;
    }
    STDMETHODIMP SetText(TfEditCookie ec, DWORD, const WCHAR* text, LONG n) override {
        if (!host_->CanWrite(ec)) return TF_E_NOLOCK;
        host_->Count("ITfRange::SetText");
        if (host_->ShouldFail("ITfRange::SetText")) return E_FAIL;
        if (n < 0) n = text ? static_cast<LONG>(wcslen(text)) : 0;
        doc_->Replace(start(), end(), std::wstring(text ? text : L"", static_cast<size_t>(n)));
        host_->NoteSelectionChange();
        return S_OK;
    }
    STDMETHODIMP GetFormattedText(TfEditCookie, IDataObject**) override { return E_NOTIMPL; }
    STDMETHODIMP GetEmbedded(TfEditCookie, REFGUID, REFIID, IUnknown**) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP InsertEmbedded(TfEditCookie, DWORD, IDataObject*) override { return E_NOTIMPL; }
    STDMETHODIMP ShiftStart(TfEditCookie ec, LONG count, LONG* moved, const TF_HALTCOND*) override {
        if (!host_->CanRead(ec)) return TF_E_NOLOCK;
        const LONG to = std::clamp<LONG>(start() + count, 0, static_cast<LONG>(doc_->text.size()));
        if (moved) *moved = to - start();
        start_->pos = to;
        if (end() < to) end_->pos = to;
        return S_OK;
    }
    STDMETHODIMP ShiftEnd(TfEditCookie ec, LONG count, LONG* moved, const TF_HALTCOND*) override {
        if (!host_->CanRead(ec)) return TF_E_NOLOCK;
        const LONG to = std::clamp<LONG>(end() + count, 0, static_cast<LONG>(doc_->text.size()));
        if (moved) *moved = to - end();
        end_->pos = to;
        if (start() > to) start_->pos = to;
        return S_OK;
    }
    STDMETHODIMP ShiftStartToRange(TfEditCookie ec, ITfRange* r, TfAnchor a) override {
        FakeRange* f = From(r);
        if (!host_->CanRead(ec)) return TF_E_NOLOCK;
        if (!f) return E_INVALIDARG;
        start_->pos = a == TF_ANCHOR_START ? f->start() : f->end();
        if (end() < start()) end_->pos = start();
        return S_OK;
    }
    STDMETHODIMP ShiftEndToRange(TfEditCookie ec, ITfRange* r, TfAnchor a) override {
        FakeRange* f = From(r);
        if (!host_->CanRead(ec)) return TF_E_NOLOCK;
        if (!f) return E_INVALIDARG;
        end_->pos = a == TF_ANCHOR_START ? f->start() : f->end();
        if (start() > end()) start_->pos = end();
        return S_OK;
    }
    STDMETHODIMP ShiftStartRegion(TfEditCookie, TfShiftDir, BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP ShiftEndRegion(TfEditCookie, TfShiftDir, BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP IsEmpty(TfEditCookie ec, BOOL* empty) override {
        if (!host_->CanRead(ec)) return TF_E_NOLOCK;
        if (empty) *empty = start() == end();
        return S_OK;
    }
    STDMETHODIMP Collapse(TfEditCookie ec, TfAnchor a) override {
        if (!host_->CanRead(ec)) return TF_E_NOLOCK;
        const LONG p = a == TF_ANCHOR_START ? start() : end();
        Set(p, p);
        return S_OK;
    }
    STDMETHODIMP IsEqualStart(TfEditCookie ec, ITfRange* r, TfAnchor a, BOOL* eq) override {
        LONG c = 0;
        HRESULT hr = CompareStart(ec, r, a, &c);
        if (eq) *eq = c == 0;
        return hr;
    }
    STDMETHODIMP IsEqualEnd(TfEditCookie ec, ITfRange* r, TfAnchor a, BOOL* eq) override {
        LONG c = 0;
        HRESULT hr = CompareEnd(ec, r, a, &c);
        if (eq) *eq = c == 0;
        return hr;
    }
    STDMETHODIMP CompareStart(TfEditCookie ec, ITfRange* r, TfAnchor a, LONG* result) override {
        FakeRange* f = From(r);
        if (!host_->CanRead(ec)) return TF_E_NOLOCK;
        if (!f || !result) return E_INVALIDARG;
        const LONG other = a == TF_ANCHOR_START ? f->start() : f->end();
        *result = start() < other ? -1 : start() > other ? 1 : 0;
        return S_OK;
    }
    STDMETHODIMP CompareEnd(TfEditCookie ec, ITfRange* r, TfAnchor a, LONG* result) override {
        FakeRange* f = From(r);
        if (!host_->CanRead(ec)) return TF_E_NOLOCK;
        if (!f || !result) return E_INVALIDARG;
        const LONG other = a == TF_ANCHOR_START ? f->start() : f->end();
        *result = end() < other ? -1 : end() > other ? 1 : 0;
        return S_OK;
    }
    STDMETHODIMP AdjustForInsert(TfEditCookie, ULONG, BOOL* ok) override {
        if (ok) *ok = TRUE;
        return S_OK;
    }
    STDMETHODIMP GetGravity(TfGravity* s, TfGravity* e) override {
        if (s) *s = start_->forward ? TF_GRAVITY_FORWARD : TF_GRAVITY_BACKWARD;
        if (e) *e = end_->forward ? TF_GRAVITY_FORWARD : TF_GRAVITY_BACKWARD;
        return S_OK;
    }
    STDMETHODIMP SetGravity(TfEditCookie ec, TfGravity s, TfGravity e) override {
        if (!host_->CanRead(ec)) return TF_E_NOLOCK;
        start_->forward = s == TF_GRAVITY_FORWARD;
        end_->forward = e == TF_GRAVITY_FORWARD;
        return S_OK;
    }
    STDMETHODIMP Clone(ITfRange** out) override {
        if (!out) return E_INVALIDARG;
        *out = CloneRange();
        return S_OK;
    }
    STDMETHODIMP GetContext(ITfContext** out) override {
        if (!out) return E_INVALIDARG;
        *out = context_;
        if (context_) context_->AddRef();
        return S_OK;
    }

protected:
    void* Find(REFIID riid) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ITfRange) ||
            IsEqualIID(riid, kFakeRangeIid))
            return static_cast<ITfRange*>(this);
        return nullptr;
    }

private:
    Host* host_;
    std::shared_ptr<Document> doc_;
    ITfContext* context_;  // not referenced: ranges never keep their context alive
    std::shared_ptr<Anchor> start_, end_;
};

// ---- compositions, properties, views ----

class FakeComposition final : public HostCom<ITfComposition> {
public:
    FakeComposition(Host* host, FakeContext* context, FakeRange* range, ITfCompositionSink* sink)
        : host_(host),
          context_(context),
          range_(Own<ITfRange>(range)),
          sink_(ComPtr<ITfCompositionSink>::Copy(sink)) {}
    STDMETHODIMP GetRange(ITfRange** out) override {
        if (!out) return E_INVALIDARG;
        if (!range_) return E_UNEXPECTED;
        *out = FakeRange::From(range_.get())->CloneRange();
        return S_OK;
    }
    STDMETHODIMP ShiftStart(TfEditCookie ec, ITfRange* r) override {
        if (!host_->CanWrite(ec)) return TF_E_NOLOCK;
        return range_ ? range_->ShiftStartToRange(ec, r, TF_ANCHOR_START) : E_UNEXPECTED;
    }
    STDMETHODIMP ShiftEnd(TfEditCookie ec, ITfRange* r) override {
        if (!host_->CanWrite(ec)) return TF_E_NOLOCK;
        return range_ ? range_->ShiftEndToRange(ec, r, TF_ANCHOR_END) : E_UNEXPECTED;
    }
    STDMETHODIMP EndComposition(TfEditCookie ec) override;

    FakeRange* range() const { return range_ ? FakeRange::From(range_.get()) : nullptr; }
    ITfCompositionSink* sink() const { return sink_.get(); }
    void Drop() {
        range_.reset();
        sink_.reset();
    }

protected:
    void* Find(REFIID riid) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ITfComposition))
            return static_cast<ITfComposition*>(this);
        return nullptr;
    }

private:
    Host* host_;
    FakeContext* context_;
    ComPtr<ITfRange> range_;
    ComPtr<ITfCompositionSink> sink_;
};

class FakeProperty final : public HostCom<ITfProperty> {
public:
    FakeProperty(Host* host, std::shared_ptr<Document> doc) : host_(host), doc_(std::move(doc)) {}
    STDMETHODIMP GetType(GUID* out) override {
        if (out) *out = GUID_PROP_ATTRIBUTE;
        return S_OK;
    }
    STDMETHODIMP EnumRanges(TfEditCookie, IEnumTfRanges**, ITfRange*) override { return E_NOTIMPL; }
    STDMETHODIMP GetValue(TfEditCookie ec, ITfRange* r, VARIANT* v) override {
        FakeRange* f = FakeRange::From(r);
        if (!host_->CanRead(ec)) return TF_E_NOLOCK;
        if (!f || !v) return E_INVALIDARG;
        VariantInit(v);
        for (const Span& s : doc_->attributes) {
            if (s.start->pos <= f->start() && s.end->pos >= f->end() && f->end() > f->start()) {
                v->vt = VT_I4;
                v->lVal = s.value;
            }
        }
        return S_OK;
    }
    STDMETHODIMP GetContext(ITfContext**) override { return E_NOTIMPL; }
    STDMETHODIMP FindRange(TfEditCookie, ITfRange*, ITfRange**, TfAnchor) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP SetValueStore(TfEditCookie, ITfRange*, ITfPropertyStore*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP SetValue(TfEditCookie ec, ITfRange* r, const VARIANT* v) override {
        FakeRange* f = FakeRange::From(r);
        if (!host_->CanWrite(ec)) return TF_E_NOLOCK;
        if (!f || !v || v->vt != VT_I4) return E_INVALIDARG;
        ClearRange(f->start(), f->end());
        if (f->end() > f->start())
            doc_->attributes.push_back(
                {doc_->NewAnchor(f->start(), false), doc_->NewAnchor(f->end(), true), v->lVal});
        return S_OK;
    }
    STDMETHODIMP Clear(TfEditCookie ec, ITfRange* r) override {
        if (!host_->CanWrite(ec)) return TF_E_NOLOCK;
        FakeRange* f = FakeRange::From(r);
        if (!f) {
            doc_->attributes.clear();
            return S_OK;
        }
        ClearRange(f->start(), f->end());
        return S_OK;
    }

protected:
    void* Find(REFIID riid) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ITfProperty) ||
            IsEqualIID(riid, IID_ITfReadOnlyProperty))
            return static_cast<ITfProperty*>(this);
        return nullptr;
    }

private:
    // Spans overlapping [s, e) are cut back to what lies outside it.
    void ClearRange(LONG s, LONG e) {
        std::vector<Span> kept;
        for (const Span& span : doc_->attributes) {
            if (span.end->pos <= s || span.start->pos >= e || s == e) {
                kept.push_back(span);
                continue;
            }
            if (span.start->pos < s)
                kept.push_back({span.start, doc_->NewAnchor(s, true), span.value});
            if (span.end->pos > e)
                kept.push_back({doc_->NewAnchor(e, false), span.end, span.value});
        }
        doc_->attributes = std::move(kept);
    }
    Host* host_;
    std::shared_ptr<Document> doc_;
};

class FakeContextView final : public HostCom<ITfContextView> {
public:
    explicit FakeContextView(Host* host) : host_(host) {}
    STDMETHODIMP GetRangeFromPoint(TfEditCookie, const POINT*, DWORD, ITfRange**) override {
        return E_NOTIMPL;
    }
    // Characters are 10 by 20 pixels from the text origin ((100, 200) at first) on the screen.
    STDMETHODIMP GetTextExt(TfEditCookie ec, ITfRange* r, RECT* rect, BOOL* clipped) override {
        FakeRange* f = FakeRange::From(r);
        if (!host_->CanRead(ec)) return TF_E_NOLOCK;
        if (host_->ShouldFail("GetTextExt")) return E_FAIL;
        if (!f || !rect) return E_INVALIDARG;
        const POINT o = host_->textOrigin();
        *rect = {o.x + 10 * f->start(), o.y, o.x + 10 * f->end(), o.y + host_->lineHeight()};
        if (clipped) *clipped = FALSE;
        return S_OK;
    }
    STDMETHODIMP GetScreenExt(RECT* rect) override {
        if (rect) *rect = {0, 0, 1280, 1024};
        return S_OK;
    }
    STDMETHODIMP GetWnd(HWND* out) override {
        if (out) *out = host_->viewWindow();
        return S_OK;
    }

protected:
    void* Find(REFIID riid) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ITfContextView))
            return static_cast<ITfContextView*>(this);
        return nullptr;
    }

private:
    Host* host_;
};

class FakeEditRecord final : public HostCom<ITfEditRecord> {
public:
    explicit FakeEditRecord(bool selectionChanged) : changed_(selectionChanged) {}
    STDMETHODIMP GetSelectionStatus(BOOL* changed) override {
        if (!changed) return E_INVALIDARG;
        *changed = changed_;
        return S_OK;
    }
    STDMETHODIMP GetTextAndPropertyUpdates(DWORD, const GUID**, ULONG, IEnumTfRanges**) override {
        return E_NOTIMPL;
    }

protected:
    void* Find(REFIID riid) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ITfEditRecord))
            return static_cast<ITfEditRecord*>(this);
        return nullptr;
    }

private:
    bool changed_;
};

// ---- context ----

class FakeContext final : public HostCom<ITfContext, ITfSource, ITfInsertAtSelection,
                                         ITfContextComposition, ITfCompartmentMgr> {
public:
    FakeContext(Host* host, std::shared_ptr<Document> doc, ITfDocumentMgr* owner)
        : host_(host),
          doc_(std::move(doc)),
          owner_(owner),
          compartments_(Own<ITfCompartmentMgr>(new FakeCompartmentMgr(host))) {}

    // ITfContext
    STDMETHODIMP RequestEditSession(TfClientId, ITfEditSession* session, DWORD flags,
                                    HRESULT* result) override {
        if (!session || !result) return E_INVALIDARG;
        host_->Count("RequestEditSession");
        if (host_->ShouldFail("RequestEditSession")) return E_FAIL;
        *result = host_->RunSession(this, session, flags);
        return S_OK;
    }
    STDMETHODIMP InWriteSession(TfClientId, BOOL* in) override {
        if (in) *in = FALSE;
        return S_OK;
    }
    STDMETHODIMP GetSelection(TfEditCookie ec, ULONG index, ULONG count, TF_SELECTION* sel,
                              ULONG* fetched) override {
        if (!host_->CanRead(ec)) return TF_E_NOLOCK;
        if (!sel || !fetched) return E_INVALIDARG;
        *fetched = 0;
        if (count == 0 || (index != 0 && index != static_cast<ULONG>(TF_DEFAULT_SELECTION)))
            return S_OK;
        sel[0].range = new FakeRange(host_, doc_, this, doc_->selStart->pos, doc_->selEnd->pos);
        sel[0].style.ase = TF_AE_NONE;
        sel[0].style.fInterimChar = FALSE;
        *fetched = 1;
        return S_OK;
    }
    STDMETHODIMP SetSelection(TfEditCookie ec, ULONG count, const TF_SELECTION* sel) override {
        if (!host_->CanWrite(ec)) return TF_E_NOLOCK;
        if (count == 0 || !sel) return E_INVALIDARG;
        FakeRange* f = FakeRange::From(sel[0].range);
        if (!f) return E_INVALIDARG;
        doc_->selStart->pos = f->start();
        doc_->selEnd->pos = f->end();
        host_->NoteSelectionChange();
        return S_OK;
    }
    STDMETHODIMP GetStart(TfEditCookie ec, ITfRange** out) override {
        if (!host_->CanRead(ec)) return TF_E_NOLOCK;
        if (!out) return E_INVALIDARG;
        *out = new FakeRange(host_, doc_, this, 0, 0);
        return S_OK;
    }
    STDMETHODIMP GetEnd(TfEditCookie ec, ITfRange** out) override {
        if (!host_->CanRead(ec)) return TF_E_NOLOCK;
        if (!out) return E_INVALIDARG;
        const LONG n = static_cast<LONG>(doc_->text.size());
        *out = new FakeRange(host_, doc_, this, n, n);
        return S_OK;
    }
    STDMETHODIMP GetActiveView(ITfContextView** out) override {
        if (!out) return E_INVALIDARG;
        *out = nullptr;
        if (host_->ShouldFail("GetActiveView")) return E_FAIL;
        *out = new FakeContextView(host_);
        return S_OK;
    }
    STDMETHODIMP EnumViews(IEnumTfContextViews**) override { return E_NOTIMPL; }
    STDMETHODIMP GetStatus(TF_STATUS* status) override {
        if (!status) return E_INVALIDARG;
        *status = {};
        return S_OK;
    }
    STDMETHODIMP GetProperty(REFGUID guid, ITfProperty** out) override {
        if (!out) return E_INVALIDARG;
        *out = nullptr;
        if (host_->ShouldFail("GetProperty") || !IsEqualGUID(guid, GUID_PROP_ATTRIBUTE))
            return E_FAIL;
        *out = new FakeProperty(host_, doc_);
        return S_OK;
    }
    STDMETHODIMP GetAppProperty(REFGUID, ITfReadOnlyProperty**) override { return E_NOTIMPL; }
    STDMETHODIMP TrackProperties(const GUID**, ULONG, const GUID**, ULONG,
                                 ITfReadOnlyProperty**) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP EnumProperties(IEnumTfProperties**) override { return E_NOTIMPL; }
    STDMETHODIMP GetDocumentMgr(ITfDocumentMgr** out) override {
        if (!out) return E_INVALIDARG;
        *out = owner_;
        if (owner_) owner_->AddRef();
        return S_OK;
    }
    STDMETHODIMP CreateRangeBackup(TfEditCookie, ITfRange*, ITfRangeBackup**) override {
        return E_NOTIMPL;
    }
    // ITfSource
    STDMETHODIMP AdviseSink(REFIID riid, IUnknown* sink, DWORD* cookie) override {
        return sinks_.Advise(host_, riid, sink, cookie);
    }
    STDMETHODIMP UnadviseSink(DWORD cookie) override { return sinks_.Unadvise(cookie); }
    // ITfInsertAtSelection
    STDMETHODIMP InsertTextAtSelection(TfEditCookie ec, DWORD flags, const WCHAR* text, LONG n,
                                       ITfRange** out) override {
        if (!host_->CanRead(ec)) return TF_E_NOLOCK;
        host_->Count("InsertTextAtSelection");
        if (host_->ShouldFail("InsertTextAtSelection")) return E_FAIL;
        const LONG s = doc_->selStart->pos, e = doc_->selEnd->pos;
        if (flags & TF_IAS_QUERYONLY) {
            if (out) *out = new FakeRange(host_, doc_, this, s, e);
            return S_OK;
        }
        if (!host_->CanWrite(ec)) return TF_E_NOLOCK;
        if (n < 0) n = text ? static_cast<LONG>(wcslen(text)) : 0;
        doc_->Replace(s, e, std::wstring(text ? text : L"", static_cast<size_t>(n)));
        host_->NoteSelectionChange();
        if (out) *out = new FakeRange(host_, doc_, this, s, s + n);
        return S_OK;
    }
    STDMETHODIMP InsertEmbeddedAtSelection(TfEditCookie, DWORD, IDataObject*, ITfRange**) override {
        return E_NOTIMPL;
    }
    // ITfContextComposition
    STDMETHODIMP StartComposition(TfEditCookie ec, ITfRange* range, ITfCompositionSink* sink,
                                  ITfComposition** out) override {
        if (!out) return E_INVALIDARG;
        *out = nullptr;
        if (!host_->CanWrite(ec)) return TF_E_NOLOCK;
        host_->Count("StartComposition");
        if (host_->ShouldFail("StartComposition")) return E_FAIL;
        FakeRange* f = FakeRange::From(range);
        if (!f) return E_INVALIDARG;
        auto* c = new FakeComposition(host_, this, f->CloneRange(), sink);
        compositions_.push_back(ComPtr<ITfComposition>::Copy(c));
        *out = c;
        return S_OK;
    }
    STDMETHODIMP EnumCompositions(IEnumITfCompositionView**) override { return E_NOTIMPL; }
    STDMETHODIMP FindComposition(TfEditCookie, ITfRange*, IEnumITfCompositionView**) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP TakeOwnership(TfEditCookie, ITfCompositionView*, ITfCompositionSink*,
                               ITfComposition**) override {
        return E_NOTIMPL;
    }
    // ITfCompartmentMgr
    STDMETHODIMP GetCompartment(REFGUID guid, ITfCompartment** out) override {
        return compartments_->GetCompartment(guid, out);
    }
    STDMETHODIMP ClearCompartment(TfClientId, REFGUID) override { return E_NOTIMPL; }
    STDMETHODIMP EnumCompartments(IEnumGUID**) override { return E_NOTIMPL; }

    void Remove(FakeComposition* c) {
        compositions_.erase(std::remove_if(compositions_.begin(), compositions_.end(),
                                           [&](const ComPtr<ITfComposition>& p) {
                                               return p.get() == static_cast<ITfComposition*>(c);
                                           }),
                            compositions_.end());
    }
    std::vector<ComPtr<ITfComposition>>& compositions() { return compositions_; }
    SinkList& sinks() { return sinks_; }
    FakeCompartmentMgr* compartmentMgr() const {
        return static_cast<FakeCompartmentMgr*>(compartments_.get());
    }
    void Detach() {
        for (auto& c : compositions_) static_cast<FakeComposition*>(c.get())->Drop();
        compositions_.clear();
        sinks_.clear();
        owner_ = nullptr;
    }

protected:
    void* Find(REFIID riid) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ITfContext))
            return static_cast<ITfContext*>(this);
        if (IsEqualIID(riid, IID_ITfSource)) return static_cast<ITfSource*>(this);
        if (IsEqualIID(riid, IID_ITfInsertAtSelection))
            return static_cast<ITfInsertAtSelection*>(this);
        if (IsEqualIID(riid, IID_ITfContextComposition))
            return static_cast<ITfContextComposition*>(this);
        if (IsEqualIID(riid, IID_ITfCompartmentMgr)) return static_cast<ITfCompartmentMgr*>(this);
        return nullptr;
    }

private:
    Host* host_;
    std::shared_ptr<Document> doc_;
    ITfDocumentMgr* owner_;
    ComPtr<ITfCompartmentMgr> compartments_;
    std::vector<ComPtr<ITfComposition>> compositions_;
    SinkList sinks_;
};

STDMETHODIMP FakeComposition::EndComposition(TfEditCookie ec) {
    if (!host_->CanWrite(ec)) return TF_E_NOLOCK;
    host_->Count("EndComposition");
    Drop();
    if (context_) context_->Remove(this);
    return S_OK;
}

class FakeDocumentMgr final : public HostCom<ITfDocumentMgr> {
public:
    FakeDocumentMgr(Host* host, std::shared_ptr<Document> doc)
        : context_(Own<ITfContext>(new FakeContext(host, std::move(doc), this))) {}
    ~FakeDocumentMgr() { static_cast<FakeContext*>(context_.get())->Detach(); }
    STDMETHODIMP CreateContext(TfClientId, DWORD, IUnknown*, ITfContext**, TfEditCookie*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Push(ITfContext*) override { return E_NOTIMPL; }
    STDMETHODIMP Pop(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetTop(ITfContext** out) override {
        if (!out) return E_INVALIDARG;
        *out = context_.get();
        context_->AddRef();
        return S_OK;
    }
    STDMETHODIMP GetBase(ITfContext** out) override { return GetTop(out); }
    STDMETHODIMP EnumContexts(IEnumTfContexts**) override { return E_NOTIMPL; }
    FakeContext* context() const { return static_cast<FakeContext*>(context_.get()); }

protected:
    void* Find(REFIID riid) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ITfDocumentMgr))
            return static_cast<ITfDocumentMgr*>(this);
        return nullptr;
    }

private:
    ComPtr<ITfContext> context_;
};

class FakeCategoryMgr final : public HostCom<ITfCategoryMgr> {
public:
    explicit FakeCategoryMgr(Host* host) : host_(host) {}
    STDMETHODIMP RegisterCategory(REFCLSID, REFGUID, REFGUID) override { return E_NOTIMPL; }
    STDMETHODIMP UnregisterCategory(REFCLSID, REFGUID, REFGUID) override { return E_NOTIMPL; }
    STDMETHODIMP EnumCategoriesInItem(REFGUID, IEnumGUID**) override { return E_NOTIMPL; }
    STDMETHODIMP EnumItemsInCategory(REFGUID, IEnumGUID**) override { return E_NOTIMPL; }
    STDMETHODIMP FindClosestCategory(REFGUID, GUID*, const GUID**, ULONG) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP RegisterGUIDDescription(REFCLSID, REFGUID, const WCHAR*, ULONG) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP UnregisterGUIDDescription(REFCLSID, REFGUID) override { return E_NOTIMPL; }
    STDMETHODIMP GetGUIDDescription(REFGUID, BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP RegisterGUIDDWORD(REFCLSID, REFGUID, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP UnregisterGUIDDWORD(REFCLSID, REFGUID) override { return E_NOTIMPL; }
    STDMETHODIMP GetGUIDDWORD(REFGUID, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP RegisterGUID(REFGUID guid, TfGuidAtom* atom) override {
        if (!atom) return E_INVALIDARG;
        if (host_->ShouldFail("RegisterGUID")) return E_FAIL;
        for (size_t i = 0; i < guids_.size(); ++i)
            if (IsEqualGUID(guids_[i], guid)) {
                *atom = static_cast<TfGuidAtom>(i + 1);
                return S_OK;
            }
        guids_.push_back(guid);
        *atom = static_cast<TfGuidAtom>(guids_.size());
        return S_OK;
    }
    STDMETHODIMP GetGUID(TfGuidAtom atom, GUID* out) override {
        if (!out || atom == 0 || atom > static_cast<TfGuidAtom>(guids_.size())) return E_INVALIDARG;
        *out = guids_[atom - 1];
        return S_OK;
    }
    STDMETHODIMP IsEqualTfGuidAtom(TfGuidAtom atom, REFGUID guid, BOOL* eq) override {
        GUID g;
        if (FAILED(GetGUID(atom, &g))) return E_INVALIDARG;
        if (eq) *eq = IsEqualGUID(g, guid);
        return S_OK;
    }

protected:
    void* Find(REFIID riid) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ITfCategoryMgr))
            return static_cast<ITfCategoryMgr*>(this);
        return nullptr;
    }

private:
    Host* host_;
    std::vector<GUID> guids_;
};

// ---- UI elements ----

class FakeUIElementMgr final : public HostCom<ITfUIElementMgr> {
public:
    explicit FakeUIElementMgr(Host* host) : host_(host) {}
    STDMETHODIMP BeginUIElement(ITfUIElement* element, BOOL* show, DWORD* id) override {
        host_->Count("BeginUIElement");
        if (!element || !show || !id) return E_INVALIDARG;
        if (host_->ShouldFail("BeginUIElement")) return E_FAIL;
        *show = host_->elementAnswer() == ElementAnswer::kOwnWindow;
        *id = next_++;
        live_[*id] = ComPtr<ITfUIElement>::Copy(element);
        return S_OK;
    }
    STDMETHODIMP UpdateUIElement(DWORD id) override {
        host_->Count("UpdateUIElement");
        return live_.count(id) ? S_OK : E_INVALIDARG;
    }
    STDMETHODIMP EndUIElement(DWORD id) override {
        host_->Count("EndUIElement");
        auto it = live_.find(id);
        if (it == live_.end()) return E_INVALIDARG;
        if (host_->keepEndedElements()) kept_.push_back(std::move(it->second));
        live_.erase(it);
        return S_OK;
    }
    STDMETHODIMP GetUIElement(DWORD id, ITfUIElement** out) override {
        if (!out) return E_INVALIDARG;
        auto it = live_.find(id);
        *out = it == live_.end() ? nullptr : it->second.get();
        if (*out) (*out)->AddRef();
        return *out ? S_OK : E_INVALIDARG;
    }
    STDMETHODIMP EnumUIElements(IEnumTfUIElements**) override { return E_NOTIMPL; }

    ITfUIElement* Element(DWORD id) const {
        auto it = live_.find(id);
        if (it != live_.end()) return it->second.get();
        return nullptr;
    }
    // A kept element, newest first.
    ITfUIElement* Kept() const { return kept_.empty() ? nullptr : kept_.back().get(); }
    int Live() const { return static_cast<int>(live_.size()); }
    void Clear() {
        live_.clear();
        kept_.clear();
    }

protected:
    void* Find(REFIID riid) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ITfUIElementMgr))
            return static_cast<ITfUIElementMgr*>(this);
        return nullptr;
    }

private:
    Host* host_;
    std::map<DWORD, ComPtr<ITfUIElement>> live_;
    std::vector<ComPtr<ITfUIElement>> kept_;
    DWORD next_ = 1;
};

// ---- language bar ----

class FakeLangBarItemMgr final : public HostCom<ITfLangBarItemMgr> {
public:
    explicit FakeLangBarItemMgr(Host* host) : host_(host) {}
    STDMETHODIMP EnumItems(IEnumTfLangBarItems**) override { return E_NOTIMPL; }
    STDMETHODIMP GetItem(REFGUID, ITfLangBarItem**) override { return E_NOTIMPL; }
    STDMETHODIMP AddItem(ITfLangBarItem* item) override {
        host_->Count("AddItem");
        if (!item) return E_INVALIDARG;
        if (host_->ShouldFail("AddItem")) return E_FAIL;
        items_.push_back(ComPtr<ITfLangBarItem>::Copy(item));
        return S_OK;
    }
    STDMETHODIMP RemoveItem(ITfLangBarItem* item) override {
        host_->Count("RemoveItem");
        for (auto it = items_.begin(); it != items_.end(); ++it) {
            if (it->get() == item) {
                items_.erase(it);
                ++removals_;
                return S_OK;
            }
        }
        return E_INVALIDARG;
    }
    STDMETHODIMP AdviseItemSink(ITfLangBarItemSink*, DWORD*, REFGUID) override { return E_NOTIMPL; }
    STDMETHODIMP UnadviseItemSink(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetItemFloatingRect(DWORD, REFGUID, RECT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetItemsStatus(ULONG, const GUID*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP GetItemNum(ULONG* count) override {
        if (!count) return E_INVALIDARG;
        *count = static_cast<ULONG>(items_.size());
        return S_OK;
    }
    STDMETHODIMP GetItems(ULONG, ITfLangBarItem**, TF_LANGBARITEMINFO*, DWORD*, ULONG*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP AdviseItemsSink(ULONG, ITfLangBarItemSink**, const GUID*, DWORD*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP UnadviseItemsSink(ULONG, DWORD*) override { return E_NOTIMPL; }

    std::vector<ITfLangBarItem*> Items() const {
        std::vector<ITfLangBarItem*> out;
        for (const auto& i : items_) out.push_back(i.get());
        return out;
    }
    int removals() const { return removals_; }
    void Clear() { items_.clear(); }

protected:
    void* Find(REFIID riid) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ITfLangBarItemMgr))
            return static_cast<ITfLangBarItemMgr*>(this);
        return nullptr;
    }

private:
    Host* host_;
    std::vector<ComPtr<ITfLangBarItem>> items_;
    int removals_ = 0;
};

// ---- thread manager ----

class FakeThreadMgr final : public HostCom<ITfThreadMgr, ITfSource, ITfKeystrokeMgr> {
public:
    FakeThreadMgr(Host* host, std::shared_ptr<Document> doc)
        : host_(host),
          global_(Own<ITfCompartmentMgr>(new FakeCompartmentMgr(host))),
          document_(Own<ITfDocumentMgr>(new FakeDocumentMgr(host, std::move(doc)))),
          elements_(Own<ITfUIElementMgr>(new FakeUIElementMgr(host))),
          langBar_(Own<ITfLangBarItemMgr>(new FakeLangBarItemMgr(host))) {
        focus_ = document_;
    }
    // ITfThreadMgr
    STDMETHODIMP Activate(TfClientId* id) override {
        if (id) *id = 7;
        return S_OK;
    }
    STDMETHODIMP Deactivate() override { return S_OK; }
    STDMETHODIMP CreateDocumentMgr(ITfDocumentMgr**) override { return E_NOTIMPL; }
    STDMETHODIMP EnumDocumentMgrs(IEnumTfDocumentMgrs**) override { return E_NOTIMPL; }
    STDMETHODIMP GetFocus(ITfDocumentMgr** out) override {
        if (!out) return E_INVALIDARG;
        *out = focus_.get();
        if (*out) (*out)->AddRef();
        return S_OK;
    }
    STDMETHODIMP SetFocus(ITfDocumentMgr*) override { return E_NOTIMPL; }
    STDMETHODIMP AssociateFocus(HWND, ITfDocumentMgr*, ITfDocumentMgr**) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP IsThreadFocus(BOOL* focus) override {
        if (focus) *focus = TRUE;
        return S_OK;
    }
    STDMETHODIMP GetFunctionProvider(REFCLSID, ITfFunctionProvider**) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFunctionProviders(IEnumTfFunctionProviders**) override { return E_NOTIMPL; }
    STDMETHODIMP GetGlobalCompartment(ITfCompartmentMgr** out) override {
        if (!out) return E_INVALIDARG;
        *out = global_.get();
        global_->AddRef();
        return S_OK;
    }
    // ITfSource
    STDMETHODIMP AdviseSink(REFIID riid, IUnknown* sink, DWORD* cookie) override {
        return sinks_.Advise(host_, riid, sink, cookie);
    }
    STDMETHODIMP UnadviseSink(DWORD cookie) override { return sinks_.Unadvise(cookie); }
    // ITfKeystrokeMgr
    STDMETHODIMP AdviseKeyEventSink(TfClientId, ITfKeyEventSink* sink, BOOL) override {
        host_->Count("AdviseKeyEventSink");
        if (host_->ShouldFail("AdviseKeyEventSink")) return E_FAIL;
        if (!sink) return E_INVALIDARG;
        if (keySink_) return CONNECT_E_ADVISELIMIT;
        keySink_ = ComPtr<ITfKeyEventSink>::Copy(sink);
        keySink_->OnSetFocus(TRUE);
        return S_OK;
    }
    STDMETHODIMP UnadviseKeyEventSink(TfClientId) override {
        if (!keySink_) return CONNECT_E_NOCONNECTION;
        keySink_.reset();
        return S_OK;
    }
    STDMETHODIMP GetForeground(CLSID*) override { return E_NOTIMPL; }
    STDMETHODIMP TestKeyDown(WPARAM w, LPARAM l, BOOL* eaten) override {
        if (!eaten) return E_INVALIDARG;
        *eaten = FALSE;
        return keySink_ ? keySink_->OnTestKeyDown(context(), w, l, eaten) : S_OK;
    }
    STDMETHODIMP TestKeyUp(WPARAM w, LPARAM l, BOOL* eaten) override {
        if (!eaten) return E_INVALIDARG;
        *eaten = FALSE;
        return keySink_ ? keySink_->OnTestKeyUp(context(), w, l, eaten) : S_OK;
    }
    STDMETHODIMP KeyDown(WPARAM w, LPARAM l, BOOL* eaten) override {
        if (!eaten) return E_INVALIDARG;
        *eaten = FALSE;
        return keySink_ ? keySink_->OnKeyDown(context(), w, l, eaten) : S_OK;
    }
    STDMETHODIMP KeyUp(WPARAM w, LPARAM l, BOOL* eaten) override {
        if (!eaten) return E_INVALIDARG;
        *eaten = FALSE;
        return keySink_ ? keySink_->OnKeyUp(context(), w, l, eaten) : S_OK;
    }
    STDMETHODIMP GetPreservedKey(ITfContext*, const TF_PRESERVEDKEY*, GUID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP IsPreservedKey(REFGUID guid, const TF_PRESERVEDKEY*, BOOL* registered) override {
        if (registered) *registered = Preserved(guid);
        return S_OK;
    }
    STDMETHODIMP PreserveKey(TfClientId, REFGUID guid, const TF_PRESERVEDKEY* key,
                             const WCHAR* description, ULONG chars) override {
        host_->Count("PreserveKey");
        if (host_->ShouldFail("PreserveKey")) return E_FAIL;
        if (!key) return E_INVALIDARG;
        if (Preserved(guid)) return TF_E_ALREADY_EXISTS;
        preserved_.push_back({guid, *key, std::wstring(description ? description : L"", chars)});
        return S_OK;
    }
    STDMETHODIMP UnpreserveKey(REFGUID guid, const TF_PRESERVEDKEY*) override {
        for (auto it = preserved_.begin(); it != preserved_.end(); ++it)
            if (IsEqualGUID(it->guid, guid)) {
                preserved_.erase(it);
                return S_OK;
            }
        return CONNECT_E_NOCONNECTION;
    }
    STDMETHODIMP SetPreservedKeyDescription(REFGUID, const WCHAR*, ULONG) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP GetPreservedKeyDescription(REFGUID, BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP SimulatePreservedKey(ITfContext* context, REFGUID guid, BOOL* eaten) override {
        if (!eaten) return E_INVALIDARG;
        *eaten = FALSE;
        if (!keySink_ || !Preserved(guid)) return S_OK;
        return keySink_->OnPreservedKey(context, guid, eaten);
    }

    ITfContext* context() const {
        return focus_ ? static_cast<FakeDocumentMgr*>(focus_.get())->context() : nullptr;
    }
    FakeContext* hostContext() const {
        return static_cast<FakeDocumentMgr*>(document_.get())->context();
    }
    ITfDocumentMgr* document() const { return document_.get(); }
    void Focus(bool on) {
        ComPtr<ITfDocumentMgr> previous = focus_;
        focus_ = on ? document_ : ComPtr<ITfDocumentMgr>();
        sinks_.ForEach<ITfThreadMgrEventSink>(
            IID_ITfThreadMgrEventSink,
            [&](ITfThreadMgrEventSink* s) { s->OnSetFocus(focus_.get(), previous.get()); });
    }
    bool Preserved(REFGUID guid) const {
        for (auto& p : preserved_)
            if (IsEqualGUID(p.guid, guid)) return true;
        return false;
    }
    FakeCompartmentMgr* global() const { return static_cast<FakeCompartmentMgr*>(global_.get()); }
    int Sinks() const {
        return sinks_.size() + global()->Sinks() + hostContext()->sinks().size() +
               hostContext()->compartmentMgr()->Sinks();
    }
    // The UI element manager is an object of its own.
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (out && IsEqualIID(riid, IID_ITfUIElementMgr)) {
            *out = nullptr;
            if (host_->ShouldFail("QueryInterface:ITfUIElementMgr")) return E_NOINTERFACE;
            return elements_->QueryInterface(riid, out);
        }
        if (out && IsEqualIID(riid, IID_ITfLangBarItemMgr)) {
            *out = nullptr;
            if (host_->ShouldFail("QueryInterface:ITfLangBarItemMgr")) return E_NOINTERFACE;
            return langBar_->QueryInterface(riid, out);
        }
        return HostCom<ITfThreadMgr, ITfSource, ITfKeystrokeMgr>::QueryInterface(riid, out);
    }
    FakeUIElementMgr* elements() const { return static_cast<FakeUIElementMgr*>(elements_.get()); }
    FakeLangBarItemMgr* langBar() const { return static_cast<FakeLangBarItemMgr*>(langBar_.get()); }
    int PreservedCount() const { return static_cast<int>(preserved_.size()); }
    bool KeySink() const { return static_cast<bool>(keySink_); }
    void Shutdown() {
        elements()->Clear();
        langBar()->Clear();
        keySink_.reset();
        sinks_.clear();
        preserved_.clear();
        focus_.reset();
    }

protected:
    void* Find(REFIID riid) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ITfThreadMgr))
            return static_cast<ITfThreadMgr*>(this);
        if (IsEqualIID(riid, IID_ITfSource)) return static_cast<ITfSource*>(this);
        if (IsEqualIID(riid, IID_ITfKeystrokeMgr)) {
            if (host_->ShouldFail("QueryInterface:ITfKeystrokeMgr")) return nullptr;
            return static_cast<ITfKeystrokeMgr*>(this);
        }
        return nullptr;
    }

private:
    struct Preserve {
        GUID guid;
        TF_PRESERVEDKEY key;
        std::wstring description;
    };
    Host* host_;
    ComPtr<ITfCompartmentMgr> global_;
    ComPtr<ITfDocumentMgr> document_;
    ComPtr<ITfUIElementMgr> elements_;
    ComPtr<ITfLangBarItemMgr> langBar_;
    ComPtr<ITfDocumentMgr> focus_;
    SinkList sinks_;
    ComPtr<ITfKeyEventSink> keySink_;
    std::vector<Preserve> preserved_;
};

// ---- host ----

Host::Host() : document(std::make_shared<Document>()) {
    document->selStart = document->NewAnchor(0, false);
    document->selEnd = document->NewAnchor(0, true);
    mgr_ = new FakeThreadMgr(this, document);
    threadMgr_ = ComPtr<ITfThreadMgr>::Attach(mgr_);
}

Host::~Host() {
    queue_.clear();
    if (mgr_) mgr_->Shutdown();
    threadMgr_.reset();
}

ITfThreadMgr* Host::threadMgr() const { return threadMgr_.get(); }

ITfUIElement* Host::Element(DWORD id) const {
    if (ITfUIElement* e = mgr_->elements()->Element(id)) return e;
    return mgr_->elements()->Kept();
}
int Host::LiveElements() const { return mgr_->elements()->Live(); }
std::vector<ITfLangBarItem*> Host::LangBarItems() const { return mgr_->langBar()->Items(); }
int Host::LangBarRemovals() const { return mgr_->langBar()->removals(); }

void Host::ChangeLayout(TfLayoutCode code) {
    FakeContext* context = mgr_->hostContext();
    ComPtr<ITfContextView> view = Own<ITfContextView>(new FakeContextView(this));
    context->sinks().ForEach<ITfTextLayoutSink>(IID_ITfTextLayoutSink, [&](ITfTextLayoutSink* s) {
        s->OnLayoutChange(context, code, view.get());
    });
}
ITfContext* Host::context() const { return mgr_->hostContext(); }
ITfDocumentMgr* Host::documentMgr() const { return mgr_->document(); }
ITfCategoryMgr* Host::NewCategoryMgr() {
    if (ShouldFail("CreateCategoryMgr")) return nullptr;
    return new FakeCategoryMgr(this);
}

std::wstring Host::Text() const { return document->text; }

void Host::SetText(const std::wstring& text, LONG caret) {
    document->Replace(0, static_cast<LONG>(document->text.size()), text);
    document->selStart->pos = caret;
    document->selEnd->pos = caret;
}

LONG Host::SelectionStart() const { return document->selStart->pos; }
LONG Host::SelectionEnd() const { return document->selEnd->pos; }

std::vector<LONG> Host::AttributeAt() const {
    std::vector<LONG> out(document->text.size(), 0);
    for (const Span& s : document->attributes)
        for (LONG i = s.start->pos; i < s.end->pos && i < static_cast<LONG>(out.size()); ++i)
            out[static_cast<size_t>(i)] = s.value;
    return out;
}

int Host::CompositionCount() const {
    return static_cast<int>(mgr_->hostContext()->compositions().size());
}

std::wstring Host::CompositionText() const {
    auto& list = mgr_->hostContext()->compositions();
    if (list.empty()) return L"";
    FakeRange* r = static_cast<FakeComposition*>(list.front().get())->range();
    if (!r) return L"";
    return document->text.substr(static_cast<size_t>(r->start()),
                                 static_cast<size_t>(r->end() - r->start()));
}

std::wstring Host::TextOutsideComposition() const {
    auto& list = mgr_->hostContext()->compositions();
    FakeRange* r =
        list.empty() ? nullptr : static_cast<FakeComposition*>(list.front().get())->range();
    if (!r) return document->text;
    std::wstring text = document->text;
    text.erase(static_cast<size_t>(r->start()), static_cast<size_t>(r->end() - r->start()));
    return text;
}

void Host::ApplicationTypes(wchar_t c) {
    LONG start = document->selStart->pos, end = document->selEnd->pos;
    if (!c) {
        if (start == end && start > 0) --start;
        document->Replace(start, end, L"");
    } else {
        document->Replace(start, end, std::wstring(1, c));
    }
    const LONG caret = c ? start + 1 : start;
    MoveSelection(caret, caret);
}

bool Host::KeyDown(WPARAM vk, LPARAM lParam) {
    BOOL eaten = FALSE;
    mgr_->TestKeyDown(vk, lParam, &eaten);
    if (!eaten) return false;
    eaten = FALSE;
    mgr_->KeyDown(vk, lParam, &eaten);
    return eaten != FALSE;
}

bool Host::KeyUp(WPARAM vk, LPARAM lParam) {
    BOOL eaten = FALSE;
    mgr_->TestKeyUp(vk, lParam, &eaten);
    if (!eaten) return false;
    eaten = FALSE;
    mgr_->KeyUp(vk, lParam, &eaten);
    return eaten != FALSE;
}

bool Host::TestKeyDown(WPARAM vk, LPARAM lParam) {
    BOOL eaten = FALSE;
    mgr_->TestKeyDown(vk, lParam, &eaten);
    return eaten != FALSE;
}

bool Host::PreservedKey(REFGUID guid) {
    BOOL eaten = FALSE;
    mgr_->SimulatePreservedKey(context(), guid, &eaten);
    return eaten != FALSE;
}

void Host::MoveSelection(LONG start, LONG end) {
    document->selStart->pos = start;
    document->selEnd->pos = end;
    selectionChanged_ = true;
    NotifyEndEdit(mgr_->hostContext());
    if (mode_ == SessionMode::kSynchronous) RunQueuedSessions();
}

void Host::TerminateCompositions() {
    FakeContext* c = mgr_->hostContext();
    std::vector<ComPtr<ITfComposition>> list = c->compositions();
    cookie_ = lastCookie_ = nextCookie_++;
    writable_ = true;
    for (auto& p : list) {
        auto* comp = static_cast<FakeComposition*>(p.get());
        ComPtr<ITfCompositionSink> sink = ComPtr<ITfCompositionSink>::Copy(comp->sink());
        c->Remove(comp);
        if (sink) sink->OnCompositionTerminated(cookie_, comp);
        comp->Drop();
    }
    cookie_ = 0;
    writable_ = false;
}

void Host::SetDocumentFocus(bool focused) { mgr_->Focus(focused); }

HRESULT Host::RunSession(FakeContext* context, ITfEditSession* session, DWORD flags) {
    const bool write = (flags & TF_ES_READWRITE) == TF_ES_READWRITE;
    const bool sync = (flags & TF_ES_SYNC) != 0;
    if (sessionDepth_ > 0) {
        // A session cannot start inside another: synchronous ones are refused, others wait.
        if (sync) return kLocked;
        queue_.push_back({ComPtr<ITfEditSession>::Copy(session), write});
        return kSessionQueued;
    }
    if (mode_ == SessionMode::kQueued && !sync) {
        queue_.push_back({ComPtr<ITfEditSession>::Copy(session), write});
        return kSessionQueued;
    }
    const HRESULT hr = RunNow(context, session, write);
    // Sessions asked for meanwhile (from inside a session or an edit sink) run after it.
    if (mode_ == SessionMode::kSynchronous) RunQueuedSessions();
    return hr;
}

HRESULT Host::RunNow(FakeContext* context, ITfEditSession* session, bool write) {
    ++sessionDepth_;
    cookie_ = lastCookie_ = nextCookie_++;
    writable_ = write;
    selectionChanged_ = false;
    const HRESULT hr = session->DoEditSession(cookie_);
    cookie_ = 0;
    writable_ = false;
    --sessionDepth_;
    if (write) NotifyEndEdit(context);
    return hr;
}

void Host::NotifyEndEdit(FakeContext* context) {
    if (!context) return;
    const bool changed = selectionChanged_;
    selectionChanged_ = false;
    ++sessionDepth_;
    cookie_ = lastCookie_ = nextCookie_++;
    writable_ = false;
    ComPtr<ITfEditRecord> record = Own<ITfEditRecord>(new FakeEditRecord(changed));
    context->sinks().ForEach<ITfTextEditSink>(IID_ITfTextEditSink, [&](ITfTextEditSink* s) {
        s->OnEndEdit(context, cookie_, record.get());
    });
    cookie_ = 0;
    --sessionDepth_;
}

int Host::RunQueuedSessions() {
    int n = 0;
    while (!queue_.empty() && n < 64) {
        Queued q = std::move(queue_.front());
        queue_.erase(queue_.begin());
        RunNow(mgr_->hostContext(), q.session.get(), q.write);
        ++n;
    }
    return n;
}

int Host::Calls(const std::string& method) const {
    auto it = calls_.find(method);
    return it == calls_.end() ? 0 : it->second;
}

LONG Host::GlobalCompartment(REFGUID guid) const { return mgr_->global()->Get(guid)->value(); }
void Host::SetGlobalCompartment(REFGUID guid, LONG value) { mgr_->global()->Get(guid)->Put(value); }
void Host::SetContextCompartment(REFGUID guid, LONG value) {
    mgr_->hostContext()->compartmentMgr()->Get(guid)->Put(value);
}

int Host::AdvisedSinks() const { return mgr_->Sinks(); }
int Host::PreservedKeys() const { return mgr_->PreservedCount(); }
bool Host::KeySinkAdvised() const { return mgr_->KeySink(); }
bool Host::IsPreserved(REFGUID guid) const { return mgr_->Preserved(guid); }

}  // namespace tsf_host
