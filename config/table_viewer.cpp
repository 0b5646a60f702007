#include "config/table_viewer.h"

#include <algorithm>

#include "config/config_dialogs.h"
#include "config/config_icons.h"
#include "config/config_ids.h"
#include "config/dictionary_search.h"
#include "config/table_ids.h"
#include "config/table_manager_rules.h"
#include "config/word_editor.h"
#include "core/base/clipboard_text.h"
#include "core/base/registry.h"
#include "core/record/engine.h"
#include "dialog/control_text.h"
#include "dialog/ui_port.h"

namespace {

struct Column {
    const wchar_t* title;
    int width;
};
constexpr Column kColumns[] = {
    {L"序号", 80}, {L"编码", 100}, {L"词条", 250}, {L"分类", 150}, {L"候选排序", 80},
};
constexpr int kClassItemSystem = 2998;
constexpr int kClassItemUser = 2997;
constexpr int kClassItemSecondary = 2999;
constexpr int kClassItemAux = 3001;
constexpr int kClassItemFirstCategory = 3002;  // class 16; class n: n + 2986

// The class of a "查看" class item, or -1.
int ClassOfItem(int id) {
    switch (id) {
        case kClassItemSystem:
            return 1;
        case kClassItemUser:
            return 2;
        case kClassItemSecondary:
            return 3;
        case kClassItemAux:
            return 4;
        case IDM_VIEW_ALL:
            return 0;
        default:
            return id >= kClassItemFirstCategory && id <= kClassItemFirstCategory + 15 ? id - 2986
                                                                                       : -1;
    }
}

int ItemOfClass(int cls) {
    switch (cls) {
        case 0:
            return IDM_VIEW_ALL;
        case 1:
            return kClassItemSystem;
        case 2:
            return kClassItemUser;
        case 3:
            return kClassItemSecondary;
        case 4:
            return kClassItemAux;
        default:
            return cls + 2986;
    }
}

const int kFilterControls[] = {IDC_VIEW_LIST,      IDC_VIEW_CODE, IDC_VIEW_WORD,
                               IDC_VIEW_FUZZY,     IDC_VIEW_FIND, IDC_VIEW_CODE_LABEL,
                               IDC_VIEW_WORD_LABEL};

}  // namespace

CKX_DME_MBMANGE_VIEW::CKX_DME_MBMANGE_VIEW(const TableViewerRequest& request)
    : Dialog(IDD_TABLE_VIEWER),
      request_(request),
      path_(request.tablePath ? request.tablePath : L""),
      kind_(ViewerTableOf(request.tablePath)),
      classFilter_(request.classFilter) {}

CKX_DME_MBMANGE_VIEW::~CKX_DME_MBMANGE_VIEW() { MappedFile::Close(table_); }

bool CKX_DME_MBMANGE_VIEW::OnInitDialog() {
    HWND h = hwnd();
    HICON icon = LoadImeIcon(request_.engine, IDI_TAB_TABLES);
    SendMessageW(h, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(h, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(LoadImeIcon(request_.engine, IDI_TAB_TABLES, 16)));
    accelerators_ =
        LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_TABLE_VIEWER_KEYS));
    SetAccelerators(accelerators_);

    std::wstring caption = ViewerCaption(kind_);
    wchar_t name[64] = {};
    if (request_.engine && ReadDisplayName(request_.engine->guidText, name, 64) && name[0])
        caption += std::wstring(L" - ") + name;
    SetWindowTextW(h, caption.c_str());

    list_ = Item(IDC_VIEW_LIST);
    ListView_SetExtendedListViewStyleEx(list_, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
                                        LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    const bool list = kind_ == ViewerTable::Association || kind_ == ViewerTable::English;
    for (int i = 0; i < 5; ++i) {
        LVCOLUMNW c{};
        c.mask = LVCF_TEXT | LVCF_WIDTH;
        c.pszText = const_cast<wchar_t*>(kColumns[i].title);
        c.cx = i == 1 && list ? 0 : kColumns[i].width;
        ListView_InsertColumn(list_, i, &c);
    }
    selectedRow_ = topRow_ = -1;
    if (MappedFile::Open(&table_, path_.c_str()) <= 0 || !table_) {
        table_ = nullptr;
        Ui().ShowMessage(h, kViewerNoTable, kProgramTitle, MB_OK | MB_ICONERROR);
        End(0);
        return true;
    }
    if (request_.presetCode) SetItemText(h, IDC_VIEW_CODE, request_.presetCode);
    if (request_.presetWord) SetItemText(h, IDC_VIEW_WORD, request_.presetWord);
    SendMessageW(Item(IDC_VIEW_CODE), EM_LIMITTEXT, kFilterUnits, 0);
    SendMessageW(Item(IDC_VIEW_WORD), EM_LIMITTEXT, kFilterUnits, 0);
    menu_.Reset(GetMenu(h));  // owned from here: detached while loading
    if (kind_ == ViewerTable::Main) AddClassMenuItems();
    if (!request_.owner) {
        previousMain_ = ProgramMainWindow();
        SetProgramMainWindow(h);
    }
    ShowWindow(h, SW_SHOW);
    StartLoader();
    return true;
}

void CKX_DME_MBMANGE_VIEW::AddClassMenuItems() {
    HMENU view = SubMenu(menu_.get(), 1);
    const SoftConfigData* soft = request_.engine ? request_.engine->soft : nullptr;
    if (!view || !soft) return;
    const std::wstring main = ClassAlias(soft, 0);
    auto add = [&](int id, const std::wstring& text) {
        const std::wstring cut = text.substr(0, 31);
        AppendMenuW(view, MF_STRING, static_cast<UINT_PTR>(id), cut.c_str());
    };
    AppendMenuW(view, MF_SEPARATOR, 0, nullptr);
    add(kClassItemSystem, main + L" - " + ClassAlias(soft, 1) + L"(&S)");
    for (int cls = kClassCategoryFirst; cls < kTableClasses; ++cls) {
        const std::wstring alias = ClassAlias(soft, cls);
        if (alias.empty()) break;
        add(ItemOfClass(cls), main + L" - " + alias + L"(&" + std::to_wstring(cls - 15) + L")");
    }
    if (!ClassAlias(soft, 3).empty())
        add(kClassItemSecondary, main + L" - " + ClassAlias(soft, 3) + L"(&N)");
    if (!ClassAlias(soft, 2).empty())
        add(kClassItemUser, main + L" - " + ClassAlias(soft, 2) + L"(&U)");
    if (!ClassAlias(soft, 4).empty()) add(kClassItemAux, ClassAlias(soft, 4) + L"(&T)");
    DrawMenuBar(hwnd());
}

void CKX_DME_MBMANGE_VIEW::ShowLoading(bool on) {
    HWND h = hwnd();
    for (int id : kFilterControls) ShowItem(h, id, !on);
    HWND notice = Item(IDC_VIEW_NOTICE);
    if (on) {
        SetMenu(h, nullptr);
        RECT client;
        GetClientRect(h, &client);
        SetWindowPos(notice, HWND_TOP, 0, 0, client.right, client.bottom, SWP_SHOWWINDOW);
        SetWindowTextW(notice, kViewerWaitText);
    } else {
        ShowWindow(notice, SW_HIDE);
        SetMenu(h, menu_.get());
    }
}

// The table is mapped again on every reload: the input method or an edit may have grown it.
void CKX_DME_MBMANGE_VIEW::StartLoader() {
    if (worker().Running()) {
        reloadPending_ = true;
        return;
    }
    EmptyList();
    ShowLoading(true);
    if (table_) MappedFile::Reopen(table_);
    ViewerFilter f;
    f.code = ItemText(hwnd(), IDC_VIEW_CODE).substr(0, kFilterUnits);
    f.word = ItemText(hwnd(), IDC_VIEW_WORD).substr(0, kFilterUnits);
    f.fuzzy = IsItemChecked(hwnd(), IDC_VIEW_FUZZY);
    f.showDeleted = showDeleted_;
    f.showPinned = showPinned_;
    f.classFilter = classFilter_;
    loaderFilter_ = f;
    loaderRows_.clear();
    cancel_ = false;
    MappedFile* table = table_;
    const bool started = worker().Start(hwnd(), [this, table](HWND) {
        loaderRows_ = FilterPositions(table, loaderFilter_, &cancel_);
    });
    if (!started) {
        loaderRows_ = FilterPositions(table_, loaderFilter_);
        OnWorkerFinished();
    }
}

void CKX_DME_MBMANGE_VIEW::OnWorkerFinished() {
    if (closeAfterLoad_) {
        loaderRows_.clear();
        End(IDCANCEL);
        return;
    }
    if (reloadPending_) {  // a view switch came while loading: its filters win
        reloadPending_ = false;
        StartLoader();
        return;
    }
    rowIndex_.swap(loaderRows_);
    loaderRows_.clear();
    const int n = static_cast<int>(rowIndex_.size());
    ListView_SetItemCountEx(list_, n, 0);
    if (n > 0 && topRow_ >= 0) {
        ListView_EnsureVisible(list_, n - 1, FALSE);
        ListView_EnsureVisible(list_, std::min(topRow_, n - 1), FALSE);
    }
    if (n > 0 && selectedRow_ >= 0) {
        const int row = std::min(selectedRow_, n - 1);
        ListView_SetItemState(list_, row, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(list_, row, FALSE);
    }
    ShowLoading(false);
    SetFocus(list_);
}

void CKX_DME_MBMANGE_VIEW::Reload() { StartLoader(); }

void CKX_DME_MBMANGE_VIEW::EmptyList() {
    ListView_SetItemCountEx(list_, 0, 0);
    rowIndex_.clear();
}

bool CKX_DME_MBMANGE_VIEW::AllowedWhileBusy(int id) {
    // The view switches take new filters and load again when the running load ends; Cancel
    // stops the load and closes when it has stopped.
    return id == IDM_VIEW_PINNED || id == IDM_VIEW_DELETED || ClassOfItem(id) >= 0 ||
           id == IDCANCEL || id == IDM_VIEW_EXIT;
}

bool CKX_DME_MBMANGE_VIEW::ViewSwitch(int id) {
    const int cls = ClassOfItem(id);
    if (cls >= 0) {
        classFilter_ = cls;
        selectedRow_ = topRow_ = 0;
    } else if (id == IDM_VIEW_DELETED) {
        showDeleted_ = !showDeleted_;
    } else if (id == IDM_VIEW_PINNED) {
        showPinned_ = !showPinned_;
    } else {
        return false;
    }
    Reload();
    return true;
}

bool CKX_DME_MBMANGE_VIEW::MayAddOrModify() const {
    if (kind_ != ViewerTable::Main) return false;
    const SoftConfigData* soft = request_.engine ? request_.engine->soft : nullptr;
    return classFilter_ == 0 || ClassEditable(soft, classFilter_);
}

void CKX_DME_MBMANGE_VIEW::UpdateMenuState(HMENU menu) {
    SetMenuItemChecked(menu, IDM_VIEW_PINNED, showPinned_);
    SetMenuItemChecked(menu, IDM_VIEW_DELETED, showDeleted_);
    for (int id :
         {IDM_VIEW_ALL, kClassItemSystem, kClassItemUser, kClassItemSecondary, kClassItemAux})
        SetMenuItemChecked(menu, id, ClassOfItem(id) == classFilter_);
    for (int id = kClassItemFirstCategory; id < kClassItemFirstCategory + 16; ++id)
        SetMenuItemChecked(menu, id, ClassOfItem(id) == classFilter_);
    const bool main = kind_ == ViewerTable::Main;
    SetMenuItemEnabled(menu, IDM_VIEW_ADD, MayAddOrModify());
    SetMenuItemEnabled(menu, IDM_VIEW_MODIFY, MayAddOrModify());
    SetMenuItemEnabled(menu, IDM_VIEW_DELETE, main);
    SetMenuItemEnabled(menu, IDM_VIEW_UNDELETE, main);
}

std::vector<int32_t> CKX_DME_MBMANGE_VIEW::SelectedRows() const {
    std::vector<int32_t> rows;
    for (int r = ListView_GetNextItem(list_, -1, LVNI_SELECTED); r >= 0;
         r = ListView_GetNextItem(list_, r, LVNI_SELECTED))
        if (r < static_cast<int>(rowIndex_.size())) rows.push_back(r);
    return rows;
}

std::vector<int32_t> CKX_DME_MBMANGE_VIEW::SelectedPositions() const {
    std::vector<int32_t> positions;
    for (int32_t r : SelectedRows()) positions.push_back(rowIndex_[static_cast<size_t>(r)]);
    return positions;
}

void CKX_DME_MBMANGE_VIEW::OnAdd() {
    if (!MayAddOrModify() || !request_.engine) return;
    EmptyList();
    const SoftConfigData* soft = request_.engine->soft;
    if (classFilter_ == 0 && ClassAlias(soft, kUserWordClass).empty()) {
        Ui().ShowMessage(hwnd(), L"当前输入法未支持用户词功能！", kProgramTitle,
                         MB_OK | MB_ICONERROR);
        Reload();
        return;
    }
    WordEditorRequest r{};
    r.engine = request_.engine;
    r.owner = hwnd();
    r.mode = kWordModeAdd;
    r.entryClass = classFilter_ == 0 ? kUserWordClass : static_cast<uint32_t>(classFilter_);
    RunWordEditor(r);
    Reload();
}

void CKX_DME_MBMANGE_VIEW::OnModify() {
    if (kind_ != ViewerTable::Main || !request_.engine || !table_) return;
    const std::vector<int32_t> positions = SelectedPositions();
    if (positions.empty()) return;
    const TableView v = MakeTableView(table_);
    const uint8_t* e = v.EntryAt(positions.front());
    if (!e) return;
    const uint32_t cls = EntryClassOf(LoadU32(e));
    if (!ClassEditableOrUser(request_.engine->soft, cls)) {
        Ui().ShowMessage(hwnd(), L"该类词条未被授权修改！", kProgramTitle, MB_OK | MB_ICONERROR);
        return;
    }
    const std::wstring code = ViewerCode(v, e), word = ViewerWord(v, e);
    topRow_ = ListView_GetTopIndex(list_);
    selectedRow_ = SelectedRows().front();
    EmptyList();  // the list asks for no text while the table changes
    WordEditorRequest r{};
    r.engine = request_.engine;
    r.owner = hwnd();
    r.mode = kWordModeModify;
    r.entryClass = cls;
    r.replaceIndex = positions.front();
    r.code = code.c_str();
    r.word = word.c_str();
    RunWordEditor(r);
    Reload();
}

void CKX_DME_MBMANGE_VIEW::OnDelete() {
    if (kind_ != ViewerTable::Main || !table_) return;
    const std::vector<int32_t> positions = SelectedPositions();
    if (positions.empty()) return;
    if (Ui().ShowMessage(hwnd(), L"是否删除选中的所有词条？", kProgramTitle,
                         MB_YESNO | MB_ICONWARNING) != IDYES)
        return;
    topRow_ = ListView_GetTopIndex(list_);
    EmptyList();
    DeleteViewerEntries(table_, request_.engine ? request_.engine->soft : nullptr, positions);
    Engine::RefreshTables(request_.engine);
    Reload();
}

void CKX_DME_MBMANGE_VIEW::OnUndelete() {
    if (kind_ != ViewerTable::Main || !table_) return;
    topRow_ = ListView_GetTopIndex(list_);
    const std::vector<int32_t> positions = SelectedPositions();
    EmptyList();
    UndeleteViewerEntries(table_, positions);
    Reload();
}

void CKX_DME_MBMANGE_VIEW::OnCopy() {
    if (!table_) return;
    const std::wstring text = ViewerCopyText(MakeTableView(table_), SelectedPositions());
    if (!text.empty()) SetClipboardText(text.c_str(), static_cast<int>(text.size()));
}

// One lookup, of the first selected row's word.
void CKX_DME_MBMANGE_VIEW::OnDictionary() {
    if (!table_ || !request_.engine) return;
    const std::vector<int32_t> positions = SelectedPositions();
    if (positions.empty()) return;
    const TableView v = MakeTableView(table_);
    const std::wstring word = ViewerWord(v, v.EntryAt(positions.front()));
    if (word.empty()) return;
    const std::wstring program = std::wstring(request_.engine->installLocation) + L"config.exe";
    const std::wstring parameters =
        std::wstring(L"/n ") + request_.engine->guidText + L" /dict '" + word + L"'";
    Ui().ShellOpen(hwnd(), L"open", program.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL);
}

void CKX_DME_MBMANGE_VIEW::OnRightClick() {
    if (kind_ == ViewerTable::Association || kind_ == ViewerTable::English) return;
    UniqueMenu copy = LoadMenuResource(nullptr, IDR_TABLE_VIEWER_MENU);
    HMENU popup = SubMenu(copy.get(), 0);
    if (!popup) return;
    UpdateMenuState(popup);
    const MappedFile* dict = request_.engine ? request_.engine->dictTable : nullptr;
    if (dict && dict->view) {
        bool found = false;
        const std::vector<int32_t> positions = SelectedPositions();
        if (!positions.empty() && table_) {
            const TableView v = MakeTableView(table_);
            found = DictHasWord(dict, ViewerWord(v, v.EntryAt(positions.front())).c_str());
        }
        SetMenuItemEnabled(popup, IDM_VIEW_DICT, found);
    } else {
        DeleteMenu(popup, IDM_VIEW_DICT, MF_BYCOMMAND);
    }
    POINT at;
    GetCursorPos(&at);
    const UINT id = Ui().TrackMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, hwnd());
    if (id) PostMessageW(hwnd(), WM_COMMAND, id, 0);
}

bool CKX_DME_MBMANGE_VIEW::OnCommand(int id, int, HWND) {
    if (worker().Running() && id != IDCANCEL && id != IDM_VIEW_EXIT) {
        ViewSwitch(id);  // the only commands let through while loading
        return true;
    }
    if (ViewSwitch(id)) return true;
    switch (id) {
        case IDC_VIEW_FIND:
        case IDOK:
            selectedRow_ = topRow_ = -1;
            Reload();
            return true;
        case IDC_VIEW_FUZZY:
            Reload();
            return true;
        case IDM_VIEW_EXIT:
            OnCancel();
            return true;
        case IDM_VIEW_ADD:
            OnAdd();
            return true;
        case IDM_VIEW_MODIFY:
            OnModify();
            return true;
        case IDM_VIEW_DELETE:
            OnDelete();
            return true;
        case IDM_VIEW_UNDELETE:
            OnUndelete();
            return true;
        case IDM_VIEW_COPY:
            OnCopy();
            return true;
        case IDM_VIEW_DICT:
            OnDictionary();
            return true;
        default:
            return false;
    }
}

bool CKX_DME_MBMANGE_VIEW::OnNotify(NMHDR* header, LRESULT& result) {
    if (header->idFrom != IDC_VIEW_LIST) return false;
    switch (header->code) {
        case LVN_GETDISPINFOW: {
            auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
            LVITEMW& item = info->item;
            if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return true;
            item.pszText[0] = 0;
            if (item.iItem < 0 || item.iItem >= static_cast<int>(rowIndex_.size()) || !table_)
                return true;
            const int cap = item.cchTextMax >= 256 ? 250 : item.cchTextMax;
            const std::wstring text =
                ViewerCellText(static_cast<ViewerColumn>(item.iSubItem), kind_,
                               MakeTableView(table_), rowIndex_[static_cast<size_t>(item.iItem)],
                               request_.engine ? request_.engine->soft : nullptr);
            FormatBounded(item.pszText, cap, L"%ls", text.c_str());
            return true;
        }
        case NM_CUSTOMDRAW: {
            auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
            if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
                result = CDRF_NOTIFYITEMDRAW;
            } else if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
                const size_t row = draw->nmcd.dwItemSpec;
                uint32_t flags = 0;
                if (row < rowIndex_.size() && table_) {
                    const uint8_t* e = MakeTableView(table_).EntryAt(rowIndex_[row]);
                    if (e) flags = LoadU32(e);
                }
                draw->clrText = ViewerRowColour(flags);
                result = CDRF_DODEFAULT;
            } else {
                result = CDRF_DODEFAULT;
            }
            return true;
        }
        case NM_RCLICK:
            OnRightClick();
            return true;
        case NM_DBLCLK: {
            const std::vector<int32_t> positions = SelectedPositions();
            if (positions.empty() || !table_) return true;
            const uint8_t* e = MakeTableView(table_).EntryAt(positions.front());
            if (e && !(LoadU32(e) & kFlagDeleted)) OnModify();
            return true;
        }
        default:
            return false;
    }
}

bool CKX_DME_MBMANGE_VIEW::OnMessage(UINT message, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (message) {
        case WM_SIZE: {
            RECT r = ItemRect(hwnd(), IDC_VIEW_LIST);
            const int w = LOWORD(lp) - 20, h = HIWORD(lp) - 55;
            if (w > 0 && h > 0)
                SetWindowPos(list_, nullptr, r.left, r.top, w, h, SWP_NOZORDER | SWP_NOMOVE);
            if (worker().Running()) ShowLoading(true);
            return false;
        }
        case WM_ACTIVATE:
            if (LOWORD(wp) == WA_INACTIVE && HIWORD(wp)) {
                reloadOnActivate_ = true;
            } else if (LOWORD(wp) != WA_INACTIVE && reloadOnActivate_) {
                reloadOnActivate_ = false;
                Engine::RefreshTables(request_.engine);
                Reload();
            } else {
                reloadOnActivate_ = false;
            }
            return false;
        case WM_INITMENUPOPUP:
            UpdateMenuState(reinterpret_cast<HMENU>(wp));
            result = 0;
            return true;
        default:
            return false;
    }
}

void CKX_DME_MBMANGE_VIEW::OnCancel() {
    if (worker().Running()) {
        cancel_ = true;
        closeAfterLoad_ = true;
        return;
    }
    End(IDCANCEL);
}

void CKX_DME_MBMANGE_VIEW::OnDestroy() {
    cancel_ = true;
    worker().Join();
    SetMenu(hwnd(), nullptr);
    if (!request_.owner && ProgramMainWindow() == hwnd()) SetProgramMainWindow(previousMain_);
}

INT_PTR RunTableViewer(const TableViewerRequest& request) {
    CKX_DME_MBMANGE_VIEW viewer(request);
    return viewer.RunModal(request.owner);
}

namespace {

INT_PTR RunFromStart(const ConfigDialogRequest& r) {
    TableViewerRequest v{};
    v.engine = r.engine;
    v.owner = r.owner;
    v.tablePath = r.tablePath;
    v.classFilter = 0;
    v.presetWord = r.text;
    return RunTableViewer(v);
}

}  // namespace

ZAN_REGISTER_CONFIG_DIALOG(ConfigDialogKind::TableViewer, RunFromStart)
