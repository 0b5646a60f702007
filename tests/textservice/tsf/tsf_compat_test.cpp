// The declarations of the framework that the platform headers lack: identifiers against the
// published values, method slots against the published interface definitions.
#include "textservice/tsf/tsf_compat.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

std::string GuidText(const GUID& g) {
    wchar_t w[40] = {};
    StringFromGUID2(g, w, 40);
    std::string s;
    for (const wchar_t* p = w; *p; ++p) s.push_back(static_cast<char>(*p));
    return s;
}

// Slot of a virtual method in its vtable (a pointer to a virtual member holds 1 + the byte
// offset of its slot).
template <class Method>
size_t SlotOf(Method m) {
    struct {
        uintptr_t ptr;
        ptrdiff_t adjust;
    } raw;
    static_assert(sizeof(Method) == sizeof raw);
    std::memcpy(&raw, &m, sizeof raw);
    return (raw.ptr - 1) / sizeof(void*);
}

TEST(TsfCompat, IdentifiersHaveThePublishedValues) {
    const struct {
        const GUID& guid;
        const char* text;
    } cases[] = {
        {IID_ITfTextInputProcessorEx, "{6E4E2102-F9CD-433D-B496-303CE03A6507}"},
        {IID_ITfDisplayAttributeProvider, "{FEE47777-163C-4769-996A-6E9C50AD8F54}"},
        {IID_ITfFunction, "{DB593490-098F-11D3-8DF0-00105A2799B5}"},
        {IID_ITfFnConfigure, "{88F567C6-1757-49F8-A1B2-89234C1EEFF9}"},
        {IID_ITfFnReconversion, "{4CEA93C0-0A58-11D3-8DF0-00105A2799B5}"},
        {IID_ITfTextLayoutSink, "{2AF2D06A-DD5B-4927-A0B4-54F19C91FADE}"},
        {IID_ITfCandidateListUIElement, "{EA1EA138-19DF-11D7-A6D2-00065B84435C}"},
        {IID_ITfCandidateListUIElementBehavior, "{85FAD185-58CE-497A-9460-355366B64B9A}"},
        {IID_ITfIntegratableCandidateListUIElement, "{C7A6F54F-B180-416F-B2BF-7BF2E4683D7B}"},
        {IID_ITfLangBarItemButton, "{28C7F1D0-DE25-11D2-AFDD-00105A2799B5}"},
        {IID_ITfMenu, "{6F8A98E4-AAA0-4F15-8C5B-07E0DF0A3DD8}"},
        {GUID_COMPARTMENT_KEYBOARD_INPUTMODE_CONVERSION, "{CCF05DD8-4A87-11D7-A6E2-00065B84435C}"},
        {GUID_COMPARTMENT_KEYBOARD_INPUTMODE_SENTENCE, "{CCF05DD9-4A87-11D7-A6E2-00065B84435C}"},
        {GUID_LBI_INPUTMODE, "{2C77A81E-41CC-4178-A3A7-5F8A987568E6}"},
        {GUID_INTEGRATIONSTYLE_SEARCHBOX, "{E6D1BD11-82F7-4903-AE21-1A6397CDE2EB}"},
        {GUID_TFCAT_TIPCAP_IMMERSIVESUPPORT, "{13A016DF-560B-46CD-947A-4C3AF1E0E35D}"},
        {GUID_TFCAT_TIPCAP_UIELEMENTENABLED, "{49D2F9CF-1F5E-11D7-A6D3-00065B84435C}"},
        {GUID_TFCAT_TIPCAP_SECUREMODE, "{49D2F9CE-1F5E-11D7-A6D3-00065B84435C}"},
        {GUID_TFCAT_TIPCAP_INPUTMODECOMPARTMENT, "{CCF05DD7-4A87-11D7-A6E2-00065B84435C}"},
        {GUID_TFCAT_TIPCAP_COMLESS, "{364215D9-75BC-11D7-A16C-00065B84435C}"},
        {GUID_TFCAT_TIPCAP_SYSTRAYSUPPORT, "{25504FB4-7BAB-4BC1-9C69-CF81890F0EF5}"},
        // Declared by the platform headers; the service relies on them too.
        {IID_ITfUIElement, "{EA1EA137-19DF-11D7-A6D2-00065B84435C}"},
        {IID_ITfLangBarItem, "{73540D69-EDEB-4EE9-96C9-23AA30B25916}"},
        {GUID_COMPARTMENT_KEYBOARD_OPENCLOSE, "{58273AAD-01BB-4164-95C6-755BA0B5162D}"},
        {GUID_PROP_ATTRIBUTE, "{34B45670-7526-11D2-A147-00105A2799B5}"},
        {GUID_TFCAT_TIP_KEYBOARD, "{34745C63-B2F0-4784-8B67-5E12C8701A31}"},
        {GUID_TFCAT_DISPLAYATTRIBUTEPROVIDER, "{046B8C80-1647-40F7-9B21-B93B81AABC1B}"},
    };
    for (const auto& c : cases) EXPECT_EQ(GuidText(c.guid), c.text);
}

TEST(TsfCompat, MethodSlotsFollowThePublishedOrder) {
    const struct {
        const char* name;
        size_t slot, expected;
    } cases[] = {
        {"ActivateEx", SlotOf(&ITfTextInputProcessorEx::ActivateEx), 5},
        {"EnumDisplayAttributeInfo", SlotOf(&ITfDisplayAttributeProvider::EnumDisplayAttributeInfo),
         3},
        {"GetDisplayAttributeInfo", SlotOf(&ITfDisplayAttributeProvider::GetDisplayAttributeInfo),
         4},
        {"GetDisplayName", SlotOf(&ITfFunction::GetDisplayName), 3},
        {"Show", SlotOf(&ITfFnConfigure::Show), 4},
        {"QueryRange", SlotOf(&ITfFnReconversion::QueryRange), 4},
        {"Reconvert", SlotOf(&ITfFnReconversion::Reconvert), 6},
        {"OnLayoutChange", SlotOf(&ITfTextLayoutSink::OnLayoutChange), 3},
        {"GetUpdatedFlags", SlotOf(&ITfCandidateListUIElement::GetUpdatedFlags), 7},
        {"GetCurrentPage", SlotOf(&ITfCandidateListUIElement::GetCurrentPage), 14},
        {"SetSelection", SlotOf(&ITfCandidateListUIElementBehavior::SetSelection), 15},
        {"Abort", SlotOf(&ITfCandidateListUIElementBehavior::Abort), 17},
        {"SetIntegrationStyle", SlotOf(&ITfIntegratableCandidateListUIElement::SetIntegrationStyle),
         3},
        {"FinalizeExactCompositionString",
         SlotOf(&ITfIntegratableCandidateListUIElement::FinalizeExactCompositionString), 7},
        {"AddMenuItem", SlotOf(&ITfMenu::AddMenuItem), 3},
        {"OnClick", SlotOf(&ITfLangBarItemButton::OnClick), 7},
        {"GetText", SlotOf(&ITfLangBarItemButton::GetText), 11},
    };
    for (const auto& c : cases) EXPECT_EQ(c.slot, c.expected) << c.name;
}

TEST(TsfCompat, ConstantsAndLayouts) {
    EXPECT_EQ(sizeof(TF_DISPLAYATTRIBUTE), 36u);
    EXPECT_EQ(TF_CONVERSIONMODE_NOCONVERSION | TF_CONVERSIONMODE_SYMBOL |
                  TF_CONVERSIONMODE_FULLSHAPE | TF_CONVERSIONMODE_NATIVE,
              0x509u);
    EXPECT_EQ(TF_TMAE_SECUREMODE | TF_TMAE_UIELEMENTENABLEDONLY | TF_TMAE_COMLESS | TF_TMAE_WOW16 |
                  TF_TMAE_CONSOLE,
              0x5Eu);
    EXPECT_EQ(TF_TMF_IMMERSIVEMODE, 0x40000000u);
    EXPECT_EQ(TF_LBI_STATUS | TF_LBI_ICON, 0x10001u);
    EXPECT_EQ(TF_CLUIE_DOCUMENTMGR | TF_CLUIE_COUNT | TF_CLUIE_SELECTION | TF_CLUIE_STRING |
                  TF_CLUIE_PAGEINDEX | TF_CLUIE_CURRENTPAGE,
              63u);
    EXPECT_EQ(TF_LC_CHANGE, 1);
    EXPECT_EQ(TF_LC_DESTROY, 2);
    EXPECT_EQ(TF_LBI_CLK_LEFT, 2);
    EXPECT_EQ(static_cast<uint32_t>(TF_S_ASYNC), 0x00040300u);
}

}  // namespace
