// Reference handling of the COM owner: copies, moves and refilled out parameters.
#include "textservice/com_ptr.h"

#include <gtest/gtest.h>

namespace {

// Counts its references; the test checks them by hand.
struct Counted : IUnknown {
    ULONG refs = 1;
    STDMETHODIMP QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
};

// An API that hands out a new reference through an out parameter.
HRESULT HandOut(Counted* object, IUnknown** out) {
    object->AddRef();
    *out = object;
    return S_OK;
}

TEST(ComPtrTest, CopyAndAttachReferences) {
    Counted a;
    {
        auto p = ComPtr<IUnknown>::Copy(&a);
        EXPECT_EQ(a.refs, 2u);
        ComPtr<IUnknown> q = p;
        EXPECT_EQ(a.refs, 3u);
        q = p;  // same object again
        EXPECT_EQ(a.refs, 3u);
        q = q;  // self-assignment keeps the reference
        EXPECT_EQ(a.refs, 3u);
    }
    EXPECT_EQ(a.refs, 1u);
    a.AddRef();
    { auto p = ComPtr<IUnknown>::Attach(&a); }
    EXPECT_EQ(a.refs, 1u);
}

TEST(ComPtrTest, MoveAssignmentReleasesTheOldReference) {
    Counted a, b;
    auto p = ComPtr<IUnknown>::Copy(&a);
    auto q = ComPtr<IUnknown>::Copy(&b);
    p = std::move(q);
    EXPECT_EQ(a.refs, 1u);
    EXPECT_EQ(b.refs, 2u);
    EXPECT_EQ(p.get(), &b);
    EXPECT_FALSE(q);
    ComPtr<IUnknown>& self = p;
    p = std::move(self);
    EXPECT_EQ(b.refs, 2u);
    EXPECT_EQ(p.get(), &b);
    ComPtr<IUnknown> moved(std::move(p));
    EXPECT_EQ(b.refs, 2u);
    EXPECT_FALSE(p);
    moved.reset();
    EXPECT_EQ(b.refs, 1u);
}

TEST(ComPtrTest, OutParameterReuseReleasesThePreviousObject) {
    Counted a, b;
    ComPtr<IUnknown> p;
    ASSERT_EQ(HandOut(&a, p.put()), S_OK);
    EXPECT_EQ(a.refs, 2u);
    ASSERT_EQ(HandOut(&b, p.put()), S_OK);
    EXPECT_EQ(a.refs, 1u);
    EXPECT_EQ(b.refs, 2u);
    ASSERT_EQ(HandOut(&a, reinterpret_cast<IUnknown**>(p.put_void())), S_OK);
    EXPECT_EQ(b.refs, 1u);
    EXPECT_EQ(a.refs, 2u);
    IUnknown* raw = p.detach();
    EXPECT_EQ(raw, &a);
    EXPECT_EQ(a.refs, 2u);
    raw->Release();
}

}  // namespace
