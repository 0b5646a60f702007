#include "config/key_function_editor.h"

#include "config/config_dialogs.h"
#include "config/config_icons.h"
#include "config/config_ids.h"
#include "config/editor_ids.h"
#include "config/start_target.h"
#include "core/record/engine.h"
#include "dialog/control_text.h"
#include "dialog/menus.h"
#include "dialog/ui_port.h"

namespace {

constexpr wchar_t kCaption[] = L"赞拓输入法生成器";
constexpr wchar_t kCombosFull[] = L"组合按键空间用尽，您最多能定义64组组合键。";
constexpr wchar_t kAskDefaults[] =
    L"此操作将清空您原有的自定义设置，然后使用赞拓默认按键方案。\r\n是否继续？";
constexpr wchar_t kAskClearAll[] = L"此操作将清空所有已经定义的按键功能。\r\n是否继续？";
constexpr wchar_t kAskClearCombos[] = L"此操作将清空所有已经定义的组合键功能。\r\n是否继续？";

INT_PTR RunFromStart(const ConfigDialogRequest& r) {
    return RunKeyFunctionEditor(r.engine, r.owner, r.displayName, r.icon);
}

}  // namespace

ZAN_REGISTER_CONFIG_DIALOG(ConfigDialogKind::KeyFunctions, RunFromStart)

INT_PTR RunKeyFunctionEditor(Engine* engine, HWND owner, const wchar_t* displayName, HICON icon) {
    CKBDFunction dialog(engine, owner, displayName, icon);
    return dialog.RunModal(owner);
}

CKBDFunction::CKBDFunction(Engine* engine, HWND owner, const wchar_t* displayName, HICON icon)
    : Dialog(IDD_KEY_FUNCTIONS),
      engine_(engine),
      owner_(owner),
      displayName_(displayName),
      icon_(icon) {}

DmeConfigData* CKBDFunction::Dme() const { return engine_ ? engine_->dme : nullptr; }

bool CKBDFunction::OnInitDialog() {
    HWND h = hwnd();
    HICON big = icon_ ? icon_ : LoadImeIcon(engine_, IDI_TAB_ADVANCED);
    SendMessageW(h, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(h, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(big));
    if (!owner_) SetProgramMainWindow(h);
    wchar_t title[kTitleUnits];
    FormatDialogTitle(kKeyFunctionsTitle, displayName_ && displayName_[0] ? displayName_ : L"*",
                      title);
    SetWindowTextW(h, title);
    // Key labels in a small face, so that names such as "PrintSc" fit their keys.
    keyFont_.reset(CreateFontW(-10, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                               DEFAULT_PITCH, L"Tahoma"));
    const HFONT font =
        keyFont_ ? keyFont_.get() : reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0));
    for (const KeyButton& b : kKeyButtons) {
        RECT r{b.x, b.y, b.x + b.width, b.y + kKeyButtonHeight};
        MapDialogRect(h, &r);
        HWND button = CreateWindowExW(0, L"BUTTON", b.label,
                                      WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, r.left,
                                      r.top, r.right - r.left, r.bottom - r.top, h,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(b.id)),
                                      GetModuleHandleW(nullptr), nullptr);
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    return true;
}

KeyCombination CKBDFunction::CodeOf(int id) const {
    const wchar_t* text = GetKeyName(id);
    if (!text) return keycombo::kNone;
    return ButtonKeyCode(text, IsItemChecked(hwnd(), IDC_KEYS_CTRL),
                         IsItemChecked(hwnd(), IDC_KEYS_ALT),
                         IsItemChecked(hwnd(), IDC_KEYS_SHIFT));
}

bool CKBDFunction::Confirm(const wchar_t* text) {
    return Ui().ShowMessage(hwnd(), text, kCaption, MB_YESNO | MB_ICONWARNING) == IDYES;
}

void CKBDFunction::OnKey(int id) {
    DmeConfigData* dme = Dme();
    const KeyCombination code = CodeOf(id);
    if (!dme || !IsStorableKeyCombination(code)) return;
    KeySlot slot = FindKeySlot(dme, code);
    if (slot.kind == SlotKind::None) return;
    if (slot.kind == SlotKind::Combination && slot.index < 0) {
        slot.index = AllocateComboRecord(dme, code);
        if (slot.index < 0) {
            Ui().ShowMessage(hwnd(), kCombosFull, kCaption, MB_ICONERROR);
            return;
        }
    }
    UniqueMenu menu = LoadMenuResource(nullptr, IDM_KEY_FUNCTIONS);
    HMENU popup = SubMenu(menu.get(), 0);
    UINT command = 0;
    if (popup) {
        for (UINT checked : CheckedMenuItems(SlotMask(dme, slot)))
            SetMenuItemChecked(popup, checked, true);
        POINT at{};
        GetCursorPos(&at);
        command = Ui().TrackMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, hwnd());
    }
    if (const KeyMenuItem* item = FindKeyMenuItem(command)) {
        switch (item->effect) {
            case MenuEffect::LoadDefaults:
                if (Confirm(kAskDefaults)) LoadDefaultScheme(dme);
                break;
            case MenuEffect::ClearAll:
                if (Confirm(kAskClearAll)) ClearKeyTables(dme);
                break;
            case MenuEffect::ClearCombos:
                if (Confirm(kAskClearCombos)) ClearComboRecords(dme);
                break;
            default:
                StoreSlotMask(dme, slot, ApplyMenuItem(SlotMask(dme, slot), *item));
                break;
        }
    }
    // A combination left without functions gives its record back.
    if (slot.kind == SlotKind::Combination) {
        const KeySlot now = FindKeySlot(dme, code);
        if (now.index < 0 || SlotMask(dme, now) == 0) FreeComboRecords(dme, code);
    }
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void CKBDFunction::OnModifierBoxes() {
    const bool any = IsItemChecked(hwnd(), IDC_KEYS_CTRL) || IsItemChecked(hwnd(), IDC_KEYS_ALT) ||
                     IsItemChecked(hwnd(), IDC_KEYS_SHIFT);
    for (const KeyButton& b : kKeyButtons)
        if (IsModifierKeyButton(b)) EnableItem(hwnd(), b.id, !any);
    InvalidateRect(hwnd(), nullptr, TRUE);
}

bool CKBDFunction::OnCommand(int id, int code, HWND) {
    if (id == IDC_KEYS_CTRL || id == IDC_KEYS_ALT || id == IDC_KEYS_SHIFT) {
        if (code == BN_CLICKED) OnModifierBoxes();
        return true;
    }
    if (GetKeyName(id) && code == BN_CLICKED) {
        OnKey(id);
        return true;
    }
    return false;
}

void CKBDFunction::OnDrawItem(const DRAWITEMSTRUCT& d) {
    const KeySlot slot = FindKeySlot(Dme(), CodeOf(static_cast<int>(d.CtlID)));
    const bool bound = SlotMask(Dme(), slot) != 0;
    HDC dc = d.hDC;
    RECT r = d.rcItem;
    zan::UniqueBrush highlight(bound ? CreateSolidBrush(kBoundKeyColour) : nullptr);
    FillRect(dc, &r, highlight ? highlight.get() : GetSysColorBrush(COLOR_MENU));
    wchar_t text[32];
    GetWindowTextW(d.hwndItem, text, 32);
    SetBkMode(dc, TRANSPARENT);
    const HGDIOBJ oldFont = keyFont_ ? SelectObject(dc, keyFont_.get()) : nullptr;
    SetTextColor(dc, (d.itemState & ODS_DISABLED) ? kDisabledKeyTextColour : 0);
    DrawTextW(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (oldFont) SelectObject(dc, oldFont);
    zan::UniqueBrush frameBrush(CreateSolidBrush(kKeyFrameColour));
    HBRUSH frame = frameBrush.get();
    FrameRect(dc, &r, frame);
    if (d.itemState & ODS_FOCUS) {
        RECT inner = r;
        InflateRect(&inner, -4, -4);
        if (d.itemState & ODS_SELECTED) {
            RECT pressed = r;
            InflateRect(&pressed, -1, -1);
            FrameRect(dc, &pressed, frame);
        }
        DrawFocusRect(dc, &inner);
    }
}

bool CKBDFunction::OnMessage(UINT message, WPARAM, LPARAM lp, LRESULT& result) {
    if (message != WM_DRAWITEM) return false;
    const auto* d = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
    if (!d || !GetKeyName(static_cast<int>(d->CtlID))) return false;
    OnDrawItem(*d);
    result = TRUE;
    return true;
}

void CKBDFunction::OnDestroy() {
    if (ProgramMainWindow() == hwnd()) SetProgramMainWindow(nullptr);
}
