#include "config/system_page.h"

#include <cwchar>

#include "config/config_dialogs.h"
#include "config/config_icons.h"
#include "config/config_ids.h"
#include "config/settings_rules.h"
#include "core/record/engine.h"
#include "dialog/control_text.h"

namespace {

// An alias of the soft block, terminated within its field.
void ReadAlias(const Engine* e, int cls, wchar_t (&out)[kClassAliasUnits + 1]) {
    out[0] = 0;
    if (!e || !e->soft) return;
    const wchar_t* alias = e->soft->classAliases[cls];
    size_t n = wcsnlen(alias, kClassAliasUnits);
    wmemcpy(out, alias, n);
    out[n] = 0;
}

// Where the alias of the main, the secondary and the auxiliary table sits.
constexpr int kMainAlias = 0;
constexpr int kSecondaryAlias = 3;
constexpr int kAuxiliaryAlias = 4;

uint32_t Options(const Engine* e) { return e && e->ime ? e->ime->options : 0; }

void StoreOptions(Engine* e, uint32_t options) {
    if (e && e->ime) e->ime->options = options;  // one aligned store: readers see old or new
}

int SchemeId(SchemeRadio r) {
    return r == SchemeRadio::Both        ? IDC_SYS_BOTH_TABLES
           : r == SchemeRadio::Auxiliary ? IDC_SYS_AUX_TABLE
                                         : IDC_SYS_MAIN_TABLE;
}

}  // namespace

SystemPage::SystemPage(Engine* engine, const wchar_t* displayName)
    : Dialog(IDD_SYSTEM_PAGE), engine_(engine), displayName_(displayName) {}

bool SystemPage::OnInitDialog() {
    HWND h = hwnd();
    const uint32_t options = Options(engine_);
    const uint32_t features = engine_ && engine_->ime ? engine_->ime->features : 0;
    if (!(features & kFeatHasTsf)) {
        // The embedding row goes; the text-mode row moves down into the middle of both.
        RECT embed = ItemRect(h, IDC_SYS_EMBED_LABEL), text = ItemRect(h, IDC_SYS_TEXT_MODE);
        ShowItem(h, IDC_SYS_EMBEDDING, false);
        ShowItem(h, IDC_SYS_EMBED_LABEL, false);
        int dy = (embed.top - text.top) / 2;
        MoveItemBy(h, IDC_SYS_TEXT_MODE, 0, dy);
        MoveItemBy(h, IDC_SYS_ADVANCED, 0, dy);
    }
    SetItemChecked(h, IDC_SYS_NO_COMBOS, options & kImeNoComboHotkeys);

    wchar_t mainAlias[kClassAliasUnits + 1], auxAlias[kClassAliasUnits + 1],
        secondaryAlias[kClassAliasUnits + 1];
    ReadAlias(engine_, kMainAlias, mainAlias);
    ReadAlias(engine_, kAuxiliaryAlias, auxAlias);
    ReadAlias(engine_, kSecondaryAlias, secondaryAlias);
    if (!mainAlias[0]) wcscpy(mainAlias, L"主码表");
    RECT scheme = ItemRect(h, IDC_SYS_SCHEME_GROUP), search = ItemRect(h, IDC_SYS_SEARCH_GROUP);
    if (auxAlias[0]) {
        SetItemText(h, IDC_SYS_MAIN_TABLE, mainAlias);
        SetItemText(h, IDC_SYS_AUX_TABLE, auxAlias);
        SetItemTextFormat(h, IDC_SYS_BOTH_TABLES, L"%ls+%ls", mainAlias, auxAlias);
        CheckRadioButton(h, IDC_SYS_BOTH_TABLES, IDC_SYS_AUX_TABLE,
                         SchemeId(SchemeRadioOf(options)));
    } else {
        for (int id :
             {IDC_SYS_BOTH_TABLES, IDC_SYS_MAIN_TABLE, IDC_SYS_AUX_TABLE, IDC_SYS_SCHEME_GROUP})
            ShowItem(h, id, false);
        int dx = search.left - scheme.left;
        for (int id : {IDC_SYS_SEARCH, IDC_SYS_NO_SEARCH, IDC_SYS_SEARCH_ON_EMPTY})
            MoveItemBy(h, id, -dx, 0);
        MoveItemBy(h, IDC_SYS_SEARCH_GROUP, -dx, 0, dx, 0);
    }
    if (secondaryAlias[0]) {
        SetItemTextFormat(h, IDC_SYS_SEARCH, L"检索%ls", secondaryAlias);
        SetItemTextFormat(h, IDC_SYS_NO_SEARCH, L"不检索%ls", secondaryAlias);
        bool on = SearchRadioOf(options) == SearchRadio::Search;
        CheckRadioButton(h, IDC_SYS_SEARCH, IDC_SYS_NO_SEARCH,
                         on ? IDC_SYS_SEARCH : IDC_SYS_NO_SEARCH);
        EnableItem(h, IDC_SYS_SEARCH_ON_EMPTY, !on);
        SetItemChecked(h, IDC_SYS_SEARCH_ON_EMPTY, options & kImeSecondaryOnEmpty);
    } else {
        for (int id :
             {IDC_SYS_SEARCH, IDC_SYS_NO_SEARCH, IDC_SYS_SEARCH_ON_EMPTY, IDC_SYS_SEARCH_GROUP})
            ShowItem(h, id, false);
        // The scheme group spans both columns.
        MoveItemBy(h, IDC_SYS_SCHEME_GROUP, 0, 0, search.right - scheme.right, 0);
    }
    return true;
}

void SystemPage::RunDialog(int which) {
    ConfigDialogRequest r{};
    r.engine = engine_;
    r.owner = GetAncestor(hwnd(), GA_ROOT);
    r.displayName = displayName_;
    r.viewLeft = r.viewTop = r.viewWidth = r.viewHeight = -1;
    if (which == IDC_SYS_ADVANCED) {
        ShowWindow(r.owner, SW_HIDE);
        RunConfigDialog(ConfigDialogKind::AdvancedEditor, r);
        ShowWindow(r.owner, SW_RESTORE);
    } else if (which == IDC_SYS_EMBEDDING) {
        RunConfigDialog(ConfigDialogKind::Embedding, r);
    } else {
        r.icon = LoadImeIcon(engine_, IDI_TAB_ADVANCED);
        RunConfigDialog(ConfigDialogKind::KeyFunctions, r);
    }
}

bool SystemPage::OnCommand(int id, int code, HWND) {
    if (code != BN_CLICKED) return false;
    HWND h = hwnd();
    uint32_t options = Options(engine_);
    switch (id) {
        case IDC_SYS_ADVANCED:
        case IDC_SYS_EMBEDDING:
        case IDC_SYS_KEYS:
            RunDialog(id);
            return true;
        case IDC_SYS_NO_COMBOS:
            StoreOptions(engine_, WithBit(options, kImeNoComboHotkeys, IsItemChecked(h, id)));
            return true;
        case IDC_SYS_MAIN_TABLE:
            StoreOptions(engine_, WithSchemeRadio(options, SchemeRadio::Main));
            return true;
        case IDC_SYS_AUX_TABLE:
            StoreOptions(engine_, WithSchemeRadio(options, SchemeRadio::Auxiliary));
            return true;
        case IDC_SYS_BOTH_TABLES:
            StoreOptions(engine_, WithSchemeRadio(options, SchemeRadio::Both));
            return true;
        case IDC_SYS_SEARCH:
        case IDC_SYS_NO_SEARCH: {
            bool on = id == IDC_SYS_SEARCH;
            StoreOptions(engine_, WithSearchRadio(
                                      options, on ? SearchRadio::Search : SearchRadio::NoSearch));
            EnableItem(h, IDC_SYS_SEARCH_ON_EMPTY, !on);
            return true;
        }
        case IDC_SYS_SEARCH_ON_EMPTY:
            StoreOptions(engine_, WithBit(options, kImeSecondaryOnEmpty, IsItemChecked(h, id)));
            return true;
        default:
            return false;
    }
}
