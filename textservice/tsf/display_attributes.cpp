#include "textservice/tsf/display_attributes.h"

#include <new>

#include "core/base/boundary_guard.h"
#include "core/base/handles.h"
#include "textservice/object_count.h"

static_assert(sizeof(TF_DISPLAYATTRIBUTE) == 36);

namespace {

struct AttributeClass {
    GUID guid;
    const wchar_t* description;
    const wchar_t* valueName;
};

const AttributeClass kClasses[kAttributeKinds] = {
    {{0x63864826, 0x3EFA, 0x4405, {0x86, 0x0B, 0xA7, 0xFE, 0xA6, 0x70, 0xE6, 0xF3}},
     L"TextService Display Attribute Input",
     L"DisplayAttributeInput"},
    {{0x8BC7218B, 0xBE92, 0x4314, {0x9A, 0x22, 0x53, 0x42, 0x78, 0x17, 0xC4, 0x75}},
     L"TextService Display Attribute Converted",
     L"DisplayAttributeConverted"},
    {{0x6EAB0128, 0xBA08, 0x46F0, {0xA2, 0x81, 0xE0, 0xA3, 0xC2, 0x25, 0x53, 0x70}},
     L"TextService Display Attribute None",
     L"DisplayAttributeNone"},
};

int Index(AttributeKind kind) {
    const int i = static_cast<int>(kind);
    return i >= 0 && i < kAttributeKinds ? i : 0;
}

// The IUnknown part of both objects: one interface besides IUnknown, counted among the
// library's objects, destroyed under the library lock.
template <class Derived, class Interface>
class CountedObject : public Interface {
public:
    explicit CountedObject(const IID& iid) : iid_(iid) { ObjectCountIncrement(); }
    ~CountedObject() { ObjectCountDecrement(); }

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        return Guarded<HRESULT>(E_UNEXPECTED, [&]() -> HRESULT {
            if (!out) return E_POINTER;
            if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, iid_)) {
                *out = static_cast<Interface*>(this);
                AddRef();
                return S_OK;
            }
            *out = nullptr;
            return E_NOINTERFACE;
        });
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG n = --refs_;
        if (n == 0) {
            LibraryLockScope lock;
            delete static_cast<Derived*>(this);
        }
        return n;
    }

private:
    const IID& iid_;
    ULONG refs_ = 1;
};

class CDisplayAttributeInfo final
    : public CountedObject<CDisplayAttributeInfo, ITfDisplayAttributeInfo> {
public:
    explicit CDisplayAttributeInfo(AttributeKind kind)
        : CountedObject(IID_ITfDisplayAttributeInfo), kind_(kind) {}

    STDMETHODIMP GetGUID(GUID* out) override {
        return Guarded<HRESULT>(E_UNEXPECTED, [&]() -> HRESULT {
            if (!out) return E_INVALIDARG;
            *out = AttributeGuid(kind_);
            return S_OK;
        });
    }
    STDMETHODIMP GetDescription(BSTR* out) override {
        return Guarded<HRESULT>(E_UNEXPECTED, [&]() -> HRESULT {
            if (!out) return E_INVALIDARG;
            *out = SysAllocString(kClasses[Index(kind_)].description);
            return *out ? S_OK : E_OUTOFMEMORY;
        });
    }
    STDMETHODIMP GetAttributeInfo(TF_DISPLAYATTRIBUTE* out) override {
        return Guarded<HRESULT>(E_UNEXPECTED, [&]() -> HRESULT {
            if (!out) return E_INVALIDARG;
            *out = ReadAttribute(kind_);
            return S_OK;
        });
    }
    STDMETHODIMP SetAttributeInfo(const TF_DISPLAYATTRIBUTE* attribute) override {
        return Guarded<HRESULT>(E_UNEXPECTED, [&]() -> HRESULT {
            if (!attribute) return E_INVALIDARG;
            return WriteAttribute(kind_, *attribute) ? S_OK : E_FAIL;
        });
    }
    STDMETHODIMP Reset() override {
        return Guarded<HRESULT>(E_UNEXPECTED, [&]() -> HRESULT {
            return WriteAttribute(kind_, DefaultAttribute(kind_)) ? S_OK : E_FAIL;
        });
    }

private:
    AttributeKind kind_;
};

class CEnumDisplayAttributeInfo final
    : public CountedObject<CEnumDisplayAttributeInfo, IEnumTfDisplayAttributeInfo> {
public:
    explicit CEnumDisplayAttributeInfo(int position)
        : CountedObject(IID_IEnumTfDisplayAttributeInfo), position_(position) {}

    STDMETHODIMP Clone(IEnumTfDisplayAttributeInfo** out) override {
        return Guarded<HRESULT>(E_UNEXPECTED, [&]() -> HRESULT {
            if (!out) return E_INVALIDARG;
            *out = CreateDisplayAttributeEnumerator(position_);
            return *out ? S_OK : E_OUTOFMEMORY;
        });
    }
    STDMETHODIMP Next(ULONG count, ITfDisplayAttributeInfo** items, ULONG* fetched) override {
        return Guarded<HRESULT>(E_UNEXPECTED, [&]() -> HRESULT {
            if (fetched) *fetched = 0;
            if (count && !items) return E_INVALIDARG;
            ULONG n = 0;
            while (n < count && position_ < kAttributeKinds) {
                ITfDisplayAttributeInfo* info =
                    CreateDisplayAttributeInfo(static_cast<AttributeKind>(position_));
                if (!info) {
                    for (ULONG i = 0; i < n; ++i) {
                        items[i]->Release();
                        items[i] = nullptr;
                    }
                    return E_OUTOFMEMORY;
                }
                items[n++] = info;
                ++position_;
            }
            if (fetched) *fetched = n;
            return n == count ? S_OK : S_FALSE;
        });
    }
    STDMETHODIMP Reset() override {
        position_ = 0;
        return S_OK;
    }
    STDMETHODIMP Skip(ULONG count) override {
        return Guarded<HRESULT>(E_UNEXPECTED, [&]() -> HRESULT {
            const ULONG remaining = static_cast<ULONG>(kAttributeKinds - position_);
            const ULONG skipped = count < remaining ? count : remaining;
            position_ += static_cast<int>(skipped);
            return skipped == count ? S_OK : S_FALSE;
        });
    }

private:
    int position_;
};

}  // namespace

const GUID& AttributeGuid(AttributeKind kind) { return kClasses[Index(kind)].guid; }

TF_DISPLAYATTRIBUTE DefaultAttribute(AttributeKind kind) {
    TF_DISPLAYATTRIBUTE a = {};
    a.crText.type = TF_CT_NONE;
    a.crBk.type = TF_CT_NONE;
    a.crLine.type = TF_CT_NONE;
    a.fBoldLine = FALSE;
    if (kind == AttributeKind::kConverted) {
        a.crBk.cr = 0xFFFFFF;
        a.lsStyle = TF_LS_SOLID;
        a.crLine.cr = 0xFFFFFF;
        a.bAttr = TF_ATTR_TARGET_CONVERTED;
    } else {
        a.lsStyle = TF_LS_DOT;
        a.bAttr = TF_ATTR_INPUT;
    }
    return a;
}

TF_DISPLAYATTRIBUTE ReadAttribute(AttributeKind kind) {
    TF_DISPLAYATTRIBUTE stored = {};
    DWORD type = 0;
    DWORD size = sizeof stored;
    zan::UniqueKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kDisplayAttributeKey, 0, KEY_READ, key.put()) !=
        ERROR_SUCCESS)
        return DefaultAttribute(kind);
    // A value of another size is not a look of ours.
    const LONG r = RegQueryValueExW(key.get(), kClasses[Index(kind)].valueName, nullptr, &type,
                                    reinterpret_cast<BYTE*>(&stored), &size);
    if (r != ERROR_SUCCESS || type != REG_BINARY || size != sizeof stored)
        return DefaultAttribute(kind);
    return stored;
}

bool WriteAttribute(AttributeKind kind, const TF_DISPLAYATTRIBUTE& attribute) {
    zan::UniqueKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kDisplayAttributeKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS)
        return false;
    return RegSetValueExW(key.get(), kClasses[Index(kind)].valueName, 0, REG_BINARY,
                          reinterpret_cast<const BYTE*>(&attribute),
                          sizeof attribute) == ERROR_SUCCESS;
}

ITfDisplayAttributeInfo* CreateDisplayAttributeInfo(AttributeKind kind) {
    return new (std::nothrow) CDisplayAttributeInfo(kind);
}

IEnumTfDisplayAttributeInfo* CreateDisplayAttributeEnumerator(int position) {
    if (position < 0) position = 0;
    if (position > kAttributeKinds) position = kAttributeKinds;
    return new (std::nothrow) CEnumDisplayAttributeInfo(position);
}

HRESULT GetDisplayAttributeInfoFor(REFGUID guid, ITfDisplayAttributeInfo** out) {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    for (int i = 0; i < kAttributeKinds; ++i) {
        if (IsEqualGUID(guid, kClasses[i].guid)) {
            *out = CreateDisplayAttributeInfo(static_cast<AttributeKind>(i));
            return *out ? S_OK : E_OUTOFMEMORY;
        }
    }
    return E_INVALIDARG;
}

void RegisterAttributeAtoms(ITfCategoryMgr* categories, TfGuidAtom (&atoms)[kAttributeKinds]) {
    for (TfGuidAtom& a : atoms) a = TF_INVALID_GUIDATOM;
    if (!categories) return;
    for (int i = 0; i < kAttributeKinds; ++i) {
        TfGuidAtom atom = TF_INVALID_GUIDATOM;
        if (SUCCEEDED(categories->RegisterGUID(kClasses[i].guid, &atom))) atoms[i] = atom;
    }
}
