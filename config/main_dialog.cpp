#include "config/main_dialog.h"

#include "config/config_dialogs.h"
#include "config/config_help.h"
#include "config/config_icons.h"
#include "config/config_ids.h"
#include "config/dll_pages.h"
#include "config/start_target.h"
#include "config/system_page.h"
#include "config/virtualized_copy.h"
#include "core/record/engine.h"
#include "dialog/control_text.h"

namespace {

// Image order of the tab icons.
constexpr int kTabIcons[kMainTabCount] = {IDI_TAB_INPUT, IDI_TAB_APPEARANCE, IDI_TAB_TABLES,
                                          IDI_TAB_ADVANCED, IDI_TAB_ABOUT};

}  // namespace

CconfigDlg::CconfigDlg(Engine* engine, const wchar_t* displayName, int startPage)
    : Dialog(IDD_MAIN_DIALOG), engine_(engine), displayName_(displayName), startPage_(startPage) {}

CconfigDlg::~CconfigDlg() {
    if (images_) ImageList_Destroy(images_);
}

bool CconfigDlg::OnInitDialog() {
    HWND h = hwnd();
    SetWindowIcons(h, nullptr, IDI_PROGRAM);
    SetProgramMainWindow(h);
    wchar_t title[kTitleUnits];
    FormatDialogTitle(kMainDialogTitle, displayName_ && displayName_[0] ? displayName_ : L"*",
                      title);
    SetWindowTextW(h, title);

    tabs_ = Item(IDC_MAIN_TABS);
    images_ = ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 0, 4);
    for (int id : kTabIcons) ImageList_AddIcon(images_, LoadImeIcon(engine_, id, 32));
    TabCtrl_SetImageList(tabs_, images_);
    TabCtrl_SetItemSize(tabs_, 92, 40);

    uint32_t visible = 0;
    if (engine_ && engine_->ime) {
        visible = EffectiveVisibleItems(engine_->ime->visibleItems);
        engine_->ime->visibleItems = visible;
    } else {
        visible = EffectiveVisibleItems(0);
    }
    int shown[kMainTabCount];
    tabCount_ = VisibleMainTabs(visible, shown);
    for (int i = 0; i < tabCount_; ++i) {
        const MainTab& t = kMainTabs[shown[i]];
        TCITEMW item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = const_cast<wchar_t*>(t.text);
        item.iImage = t.image;
        TabCtrl_InsertItem(tabs_, i, &item);
    }
    startPage_ = StartTabIndex(visible, startPage_);
    TabCtrl_SetCurSel(tabs_, startPage_);
    ShowSelectedPage();
    return false;  // the page took the focus
}

std::unique_ptr<Dialog> CconfigDlg::MakePage(MainPage page) {
    switch (page) {
        case MainPage::Common:
            return std::make_unique<DllPageHost>(IDD_DLL_INPUT_PAGE, 1, engine_);
        case MainPage::Interface:
            return std::make_unique<DllPageHost>(IDD_DLL_APPEARANCE_PAGE, 3, engine_);
        case MainPage::Tables:
            return CreateConfigPage(ConfigPageKind::Tables, engine_);
        case MainPage::Advanced:
            return std::make_unique<SystemPage>(engine_, displayName_);
        case MainPage::About:
            return CreateConfigPage(ConfigPageKind::About, engine_);
    }
    return nullptr;
}

bool CconfigDlg::LeavePage() {
    if (auto* host = dynamic_cast<DllPageHost*>(page_.get())) return host->ClosePage(true);
    return true;
}

void CconfigDlg::ShowSelectedPage() {
    int selected = TabCtrl_GetCurSel(tabs_);
    if (selected < 0) return;
    if (page_) {
        if (page_->hwnd()) ShowWindow(page_->hwnd(), SW_HIDE);
        page_->End(1);
        page_->Destroy();
        page_.reset();
    }
    wchar_t text[256] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 256;
    TabCtrl_GetItem(tabs_, selected, &item);
    MainPage kind;
    if (!MainPageOfText(text, kind)) return;
    page_ = MakePage(kind);
    if (!page_ || !page_->Create(hwnd())) {
        page_.reset();
        return;
    }
    RECT area = ItemRect(hwnd(), IDC_MAIN_PAGE_AREA);
    SetWindowPos(page_->hwnd(), HWND_TOP, area.left, area.top, area.right - area.left,
                 area.bottom - area.top, SWP_SHOWWINDOW);
    InvalidateRect(page_->hwnd(), nullptr, TRUE);
    SetFocus(page_->hwnd());
}

bool CconfigDlg::OnNotify(NMHDR* header, LRESULT& result) {
    if (header->idFrom != IDC_MAIN_TABS) return false;
    if (header->code == static_cast<UINT>(TCN_SELCHANGING)) {
        result = LeavePage() ? FALSE : TRUE;  // a page that refuses keeps its tab
        return true;
    }
    if (header->code == static_cast<UINT>(TCN_SELCHANGE)) {
        ShowSelectedPage();
        return true;
    }
    return false;
}

bool CconfigDlg::OnMessage(UINT message, WPARAM wp, LPARAM, LRESULT& result) {
    switch (message) {
        case WM_SYSCOMMAND:
            if (wp == kNextTabCommand) {
                if (tabCount_ > 0 && LeavePage()) {
                    startPage_ = NextTabIndex(startPage_, tabCount_);
                    TabCtrl_SetCurSel(tabs_, startPage_);
                    ShowSelectedPage();
                }
                result = 0;
                return true;
            }
            if ((wp & 0xFFF0) == 0x10) {
                result = 0;
                return true;
            }
            return false;
        case WM_HELP:
            ShowProgramHelp(engine_, 0);
            result = TRUE;
            return true;
        case WM_QUERYDRAGICON:
            result = reinterpret_cast<LRESULT>(LoadImeIcon(nullptr, IDI_PROGRAM));
            return true;
        default:
            return false;
    }
}

void CconfigDlg::OnOK() {
    if (!LeavePage()) return;  // the module's page keeps the dialog open
    UpdateVirtualizedCopy(engine_);
    End(IDOK);
}

void CconfigDlg::OnDestroy() {
    if (page_) {
        page_->Destroy();
        page_.reset();
    }
    if (ProgramMainWindow() == hwnd()) SetProgramMainWindow(nullptr);
}
