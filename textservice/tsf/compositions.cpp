#include "textservice/tsf/compositions.h"

namespace {

bool SelectRange(TfEditCookie ec, ITfContext* context, ITfRange* range) {
    TF_SELECTION sel = {};
    sel.range = range;
    sel.style.ase = TF_AE_NONE;
    sel.style.fInterimChar = FALSE;
    return SUCCEEDED(context->SetSelection(ec, 1, &sel));
}

}  // namespace

int CompositionTable::Find(const ITfContext* context) const {
    if (!context) return -1;
    for (int i = 0; i < kSlots; ++i)
        if (compositions_[i] && contexts_[i].get() == context) return i;
    return -1;
}

int CompositionTable::FindComposition(const ITfComposition* composition) const {
    if (!composition) return -1;
    for (int i = 0; i < kSlots; ++i)
        if (compositions_[i].get() == composition) return i;
    return -1;
}

ITfComposition* CompositionTable::Get(const ITfContext* context) const {
    const int i = Find(context);
    return i >= 0 ? compositions_[i].get() : nullptr;
}

ITfContext* CompositionTable::ContextAt(int slot) const {
    return slot >= 0 && slot < kSlots && compositions_[slot] ? contexts_[slot].get() : nullptr;
}

ITfComposition* CompositionTable::CompositionAt(int slot) const {
    return slot >= 0 && slot < kSlots ? compositions_[slot].get() : nullptr;
}

bool CompositionTable::Start(TfEditCookie ec, ITfContext* context, ITfCompositionSink* sink) {
    if (!context) return false;
    if (Has(context)) return true;
    ComPtr<ITfInsertAtSelection> insert;
    if (FAILED(context->QueryInterface(IID_ITfInsertAtSelection, insert.put_void()))) return false;
    ComPtr<ITfRange> range;
    if (FAILED(insert->InsertTextAtSelection(ec, TF_IAS_QUERYONLY, nullptr, 0, range.put())) ||
        !range)
        return false;
    ComPtr<ITfContextComposition> composing;
    if (FAILED(context->QueryInterface(IID_ITfContextComposition, composing.put_void())))
        return false;
    ComPtr<ITfComposition> composition;
    if (FAILED(composing->StartComposition(ec, range.get(), sink, composition.put())) ||
        !composition)
        return false;
    int slot = -1;
    for (int i = 0; i < kSlots && slot < 0; ++i)
        if (!compositions_[i]) slot = i;
    if (slot < 0) {
        // No room to keep it: it must not stay open unseen.
        composition->EndComposition(ec);
        return false;
    }
    compositions_[slot] = std::move(composition);
    contexts_[slot] = ComPtr<ITfContext>::Copy(context);
    placeholder_[slot] = false;
    SelectRange(ec, context, range.get());
    return true;
}

void CompositionTable::End(TfEditCookie ec, int slot) {
    if (slot < 0 || slot >= kSlots || !compositions_[slot]) return;
    ComPtr<ITfComposition> composition = std::move(compositions_[slot]);
    ComPtr<ITfContext> context = std::move(contexts_[slot]);
    placeholder_[slot] = false;
    ClearCompositionAttribute(ec, context.get(), composition.get());
    composition->EndComposition(ec);
}

void CompositionTable::Forget(int slot) {
    if (slot < 0 || slot >= kSlots) return;
    compositions_[slot].reset();
    contexts_[slot].reset();
    placeholder_[slot] = false;
}

void CompositionTable::ForgetAll() {
    for (int i = 0; i < kSlots; ++i) Forget(i);
}

void CompositionTable::SetPlaceholder(const ITfContext* context, bool placeholder) {
    const int i = Find(context);
    if (i >= 0) placeholder_[i] = placeholder;
}

bool CompositionTable::ShowsPlaceholder(const ITfContext* context) const {
    const int i = Find(context);
    return i >= 0 && placeholder_[i];
}

HRESULT SetCompositionText(TfEditCookie ec, ITfContext* context, ITfComposition* composition,
                           const wchar_t* text, LONG length, LONG caret) {
    if (!context || !composition) return E_INVALIDARG;
    ComPtr<ITfRange> range;
    HRESULT hr = composition->GetRange(range.put());
    if (FAILED(hr) || !range) return FAILED(hr) ? hr : E_FAIL;
    hr = range->SetText(ec, 0, text, length);
    if (FAILED(hr)) return hr;
    ComPtr<ITfRange> caretRange;
    if (FAILED(range->Clone(caretRange.put())) || !caretRange) return S_OK;
    caretRange->Collapse(ec, TF_ANCHOR_END);
    if (caret < length) {
        LONG moved = 0;
        caretRange->ShiftStart(ec, caret - length, &moved, nullptr);
        caretRange->Collapse(ec, TF_ANCHOR_START);
    }
    SelectRange(ec, context, caretRange.get());
    return S_OK;
}

HRESULT WriteAtSelection(TfEditCookie ec, ITfContext* context, ITfComposition* composition,
                         const wchar_t* text, LONG length, bool* left) {
    if (left) *left = false;
    if (!context) return E_INVALIDARG;
    ComPtr<ITfRange> range;
    if (composition) {
        // Committed text carries no composition mark.
        ClearCompositionAttribute(ec, context, composition);
        HRESULT hr = composition->GetRange(range.put());
        if (FAILED(hr) || !range) return FAILED(hr) ? hr : E_FAIL;
        hr = range->SetText(ec, 0, text, length);
        if (FAILED(hr)) return hr;
        // The composition starts after the committed text, so that what the key shows or
        // clears next cannot touch it.
        ComPtr<ITfRange> after;
        if (SUCCEEDED(range->Clone(after.put())) && after &&
            SUCCEEDED(after->Collapse(ec, TF_ANCHOR_END)) &&
            SUCCEEDED(composition->ShiftStart(ec, after.get())) && left)
            *left = true;
    } else {
        ComPtr<ITfInsertAtSelection> insert;
        HRESULT hr = context->QueryInterface(IID_ITfInsertAtSelection, insert.put_void());
        if (FAILED(hr)) return hr;
        hr = insert->InsertTextAtSelection(ec, 0, text, length, range.put());
        if (FAILED(hr) || !range) return FAILED(hr) ? hr : E_FAIL;
        if (left) *left = true;
    }
    range->Collapse(ec, TF_ANCHOR_END);
    SelectRange(ec, context, range.get());
    return S_OK;
}

void SetCompositionAttribute(TfEditCookie ec, ITfContext* context, ITfComposition* composition,
                             TfGuidAtom atom) {
    if (!context || !composition) return;
    ComPtr<ITfRange> range;
    ComPtr<ITfProperty> property;
    if (FAILED(composition->GetRange(range.put())) || !range) return;
    if (FAILED(context->GetProperty(GUID_PROP_ATTRIBUTE, property.put())) || !property) return;
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = static_cast<LONG>(atom);
    property->SetValue(ec, range.get(), &v);
}

void ClearCompositionAttribute(TfEditCookie ec, ITfContext* context, ITfComposition* composition) {
    if (!context || !composition) return;
    ComPtr<ITfRange> range;
    ComPtr<ITfProperty> property;
    if (FAILED(composition->GetRange(range.put())) || !range) return;
    if (FAILED(context->GetProperty(GUID_PROP_ATTRIBUTE, property.put())) || !property) return;
    property->Clear(ec, range.get());
}
