// The preserved keys: the configured hotkeys and the two fixed ones, and their presses.
#include <cstring>

#include "core/base/boundary_guard.h"
#include "textservice/keys/key_classify.h"
#include "textservice/tsf/text_service.h"

const GUID kFullWidthKeyGuid = {
    0xD6783545, 0x19AA, 0x4180, {0x88, 0x18, 0x2B, 0xCA, 0xCD, 0xCE, 0xC4, 0x11}};
const GUID kPunctuationKeyGuid = {
    0x93CB16E7, 0x163C, 0x4D9B, {0x8E, 0x51, 0xE4, 0xA5, 0xF0, 0x70, 0xC1, 0x61}};

namespace {

// The first hotkey GUID; the others follow it in its first field.
constexpr GUID kFirstHotkeyGuid = {
    0x764C734C, 0xC30F, 0x49F2, {0xBD, 0xE2, 0xC5, 0x3C, 0x34, 0xAB, 0x05, 0xCD}};

struct HotkeyGuidTable {
    GUID guids[kHotkeyGuids];
    HotkeyGuidTable() {
        for (int i = 0; i < kHotkeyGuids; ++i) {
            guids[i] = kFirstHotkeyGuid;
            guids[i].Data1 += static_cast<unsigned long>(i);
        }
    }
};
const HotkeyGuidTable hotkeyGuids;

// Modifiers of a configured hotkey.
UINT HotkeyModifiers(KeyCombination c) {
    UINT m = 0;
    if ((c & keycombo::kLeftCtrl) == keycombo::kLeftCtrl)
        m |= TF_MOD_LCONTROL;
    else if ((c & keycombo::kRightCtrl) == keycombo::kRightCtrl)
        m |= TF_MOD_RCONTROL;
    else if (c & keycombo::kCtrl)
        m |= TF_MOD_CONTROL;
    if ((c & keycombo::kLeftShift) == keycombo::kLeftShift)
        m |= TF_MOD_LSHIFT;
    else if ((c & keycombo::kRightShift) == keycombo::kRightShift)
        m |= TF_MOD_RSHIFT;
    else if (c & keycombo::kShift)
        m |= TF_MOD_SHIFT;
    if ((c & keycombo::kLeftAlt) == keycombo::kLeftAlt)
        m |= TF_MOD_LALT;
    else if ((c & keycombo::kRightAlt) == keycombo::kRightAlt)
        m |= TF_MOD_RALT;
    else if (c & keycombo::kAlt)
        m |= TF_MOD_ALT;
    return m;
}

// Configured hotkeys that have a GUID: the count byte, bounded by the GUID table and the
// record list.
int HotkeyCount(const DmeConfigData* dme) {
    int n = dme->comboCount;
    if (n > kHotkeyGuids) n = kHotkeyGuids;
    if (n > kMaxCombos) n = kMaxCombos;
    return n;
}

KeyCombination ComboAt(const DmeConfigData* dme, int i) {
    KeyCombination c;
    std::memcpy(&c, &dme->combos[i].combination, sizeof c);
    return c;
}

KeyFunctionMask ComboFunctions(const DmeConfigData* dme, int i) {
    KeyFunctionMask m;
    std::memcpy(&m, &dme->combos[i].functions, sizeof m);
    return m;
}

}  // namespace

const GUID& HotkeyGuid(int index) {
    return hotkeyGuids.guids[index >= 0 && index < kHotkeyGuids ? index : 0];
}

// ---- preserved keys ----

int CTextService::PreserveHotkeys() {
    if (!engine_ || !engine_->dme) return 1;
    if (!threadMgr_) return 0;
    ComPtr<ITfKeystrokeMgr> keystrokes;
    if (FAILED(threadMgr_->QueryInterface(IID_ITfKeystrokeMgr, keystrokes.put_void()))) return 0;
    UnpreserveHotkeys();
    const uint32_t options = engine_->ime ? engine_->ime->options : 0;
    if ((options & kImeNoComboHotkeys) || KeyboardIsDisabled()) return 1;
    // Closed: only the hotkeys that open it again.
    const bool closed = !KeyboardIsOpen();
    auto preserve = [&](const GUID& guid, UINT vk, UINT modifiers) {
        TF_PRESERVEDKEY key = {vk, modifiers};
        if (SUCCEEDED(keystrokes->PreserveKey(clientId_, guid, &key, L"---", 3)) &&
            preservedCount_ < kHotkeyGuids + 2)
            preserved_[preservedCount_++] = {guid, key};
    };
    const DmeConfigData* dme = engine_->dme;
    const int n = HotkeyCount(dme);
    for (int i = 0; i < n; ++i) {
        const KeyCombination c = ComboAt(dme, i);
        if (!IsStorableKeyCombination(c)) continue;
        if (closed && !HotkeyWorksWhileClosed(ComboFunctions(dme, i))) continue;
        preserve(HotkeyGuid(i), static_cast<UINT>(c & keycombo::kKeyMask), HotkeyModifiers(c));
    }
    if (closed) return 1;
    preserve(kFullWidthKeyGuid, VK_SPACE, TF_MOD_SHIFT);
    preserve(kPunctuationKeyGuid, VK_OEM_PERIOD, TF_MOD_CONTROL);
    return 1;
}

void CTextService::UnpreserveHotkeys() {
    if (preservedCount_ == 0) return;
    ComPtr<ITfKeystrokeMgr> keystrokes;
    if (threadMgr_) threadMgr_->QueryInterface(IID_ITfKeystrokeMgr, keystrokes.put_void());
    for (int i = 0; i < preservedCount_; ++i)
        if (keystrokes) keystrokes->UnpreserveKey(preserved_[i].guid, &preserved_[i].key);
    preservedCount_ = 0;
}

STDMETHODIMP CTextService::OnPreservedKey(ITfContext* context, REFGUID guid, BOOL* eaten) {
    return Guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
        if (!eaten) return E_INVALIDARG;
        *eaten = FALSE;
        if (!engine_) return S_OK;
        if (IsEqualGUID(guid, kFullWidthKeyGuid)) {
            UICommandHandler(this, (engine_->state & kStateFullWidthOutput) ? 0x2002 : 0x2001, 0,
                             0);
        } else if (IsEqualGUID(guid, kPunctuationKeyGuid)) {
            UICommandHandler(this, (engine_->state & kStateEnglishPunct) ? 0x2004 : 0x2003, 0, 0);
        } else if (const DmeConfigData* dme = engine_->dme) {
            const int n = HotkeyCount(dme);
            for (int i = 0; i < n; ++i) {
                if (!IsEqualGUID(guid, HotkeyGuid(i))) continue;
                engine_->input.keyChar = L"";
                engine_->input.keyAction = ComboFunctions(dme, i);
                engine_->input.keyVk = 0;
                RequestKeyEditSession(context);
                *eaten = TRUE;
                break;
            }
        }
        keys_.lastScanCode = kNoScanCode;
        return S_OK;
    });
}
