// The key-function editor "按键功能定义": a keyboard of owner-drawn key buttons; a click (with
// the Ctrl, Alt and Shift boxes) opens the function menu, whose choice is written at once
// into the key tables and combination records of the live dme block.
#pragma once
#include <windows.h>

#include "config/key_function_rules.h"
#include "dialog/dialog.h"
#include "ui/image/gdi_handles.h"

struct Engine;

class CKBDFunction final : public Dialog {
public:
    CKBDFunction(Engine* engine, HWND owner, const wchar_t* displayName, HICON icon);

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void OnDestroy() override;

private:
    KeyCombination CodeOf(int id) const;
    void OnKey(int id);
    bool Confirm(const wchar_t* text);
    void OnModifierBoxes();
    void OnDrawItem(const DRAWITEMSTRUCT& item);
    DmeConfigData* Dme() const;

    Engine* engine_;
    HWND owner_;
    const wchar_t* displayName_;
    HICON icon_;
    zan::UniqueFont keyFont_;
};

INT_PTR RunKeyFunctionEditor(Engine* engine, HWND owner, const wchar_t* displayName, HICON icon);
