// The "码表" page of the settings window: every table of the installation with its classes,
// counts and permissions, and the commands on the selected one.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "config/table_manager_rules.h"
#include "dialog/dialog.h"

struct Engine;

class CKX_DME_MBMange final : public Dialog {
public:
    explicit CKX_DME_MBMange(Engine* engine);

    // Rebuilds the rows and selects the remembered row again.
    void RefreshTableList();
    int selectedRow() const { return selectedRow_; }
    const std::wstring& tablePath() const { return tablePath_; }

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;

private:
    void OnTableSelChanged(int row);
    void OnTableListRClick(const NMITEMACTIVATE& click);
    void OnTableListClick(const NMITEMACTIVATE& click);
    void OnViewOrEdit();
    void RunCommand(int id);
    void SetCommands(const ManagerSelection& s);
    std::wstring CellText(int row, int column) const;
    int SelectedListRow() const;

    Engine* engine_;
    HWND list_ = nullptr;
    int selectedRow_ = -1;
    int lastNotifiedRow_ = -1;
    bool refreshing_ = false;
    std::wstring tablePath_;
    int tableClass_ = -1;
    ManagerTable table_ = ManagerTable::None;
};

// Counts of the rows: main.dmg by class and every other mapped table.
ManagerTables CountManagerTables(const Engine* engine, int32_t (&classCounts)[64]);
