// The table viewer: the entries of one code table in a virtual list, filtered by code, word,
// class and state, with the edits of the main table.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "config/table_viewer_rules.h"
#include "core/base/mapped_file.h"
#include "dialog/dialog.h"
#include "dialog/menus.h"

struct Engine;

struct TableViewerRequest {
    Engine* engine;
    HWND owner;
    const wchar_t* tablePath;
    int classFilter;            // 0: every class
    const wchar_t* presetCode;  // filters filled in before the dialog opens (may be null)
    const wchar_t* presetWord;
};

// Runs the viewer modally; 0 when the table could not be read.
INT_PTR RunTableViewer(const TableViewerRequest& request);

constexpr wchar_t kViewerWaitText[] = L"正在创建视图，请稍候...\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n";
constexpr wchar_t kViewerNoTable[] = L"无法获取当前码表内容。";

class CKX_DME_MBMANGE_VIEW final : public Dialog {
public:
    explicit CKX_DME_MBMANGE_VIEW(const TableViewerRequest& request);
    ~CKX_DME_MBMANGE_VIEW() override;

    size_t rowCount() const { return rowIndex_.size(); }

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    bool OnMessage(UINT message, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void OnCancel() override;
    void OnDestroy() override;
    void OnWorkerFinished() override;
    bool AllowedWhileBusy(int id) override;

private:
    void Reload();
    void StartLoader();
    void ShowLoading(bool on);
    void AddClassMenuItems();
    void UpdateMenuState(HMENU menu);
    bool MayAddOrModify() const;
    std::vector<int32_t> SelectedRows() const;
    std::vector<int32_t> SelectedPositions() const;
    void EmptyList();
    void OnAdd();
    void OnModify();
    void OnDelete();
    void OnUndelete();
    void OnCopy();
    void OnDictionary();
    void OnRightClick();
    bool ViewSwitch(int id);

    TableViewerRequest request_;
    std::wstring path_;
    ViewerTable kind_;
    MappedFile* table_ = nullptr;
    HWND list_ = nullptr;
    UniqueMenu menu_;
    HACCEL accelerators_ = nullptr;
    HWND previousMain_ = nullptr;

    int classFilter_ = 0;
    bool showDeleted_ = false, showPinned_ = false;
    std::vector<int32_t> rowIndex_;  // the dialog thread's rows
    int selectedRow_ = -1, topRow_ = -1;
    bool reloadOnActivate_ = false;
    bool reloadPending_ = false;
    bool closeAfterLoad_ = false;

    // The loader's own: its filter and its rows, taken over when it has finished.
    ViewerFilter loaderFilter_;
    std::vector<int32_t> loaderRows_;
    std::atomic<bool> cancel_{false};
    wchar_t cell_[512] = {};
};
