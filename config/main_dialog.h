// The settings window "使用设置 - %ls": a column of icon tabs and one page at a time.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "config/settings_rules.h"
#include "dialog/dialog.h"

struct Engine;

constexpr WPARAM kNextTabCommand = 0x1400;

class CconfigDlg : public Dialog {
public:
    CconfigDlg(Engine* engine, const wchar_t* displayName, int startPage);
    ~CconfigDlg() override;

    // The page shown now (null when none).
    Dialog* OpenPage() const { return page_.get(); }

protected:
    bool OnInitDialog() override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    bool OnMessage(UINT message, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void OnOK() override;
    void OnDestroy() override;

private:
    void ShowSelectedPage();
    // False when the open page refuses to be left.
    bool LeavePage();
    std::unique_ptr<Dialog> MakePage(MainPage page);

    Engine* engine_;
    const wchar_t* displayName_;
    int startPage_;  // then the index the next-tab command counts from
    int tabCount_ = 0;
    HWND tabs_ = nullptr;
    HIMAGELIST images_ = nullptr;
    std::unique_ptr<Dialog> page_;
};
