// The advanced settings editor "高级设置模式": every setting as one settings text in a rich
// edit, coloured, searchable, saved back into the live blocks, backed up and restored.
#pragma once
#include <windows.h>

#include <string>

#include "core/base/path_util.h"
#include "dialog/dialog.h"

struct Engine;

// The rich edit of the editor with its own context menu (cut, copy, paste, delete, undo,
// redo), through the dialog port.
class CMyRichEditCtrl {
public:
    void Attach(HWND control);
    void Detach();
    HWND hwnd() const { return hwnd_; }
    // Runs a command of the context menu on the control.
    void OnCommand(UINT command);

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wp, LPARAM lp, UINT_PTR id,
                                 DWORD_PTR self);
    void ShowContextMenu();

    HWND hwnd_ = nullptr;
    int menuOpen_ = 0;
};

class CKX_ADVConfig final : public Dialog {
public:
    CKX_ADVConfig(Engine* engine, HWND owner, const wchar_t* displayName);

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wp, LPARAM lp, LRESULT& result) override;
    bool PreTranslate(MSG& message) override;
    void OnCancel() override;
    void OnDestroy() override;

private:
    void PutText(const wchar_t* text, size_t length);
    std::wstring EditorText() const;
    void ColourizeText();
    void OnFindNext();
    void SaveSettingsText();
    void OnExport();
    void OnImport();
    void SetModified(bool modified);
    bool StartFolder(wchar_t (&out)[kPathChars]) const;

    Engine* engine_;
    HWND owner_;
    const wchar_t* displayName_;
    CMyRichEditCtrl editor_;
    int modified_ = 0;
    int searchStart_ = 0;
};

INT_PTR RunAdvancedEditor(Engine* engine, HWND owner, const wchar_t* displayName);
