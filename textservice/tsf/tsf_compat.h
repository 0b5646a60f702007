// Text Services Framework declarations that the mingw-w64 headers lack, written from the
// published interface definitions (msctf, ctffunc, ctfutb). Only what the text service and
// its language-bar and candidate-list objects and the installer's registration use. Identifiers and
// method counts are checked by a test against the published values.
#pragma once
#include <windows.h>
#include <ctfutb.h>
#include <msctf.h>
#include <oleauto.h>

// ---- constants ----

constexpr DWORD TF_CONVERSIONMODE_ALPHANUMERIC = 0x0000;
constexpr DWORD TF_CONVERSIONMODE_NATIVE = 0x0001;
constexpr DWORD TF_CONVERSIONMODE_KATAKANA = 0x0002;
constexpr DWORD TF_CONVERSIONMODE_FULLSHAPE = 0x0008;
constexpr DWORD TF_CONVERSIONMODE_ROMAN = 0x0010;
constexpr DWORD TF_CONVERSIONMODE_CHARCODE = 0x0020;
constexpr DWORD TF_CONVERSIONMODE_NOCONVERSION = 0x0100;
constexpr DWORD TF_CONVERSIONMODE_EUDC = 0x0200;
constexpr DWORD TF_CONVERSIONMODE_SYMBOL = 0x0400;
constexpr DWORD TF_CONVERSIONMODE_FIXED = 0x0800;

constexpr DWORD TF_TMAE_NOACTIVATETIP = 0x0001;
constexpr DWORD TF_TMAE_SECUREMODE = 0x0002;
constexpr DWORD TF_TMAE_UIELEMENTENABLEDONLY = 0x0004;
constexpr DWORD TF_TMAE_COMLESS = 0x0008;
constexpr DWORD TF_TMAE_WOW16 = 0x0010;
constexpr DWORD TF_TMAE_NOACTIVATEKEYBOARDLAYOUT = 0x0020;
constexpr DWORD TF_TMAE_CONSOLE = 0x0040;
constexpr DWORD TF_TMF_IMMERSIVEMODE = 0x40000000;

constexpr TfGuidAtom TF_INVALID_GUIDATOM = 0;

// An edit session the framework will run later, not during the request.
constexpr HRESULT TF_S_ASYNC = MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_ITF, 0x0300);

// Language-bar item styles, statuses and update flags.
constexpr DWORD TF_LBI_STYLE_HIDDENSTATUSCONTROL = 0x0001;
constexpr DWORD TF_LBI_STYLE_SHOWNINTRAY = 0x0002;
constexpr DWORD TF_LBI_STYLE_BTN_BUTTON = 0x00010000;
constexpr DWORD TF_LBI_STYLE_BTN_MENU = 0x00020000;
constexpr DWORD TF_LBI_STYLE_BTN_TOGGLE = 0x00040000;
constexpr DWORD TF_LBI_STATUS_HIDDEN = 0x0001;
constexpr DWORD TF_LBI_STATUS_DISABLED = 0x0002;
constexpr DWORD TF_LBI_STATUS_BTN_TOGGLED = 0x00010000;
constexpr DWORD TF_LBI_ICON = 0x0001;
constexpr DWORD TF_LBI_TEXT = 0x0002;
constexpr DWORD TF_LBI_TOOLTIP = 0x0004;
constexpr DWORD TF_LBI_BITMAP = 0x0008;
constexpr DWORD TF_LBI_BALLOON = 0x0010;
constexpr DWORD TF_LBI_STATUS = 0x00010000;
constexpr DWORD TF_LBMENUF_CHECKED = 0x0001;
constexpr DWORD TF_LBMENUF_SUBMENU = 0x0002;
constexpr DWORD TF_LBMENUF_SEPARATOR = 0x0004;
constexpr DWORD TF_LBMENUF_RADIOCHECKED = 0x0008;
constexpr DWORD TF_LBMENUF_GRAYED = 0x0010;

// Candidate-list element update flags.
constexpr DWORD TF_CLUIE_DOCUMENTMGR = 0x0001;
constexpr DWORD TF_CLUIE_COUNT = 0x0002;
constexpr DWORD TF_CLUIE_SELECTION = 0x0004;
constexpr DWORD TF_CLUIE_STRING = 0x0008;
constexpr DWORD TF_CLUIE_PAGEINDEX = 0x0010;
constexpr DWORD TF_CLUIE_CURRENTPAGE = 0x0020;

typedef enum TfLayoutCode { TF_LC_CREATE = 0, TF_LC_CHANGE = 1, TF_LC_DESTROY = 2 } TfLayoutCode;
typedef enum TfLBIClick { TF_LBI_CLK_RIGHT = 1, TF_LBI_CLK_LEFT = 2 } TfLBIClick;
typedef enum TfIntegratableCandidateListSelectionStyle {
    STYLE_ACTIVE_SELECTION = 0,
    STYLE_IMPLIED_SELECTION = 1
} TfIntegratableCandidateListSelectionStyle;

// ---- GUIDs ----

inline constexpr GUID GUID_COMPARTMENT_KEYBOARD_INPUTMODE_CONVERSION = {
    0xCCF05DD8, 0x4A87, 0x11D7, {0xA6, 0xE2, 0x00, 0x06, 0x5B, 0x84, 0x43, 0x5C}};
inline constexpr GUID GUID_COMPARTMENT_KEYBOARD_INPUTMODE_SENTENCE = {
    0xCCF05DD9, 0x4A87, 0x11D7, {0xA6, 0xE2, 0x00, 0x06, 0x5B, 0x84, 0x43, 0x5C}};
inline constexpr GUID GUID_LBI_INPUTMODE = {
    0x2C77A81E, 0x41CC, 0x4178, {0xA3, 0xA7, 0x5F, 0x8A, 0x98, 0x75, 0x68, 0xE6}};
inline constexpr GUID GUID_INTEGRATIONSTYLE_SEARCHBOX = {
    0xE6D1BD11, 0x82F7, 0x4903, {0xAE, 0x21, 0x1A, 0x63, 0x97, 0xCD, 0xE2, 0xEB}};
inline constexpr GUID GUID_TFCAT_TIPCAP_IMMERSIVESUPPORT = {
    0x13A016DF, 0x560B, 0x46CD, {0x94, 0x7A, 0x4C, 0x3A, 0xF1, 0xE0, 0xE3, 0x5D}};
inline constexpr GUID GUID_TFCAT_TIPCAP_UIELEMENTENABLED = {
    0x49D2F9CF, 0x1F5E, 0x11D7, {0xA6, 0xD3, 0x00, 0x06, 0x5B, 0x84, 0x43, 0x5C}};
inline constexpr GUID GUID_TFCAT_TIPCAP_SECUREMODE = {
    0x49D2F9CE, 0x1F5E, 0x11D7, {0xA6, 0xD3, 0x00, 0x06, 0x5B, 0x84, 0x43, 0x5C}};
inline constexpr GUID GUID_TFCAT_TIPCAP_INPUTMODECOMPARTMENT = {
    0xCCF05DD7, 0x4A87, 0x11D7, {0xA6, 0xE2, 0x00, 0x06, 0x5B, 0x84, 0x43, 0x5C}};
inline constexpr GUID GUID_TFCAT_TIPCAP_COMLESS = {
    0x364215D9, 0x75BC, 0x11D7, {0xA1, 0x6C, 0x00, 0x06, 0x5B, 0x84, 0x43, 0x5C}};
inline constexpr GUID GUID_TFCAT_TIPCAP_SYSTRAYSUPPORT = {
    0x25504FB4, 0x7BAB, 0x4BC1, {0x9C, 0x69, 0xCF, 0x81, 0x89, 0x0F, 0x0E, 0xF5}};

inline constexpr IID IID_ITfTextInputProcessorEx = {
    0x6E4E2102, 0xF9CD, 0x433D, {0xB4, 0x96, 0x30, 0x3C, 0xE0, 0x3A, 0x65, 0x07}};
inline constexpr IID IID_ITfDisplayAttributeProvider = {
    0xFEE47777, 0x163C, 0x4769, {0x99, 0x6A, 0x6E, 0x9C, 0x50, 0xAD, 0x8F, 0x54}};
inline constexpr IID IID_ITfFunction = {
    0xDB593490, 0x098F, 0x11D3, {0x8D, 0xF0, 0x00, 0x10, 0x5A, 0x27, 0x99, 0xB5}};
inline constexpr IID IID_ITfFnConfigure = {
    0x88F567C6, 0x1757, 0x49F8, {0xA1, 0xB2, 0x89, 0x23, 0x4C, 0x1E, 0xEF, 0xF9}};
inline constexpr IID IID_ITfFnReconversion = {
    0x4CEA93C0, 0x0A58, 0x11D3, {0x8D, 0xF0, 0x00, 0x10, 0x5A, 0x27, 0x99, 0xB5}};
inline constexpr IID IID_ITfTextLayoutSink = {
    0x2AF2D06A, 0xDD5B, 0x4927, {0xA0, 0xB4, 0x54, 0xF1, 0x9C, 0x91, 0xFA, 0xDE}};
inline constexpr IID IID_ITfCandidateListUIElement = {
    0xEA1EA138, 0x19DF, 0x11D7, {0xA6, 0xD2, 0x00, 0x06, 0x5B, 0x84, 0x43, 0x5C}};
inline constexpr IID IID_ITfCandidateListUIElementBehavior = {
    0x85FAD185, 0x58CE, 0x497A, {0x94, 0x60, 0x35, 0x53, 0x66, 0xB6, 0x4B, 0x9A}};
inline constexpr IID IID_ITfIntegratableCandidateListUIElement = {
    0xC7A6F54F, 0xB180, 0x416F, {0xB2, 0xBF, 0x7B, 0xF2, 0xE4, 0x68, 0x3D, 0x7B}};
inline constexpr IID IID_ITfLangBarItemButton = {
    0x28C7F1D0, 0xDE25, 0x11D2, {0xAF, 0xDD, 0x00, 0x10, 0x5A, 0x27, 0x99, 0xB5}};
inline constexpr IID IID_ITfMenu = {
    0x6F8A98E4, 0xAAA0, 0x4F15, {0x8C, 0x5B, 0x07, 0xE0, 0xDF, 0x0A, 0x3D, 0xD8}};

// ---- interfaces ----

struct ITfCandidateList;  // reconversion candidates; never made here

struct ITfTextInputProcessorEx : public ITfTextInputProcessor {
    virtual HRESULT STDMETHODCALLTYPE ActivateEx(ITfThreadMgr* ptim, TfClientId tid,
                                                 DWORD dwFlags) = 0;
};

struct ITfDisplayAttributeProvider : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE
    EnumDisplayAttributeInfo(IEnumTfDisplayAttributeInfo** ppEnum) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDisplayAttributeInfo(REFGUID guid,
                                                              ITfDisplayAttributeInfo** ppInfo) = 0;
};

struct ITfFunction : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetDisplayName(BSTR* pbstrName) = 0;
};

struct ITfFnConfigure : public ITfFunction {
    virtual HRESULT STDMETHODCALLTYPE Show(HWND hwndParent, LANGID langid,
                                           REFGUID rguidProfile) = 0;
};

struct ITfFnReconversion : public ITfFunction {
    virtual HRESULT STDMETHODCALLTYPE QueryRange(ITfRange* pRange, ITfRange** ppNewRange,
                                                 BOOL* pfConvertable) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetReconversion(ITfRange* pRange,
                                                      ITfCandidateList** ppCandList) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reconvert(ITfRange* pRange) = 0;
};

struct ITfTextLayoutSink : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE OnLayoutChange(ITfContext* pic, TfLayoutCode lcode,
                                                     ITfContextView* pView) = 0;
};

struct ITfCandidateListUIElement : public ITfUIElement {
    virtual HRESULT STDMETHODCALLTYPE GetUpdatedFlags(DWORD* pdwFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDocumentMgr(ITfDocumentMgr** ppdim) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCount(UINT* puCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSelection(UINT* puIndex) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetString(UINT uIndex, BSTR* pstr) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPageIndex(UINT* pIndex, UINT uSize, UINT* puPageCnt) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPageIndex(UINT* pIndex, UINT uPageCnt) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentPage(UINT* puPage) = 0;
};

struct ITfCandidateListUIElementBehavior : public ITfCandidateListUIElement {
    virtual HRESULT STDMETHODCALLTYPE SetSelection(UINT nIndex) = 0;
    virtual HRESULT STDMETHODCALLTYPE Finalize() = 0;
    virtual HRESULT STDMETHODCALLTYPE Abort() = 0;
};

struct ITfIntegratableCandidateListUIElement : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetIntegrationStyle(GUID guidIntegrationStyle) = 0;
    virtual HRESULT STDMETHODCALLTYPE
    GetSelectionStyle(TfIntegratableCandidateListSelectionStyle* ptfSelectionStyle) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnKeyDown(WPARAM wParam, LPARAM lParam, BOOL* pfEaten) = 0;
    virtual HRESULT STDMETHODCALLTYPE ShowCandidateNumbers(BOOL* pfShow) = 0;
    virtual HRESULT STDMETHODCALLTYPE FinalizeExactCompositionString() = 0;
};

struct ITfMenu : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE AddMenuItem(UINT uId, DWORD dwFlags, HBITMAP hbmp,
                                                  HBITMAP hbmpMask, const WCHAR* pch, ULONG cch,
                                                  ITfMenu** ppMenu) = 0;
};

struct ITfLangBarItemButton : public ITfLangBarItem {
    virtual HRESULT STDMETHODCALLTYPE OnClick(TfLBIClick click, POINT pt, const RECT* prcArea) = 0;
    virtual HRESULT STDMETHODCALLTYPE InitMenu(ITfMenu* pMenu) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnMenuSelect(UINT wID) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIcon(HICON* phIcon) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetText(BSTR* pbstrText) = 0;
};
