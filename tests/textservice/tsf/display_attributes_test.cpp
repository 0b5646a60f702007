// Display attributes: defaults, the registry round trip, the provider and the enumerator.
#include "textservice/tsf/display_attributes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "textservice/com_ptr.h"
#include "textservice/object_count.h"

namespace {

class DisplayAttributes : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kDisplayAttributeKey); }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kDisplayAttributeKey);
        EXPECT_EQ(ObjectCountValue(), kObjectCountIdle);
    }
    static void StoreRaw(const wchar_t* name, const std::vector<uint8_t>& bytes) {
        HKEY k;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kDisplayAttributeKey, 0, nullptr, 0, KEY_WRITE,
                                  nullptr, &k, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(k, name, 0, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
        RegCloseKey(k);
    }
};

bool Same(const TF_DISPLAYATTRIBUTE& a, const TF_DISPLAYATTRIBUTE& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST_F(DisplayAttributes, DefaultsWithoutStoredLooks) {
    const struct {
        AttributeKind kind;
        TF_DA_LINESTYLE line;
        TF_DA_ATTR_INFO info;
        COLORREF background;
    } cases[] = {
        {AttributeKind::kInput, TF_LS_DOT, TF_ATTR_INPUT, 0},
        {AttributeKind::kConverted, TF_LS_SOLID, TF_ATTR_TARGET_CONVERTED, 0xFFFFFF},
        {AttributeKind::kNone, TF_LS_DOT, TF_ATTR_INPUT, 0},
    };
    for (const auto& c : cases) {
        ComPtr<ITfDisplayAttributeInfo> info =
            ComPtr<ITfDisplayAttributeInfo>::Attach(CreateDisplayAttributeInfo(c.kind));
        TF_DISPLAYATTRIBUTE a;
        ASSERT_EQ(info->GetAttributeInfo(&a), S_OK);
        EXPECT_EQ(a.lsStyle, c.line);
        EXPECT_EQ(a.bAttr, c.info);
        EXPECT_EQ(a.crText.type, TF_CT_NONE);
        EXPECT_EQ(a.crBk.type, TF_CT_NONE);
        EXPECT_EQ(a.crBk.cr, c.background);
        EXPECT_FALSE(a.fBoldLine);
        EXPECT_EQ(info->GetAttributeInfo(nullptr), E_INVALIDARG);
    }
}

TEST_F(DisplayAttributes, StoredLookRoundTripsAndResetWritesTheDefault) {
    ComPtr<ITfDisplayAttributeInfo> info =
        ComPtr<ITfDisplayAttributeInfo>::Attach(CreateDisplayAttributeInfo(AttributeKind::kInput));
    TF_DISPLAYATTRIBUTE bold = DefaultAttribute(AttributeKind::kInput);
    bold.fBoldLine = TRUE;
    bold.crText.type = TF_CT_COLORREF;
    bold.crText.cr = RGB(1, 2, 3);
    ASSERT_EQ(info->SetAttributeInfo(&bold), S_OK);
    TF_DISPLAYATTRIBUTE back;
    ASSERT_EQ(info->GetAttributeInfo(&back), S_OK);
    EXPECT_TRUE(Same(back, bold));
    // Another class keeps its own value.
    EXPECT_TRUE(Same(ReadAttribute(AttributeKind::kConverted),
                     DefaultAttribute(AttributeKind::kConverted)));
    ASSERT_EQ(info->Reset(), S_OK);
    std::vector<uint8_t> stored(64);
    DWORD size = 64, type = 0;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, kDisplayAttributeKey, L"DisplayAttributeInput",
                           RRF_RT_ANY, &type, stored.data(), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(size, 36u);
    const TF_DISPLAYATTRIBUTE def = DefaultAttribute(AttributeKind::kInput);
    EXPECT_EQ(std::memcmp(stored.data(), &def, 36), 0);
}

TEST_F(DisplayAttributes, StoredValueOfAnotherSizeIsIgnored) {
    for (size_t n : {35u, 37u, 0u}) {
        StoreRaw(L"DisplayAttributeInput", std::vector<uint8_t>(n, 0x7F));
        EXPECT_TRUE(
            Same(ReadAttribute(AttributeKind::kInput), DefaultAttribute(AttributeKind::kInput)))
            << n;
    }
}

TEST_F(DisplayAttributes, GuidsAndDescriptions) {
    const struct {
        AttributeKind kind;
        const wchar_t* guid;
        const wchar_t* description;
    } cases[] = {
        {AttributeKind::kInput, L"{63864826-3EFA-4405-860B-A7FEA670E6F3}",
         L"TextService Display Attribute Input"},
        {AttributeKind::kConverted, L"{8BC7218B-BE92-4314-9A22-53427817C475}",
         L"TextService Display Attribute Converted"},
        {AttributeKind::kNone, L"{6EAB0128-BA08-46F0-A281-E0A3C2255370}",
         L"TextService Display Attribute None"},
    };
    for (const auto& c : cases) {
        GUID g;
        ASSERT_EQ(IIDFromString(c.guid, &g), S_OK);
        ComPtr<ITfDisplayAttributeInfo> info;
        ASSERT_EQ(GetDisplayAttributeInfoFor(g, info.put()), S_OK);
        GUID back;
        ASSERT_EQ(info->GetGUID(&back), S_OK);
        EXPECT_TRUE(IsEqualGUID(back, g));
        BSTR d = nullptr;
        ASSERT_EQ(info->GetDescription(&d), S_OK);
        EXPECT_STREQ(d, c.description);
        SysFreeString(d);
        EXPECT_EQ(info->GetDescription(nullptr), E_INVALIDARG);
    }
    ComPtr<ITfDisplayAttributeInfo> none;
    EXPECT_EQ(GetDisplayAttributeInfoFor(IID_IUnknown, none.put()), E_INVALIDARG);
    EXPECT_FALSE(none);
    EXPECT_EQ(GetDisplayAttributeInfoFor(IID_IUnknown, nullptr), E_INVALIDARG);
}

std::vector<GUID> Drain(IEnumTfDisplayAttributeInfo* e, ULONG count, HRESULT* hr) {
    ITfDisplayAttributeInfo* items[8] = {};
    ULONG fetched = 99;
    *hr = e->Next(count, items, &fetched);
    std::vector<GUID> out;
    for (ULONG i = 0; i < fetched; ++i) {
        GUID g;
        items[i]->GetGUID(&g);
        out.push_back(g);
        items[i]->Release();
    }
    return out;
}

TEST_F(DisplayAttributes, EnumeratorNextSkipResetClone) {
    ComPtr<IEnumTfDisplayAttributeInfo> e =
        ComPtr<IEnumTfDisplayAttributeInfo>::Attach(CreateDisplayAttributeEnumerator());
    HRESULT hr;
    std::vector<GUID> all = Drain(e.get(), 3, &hr);
    EXPECT_EQ(hr, S_OK);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_TRUE(IsEqualGUID(all[0], AttributeGuid(AttributeKind::kInput)));
    EXPECT_TRUE(IsEqualGUID(all[1], AttributeGuid(AttributeKind::kConverted)));
    EXPECT_TRUE(IsEqualGUID(all[2], AttributeGuid(AttributeKind::kNone)));
    EXPECT_TRUE(Drain(e.get(), 1, &hr).empty());
    EXPECT_EQ(hr, S_FALSE);

    // Skip moves by what is left and says when it fell short.
    const struct {
        ULONG first, skip;
        HRESULT result;
        size_t left;
    } skips[] = {
        {0, 0, S_OK, 3},    {0, 1, S_OK, 2}, {0, 2, S_OK, 1},    {0, 3, S_OK, 0},
        {0, 5, S_FALSE, 0}, {2, 1, S_OK, 0}, {2, 2, S_FALSE, 0}, {3, 1, S_FALSE, 0},
    };
    for (const auto& s : skips) {
        e->Reset();
        if (s.first) Drain(e.get(), s.first, &hr);
        EXPECT_EQ(e->Skip(s.skip), s.result) << s.first << "+" << s.skip;
        EXPECT_EQ(Drain(e.get(), 8, &hr).size(), s.left) << s.first << "+" << s.skip;
    }

    e->Reset();
    Drain(e.get(), 1, &hr);
    ComPtr<IEnumTfDisplayAttributeInfo> copy;
    ASSERT_EQ(e->Clone(copy.put()), S_OK);
    std::vector<GUID> rest = Drain(copy.get(), 3, &hr);
    ASSERT_EQ(rest.size(), 2u);
    EXPECT_TRUE(IsEqualGUID(rest[0], AttributeGuid(AttributeKind::kConverted)));
    EXPECT_EQ(e->Clone(nullptr), E_INVALIDARG);
    ULONG fetched = 7;
    EXPECT_EQ(e->Next(1, nullptr, &fetched), E_INVALIDARG);
}

}  // namespace
