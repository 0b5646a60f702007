#include "config/table_manager_page.h"

#include <windowsx.h>

#include "config/config_dialogs.h"
#include "config/table_commands.h"
#include "config/table_ids.h"
#include "config/table_viewer.h"
#include "core/record/engine.h"
#include "core/table/table_edit.h"
#include "core/table/table_format.h"
#include "dialog/control_text.h"
#include "dialog/menus.h"
#include "dialog/ui_port.h"

namespace {

struct Column {
    const wchar_t* title;
    int width;
    int format;
};
constexpr Column kColumns[] = {
    {L"", 1, LVCFMT_LEFT},        {L"码表名称", 200, LVCFMT_LEFT}, {L"词条数", 60, LVCFMT_LEFT},
    {L"可写", 40, LVCFMT_CENTER}, {L"使用", 0, LVCFMT_CENTER},
};
constexpr int kCommandIds[] = {IDC_TABLE_VIEW, IDC_TABLE_IMPORT, IDC_TABLE_EXPORT,
                               IDC_TABLE_REPLACE, IDC_TABLE_CLEAR};

int32_t CountOf(const MappedFile* table) {
    TableView v = MakeTableView(table);
    return v.valid() ? v.count : 0;
}

bool Mapped(const MappedFile* table) { return table && table->view; }

}  // namespace

ManagerTables CountManagerTables(const Engine* engine, int32_t (&classCounts)[64]) {
    for (int32_t& c : classCounts) c = 0;
    ManagerTables t{};
    t.classCounts = classCounts;
    if (!engine) return t;
    t.soft = engine->soft;
    CountEntriesByCategory(engine->mainTable, classCounts);
    t.mainCount = CountOf(engine->mainTable);
    t.hasTemp = Mapped(engine->tempTable);
    t.tempCount = CountOf(engine->tempTable);
    t.hasAssociation = Mapped(engine->associationTable);
    t.associationCount = CountOf(engine->associationTable);
    t.hasEnglish = Mapped(engine->englishTable);
    t.englishCount = CountOf(engine->englishTable);
    return t;
}

CKX_DME_MBMange::CKX_DME_MBMange(Engine* engine) : Dialog(IDD_TABLE_PAGE), engine_(engine) {}

bool CKX_DME_MBMange::OnInitDialog() {
    list_ = Item(IDC_TABLE_LIST);
    selectedRow_ = lastNotifiedRow_ = -1;
    RefreshTableList();
    return true;
}

void CKX_DME_MBMange::RefreshTableList() {
    const int keep = selectedRow_;
    refreshing_ = true;
    int32_t counts[64];
    const std::vector<ManagerRow> rows = BuildManagerRows(CountManagerTables(engine_, counts));
    ListView_DeleteAllItems(list_);
    while (ListView_DeleteColumn(list_, 0)) {
    }
    ListView_SetExtendedListViewStyleEx(list_, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
                                        LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    for (int i = 0; i < 5; ++i) {
        LVCOLUMNW c{};
        c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        c.pszText = const_cast<wchar_t*>(kColumns[i].title);
        c.cx = kColumns[i].width;
        c.fmt = kColumns[i].format;
        ListView_InsertColumn(list_, i, &c);
    }
    for (size_t r = 0; r < rows.size(); ++r) {
        const ManagerRow& row = rows[r];
        const std::wstring texts[5] = {std::to_wstring(row.tableClass), row.name,
                                       std::to_wstring(row.count), row.writable, row.inUse};
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(r);
        item.pszText = const_cast<wchar_t*>(texts[0].c_str());
        const int at = ListView_InsertItem(list_, &item);
        for (int c = 1; c < 5; ++c)
            ListView_SetItemText(list_, at, c, const_cast<wchar_t*>(texts[c].c_str()));
    }
    // The row's commands are decided again: permissions may have changed.
    lastNotifiedRow_ = -2;
    const int n = static_cast<int>(rows.size());
    const int row = n == 0 ? -1 : keep < 0 ? 0 : keep >= n ? n - 1 : keep;
    if (row >= 0)
        ListView_SetItemState(list_, row, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
    refreshing_ = false;
    OnTableSelChanged(row);
}

std::wstring CKX_DME_MBMange::CellText(int row, int column) const {
    wchar_t text[128] = {};
    ListView_GetItemText(list_, row, column, text, 128);
    return text;
}

int CKX_DME_MBMange::SelectedListRow() const {
    return ListView_GetNextItem(list_, -1, LVNI_SELECTED);
}

void CKX_DME_MBMange::SetCommands(const ManagerSelection& s) {
    const bool on[] = {s.view, s.import, s.exportTable, s.replace, s.clear};
    for (int i = 0; i < 5; ++i) EnableItem(hwnd(), kCommandIds[i], on[i]);
    SetItemText(hwnd(), IDC_TABLE_VIEW, s.viewCaption);
}

void CKX_DME_MBMange::OnTableSelChanged(int row) {
    if (row == lastNotifiedRow_) return;
    lastNotifiedRow_ = row;
    if (row < 0) {
        tablePath_.clear();
        selectedRow_ = -1;
        table_ = ManagerTable::None;
        SetCommands(NoSelection());
        return;
    }
    selectedRow_ = row;
    int cls = 0;
    if (!ParseRowClass(CellText(row, 0).c_str(), &cls)) return;
    tableClass_ = cls;
    const ManagerSelection s =
        DecideSelection(cls, CellText(row, 1).c_str(), engine_ ? engine_->soft : nullptr);
    if (!s.applies) return;
    table_ = s.table;
    tablePath_ = std::wstring(engine_ ? engine_->dataLocation : L"") + s.fileName;
    if (s.commandsSet) {
        SetCommands(s);
    } else {
        EnableItem(hwnd(), IDC_TABLE_VIEW, true);
    }
}

void CKX_DME_MBMange::OnTableListRClick(const NMITEMACTIVATE& click) {
    OnTableSelChanged(SelectedListRow());
    if (click.iItem < 0) return;
    UniqueMenu menu = LoadMenuResource(nullptr, IDR_TABLE_PAGE_MENU);
    HMENU popup = SubMenu(menu.get(), 0);
    if (!popup) return;
    for (int id : kCommandIds) SetMenuItemEnabled(popup, id, IsWindowEnabled(Item(id)) != 0);
    const std::wstring caption = ItemText(hwnd(), IDC_TABLE_VIEW);
    ModifyMenuW(
        popup, IDC_TABLE_VIEW,
        MF_BYCOMMAND | MF_STRING | (IsWindowEnabled(Item(IDC_TABLE_VIEW)) ? MF_ENABLED : MF_GRAYED),
        IDC_TABLE_VIEW, caption.c_str());
    POINT at;
    GetCursorPos(&at);
    const UINT id = Ui().TrackMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, hwnd());
    if (id) PostMessageW(hwnd(), WM_COMMAND, id, 0);
}

void CKX_DME_MBMange::OnTableListClick(const NMITEMACTIVATE& click) {
    OnTableSelChanged(SelectedListRow());
    if (click.iItem < 0 || click.iSubItem != 4 || !engine_ || !engine_->soft) return;
    int cls = -1;
    if (!ParseRowClass(CellText(click.iItem, 0).c_str(), &cls) || cls < 0 || cls >= kTableClasses)
        return;
    engine_->soft->classPermissions[cls] ^= kClassInUse;
    RefreshTableList();
}

void CKX_DME_MBMange::OnViewOrEdit() {
    if (selectedRow_ < 0 || tablePath_.empty()) return;
    HWND main = ProgramMainWindow();
    if (main) ShowWindow(main, SW_HIDE);
    TableViewerRequest r{};
    r.engine = engine_;
    r.owner = nullptr;
    r.tablePath = tablePath_.c_str();
    r.classFilter = tableClass_ < 0 ? 0 : tableClass_;
    RunTableViewer(r);
    if (main) ShowWindow(main, SW_RESTORE);
    RefreshTableList();
}

void CKX_DME_MBMange::RunCommand(int id) {
    TableCommand c{engine_, hwnd(),      Item(IDC_TABLE_PROGRESS),
                   table_,  tableClass_, tablePath_.c_str()};
    switch (id) {
        case IDC_TABLE_IMPORT:
            ImportTable(c);
            break;
        case IDC_TABLE_EXPORT:
            ExportTable(c);
            break;
        case IDC_TABLE_REPLACE:
            ReplaceTable(c);
            break;
        case IDC_TABLE_CLEAR:
            ClearTable(c);
            break;
        default:
            return;
    }
    RefreshTableList();
}

bool CKX_DME_MBMange::OnCommand(int id, int, HWND) {
    switch (id) {
        case IDC_TABLE_VIEW:
            OnViewOrEdit();
            return true;
        case IDC_TABLE_IMPORT:
        case IDC_TABLE_EXPORT:
        case IDC_TABLE_REPLACE:
        case IDC_TABLE_CLEAR:
            if (selectedRow_ >= 0 && !tablePath_.empty()) RunCommand(id);
            return true;
        default:
            return false;
    }
}

bool CKX_DME_MBMange::OnNotify(NMHDR* header, LRESULT& result) {
    if (header->idFrom != IDC_TABLE_LIST) return false;
    switch (header->code) {
        case LVN_ITEMCHANGED: {
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
            if ((change->uChanged & LVIF_STATE) && !refreshing_)
                OnTableSelChanged(SelectedListRow());
            return true;
        }
        case NM_RCLICK:
            OnTableListRClick(*reinterpret_cast<const NMITEMACTIVATE*>(header));
            return true;
        case NM_CLICK:
            OnTableListClick(*reinterpret_cast<const NMITEMACTIVATE*>(header));
            return true;
        case NM_DBLCLK:
            OnTableSelChanged(SelectedListRow());
            OnViewOrEdit();
            return true;
        case NM_CUSTOMDRAW: {
            auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
            switch (draw->nmcd.dwDrawStage) {
                case CDDS_PREPAINT:
                    result = CDRF_NOTIFYITEMDRAW;
                    return true;
                case CDDS_ITEMPREPAINT:
                    result = CDRF_NOTIFYSUBITEMDRAW;
                    return true;
                case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
                    draw->clrText = RGB(0, 0, 0);
                    result = CDRF_DODEFAULT;
                    return true;
                default:
                    result = CDRF_DODEFAULT;
                    return true;
            }
        }
        default:
            return false;
    }
}

namespace {

Dialog* CreateTablePage(Engine* engine) { return new CKX_DME_MBMange(engine); }

}  // namespace

ZAN_REGISTER_CONFIG_PAGE(ConfigPageKind::Tables, CreateTablePage)
