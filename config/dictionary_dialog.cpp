#include "config/dictionary_dialog.h"

#include <richedit.h>

#include "config/config_dialogs.h"
#include "config/config_icons.h"
#include "config/config_ids.h"
#include "config/single_window.h"
#include "config/start_target.h"
#include "config/table_ids.h"
#include "core/base/mapped_file.h"
#include "core/record/engine.h"
#include "dialog/control_text.h"
#include "dialog/menus.h"
#include "dialog/ui_port.h"

namespace {

constexpr UINT_PTR kFrontTimer = 1;
constexpr int kDictionaryIcon = 111;

// A file of the data folder, mapped for one lookup (null when missing).
MappedFilePtr MapDataFile(const std::wstring& folder, const wchar_t* name) {
    MappedFile* f = nullptr;
    if (MappedFile::Open(&f, (folder + name).c_str()) <= 0) return nullptr;
    return MappedFilePtr(f);
}

}  // namespace

CKX_Dict::CKX_Dict(Engine* engine, const wchar_t* displayName, const wchar_t* word)
    : Dialog(IDD_DICTIONARY),
      engine_(engine),
      displayName_(displayName ? displayName : L""),
      currentWord_(word ? word : L"") {}

bool CKX_Dict::OnInitDialog() {
    HWND h = hwnd();
    SendMessageW(Item(IDC_DICT_TEXT), EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    HICON icon = LoadImeIcon(engine_, kDictionaryIcon);
    if (!icon) icon = LoadImeIcon(engine_, IDI_PROGRAM);
    SendMessageW(h, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(h, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    wchar_t title[kTitleUnits];
    FormatDialogTitle(kDictionaryTitle, displayName_.empty() ? L"*" : displayName_.c_str(), title);
    SetWindowTextW(h, title);
    SetItemTextFormat(h, IDC_DICT_FOOTER, L"%ls 微型词典",
                      displayName_.empty() ? L"*" : displayName_.c_str());
    HWND list = Item(IDC_DICT_RELATED);
    ListView_SetExtendedListViewStyleEx(list, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH;
    c.pszText = const_cast<wchar_t*>(L"相关词条");
    c.cx = 110;
    ListView_InsertColumn(list, 0, &c);
    SetProgramMainWindow(h);
    RECT client;
    GetClientRect(h, &client);
    Layout(client.right, client.bottom);
    if (!currentWord_.empty()) {
        SetItemText(h, IDC_DICT_WORD, currentWord_.c_str());
        OnOK();
    }
    return true;
}

void CKX_Dict::OnOK() {
    const std::wstring word = ItemText(hwnd(), IDC_DICT_WORD).substr(0, kDictionaryWordUnits - 1);
    if (word.empty()) return;
    currentWord_ = word;
    if (recordHistory_) history_.Record(word);
    UpdateHistoryButtons();
    Job job;
    job.word = word;
    job.refreshRelated = refreshRelated_;
    Request(job);
    // The next lookup is recorded and refreshes the related list unless told otherwise.
    recordHistory_ = refreshRelated_ = true;
}

void CKX_Dict::UpdateHistoryButtons() {
    EnableItem(hwnd(), IDC_DICT_BACK, history_.CanGoBack());
    EnableItem(hwnd(), IDC_DICT_FORWARD, history_.CanGoForward());
}

// One lookup at a time: a request while one runs waits, and only the newest one waits.
void CKX_Dict::Request(Job job) {
    job.generation = ++generation_;
    next_ = std::move(job);
    jobPending_ = true;
    if (!worker().Running()) StartJob();
}

void CKX_Dict::StartJob() {
    if (!jobPending_ || !engine_) return;
    jobPending_ = false;
    running_ = next_;
    result_ = Result{};
    const std::wstring folder = engine_->dataLocation;
    const bool started = worker().Start(
        hwnd(),
        [this, folder](HWND) {
            Result r;
            r.generation = running_.generation;
            MappedFilePtr dict = MapDataFile(folder, L"dict.dms");
            if (running_.codesOnly || dict) {
                MappedFilePtr main = MapDataFile(folder, L"main.dmg");
                r.codes = FindWordCodes(main.get(), running_.word.c_str());
                r.hasCodes = true;
            }
            if (dict && !running_.codesOnly) {
                if (running_.searchAll) {
                    r.related = SearchDictAll(dict.get(), running_.word.c_str());
                    r.hasRelated = true;
                    r.hasCodes = false;
                } else {
                    if (running_.refreshRelated) {
                        r.related = SearchDictRelated(dict.get(), running_.word.c_str());
                        r.hasRelated = true;
                    }
                    r.text = DictionaryText(FindDictEntry(dict.get(), running_.word.c_str()));
                    r.hasText = true;
                }
            }
            result_ = std::move(r);
        },
        false);
    if (!started) jobPending_ = true;
}

void CKX_Dict::OnWorkerFinished() {
    Result r = std::move(result_);
    if (r.generation == generation_) {  // older results are dropped
        if (r.hasRelated) SetRelated(std::move(r.related));
        if (r.hasText) ShowText(r.text);
        if (r.hasCodes) SetItemText(hwnd(), IDC_DICT_CODES, r.codes.c_str());
    }
    StartJob();
}

void CKX_Dict::SetRelated(std::vector<std::wstring> words) {
    HWND list = Item(IDC_DICT_RELATED);
    settingRelated_ = true;
    ListView_SetItemCountEx(list, 0, 0);
    related_ = std::move(words);
    ListView_SetItemCountEx(list, static_cast<int>(related_.size()), 0);
    settingRelated_ = false;
}

void CKX_Dict::ShowText(const std::wstring& text) {
    HWND edit = Item(IDC_DICT_TEXT);
    SetWindowTextW(edit, text.c_str());
    SendMessageW(edit, EM_SETSEL, 0, -1);
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR | CFM_SIZE | CFM_OFFSET | CFM_FACE;
    format.dwEffects = 0;  // no automatic colour
    format.crTextColor = RGB(0, 0, 0);
    format.yHeight = 196;
    format.yOffset = 60;
    wcscpy(format.szFaceName, L"宋体");
    SendMessageW(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    SendMessageW(edit, EM_SETSEL, 0, 0);
}

void CKX_Dict::OpenWeb(WebLookup service) {
    const std::wstring word = ItemText(hwnd(), IDC_DICT_WORD);
    const std::wstring url = WebLookupUrl(service, word.c_str());
    if (!url.empty()) Ui().ShellOpen(hwnd(), L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool CKX_Dict::OnCommand(int id, int, HWND) {
    HWND h = hwnd();
    switch (id) {
        case IDC_DICT_BACK: {
            const std::wstring w = history_.Back();
            if (w.empty()) return true;
            recordHistory_ = false;
            SetItemText(h, IDC_DICT_WORD, w.c_str());
            OnOK();
            return true;
        }
        case IDC_DICT_FORWARD: {
            const std::wstring w = history_.Forward();
            if (w.empty()) return true;
            recordHistory_ = false;
            SetItemText(h, IDC_DICT_WORD, w.c_str());
            OnOK();
            return true;
        }
        case IDC_DICT_MORE: {
            UniqueMenu menu = LoadMenuResource(nullptr, IDR_DICTIONARY_MENU);
            HMENU popup = SubMenu(menu.get(), 0);
            RECT r;
            GetWindowRect(Item(IDC_DICT_MORE), &r);
            const UINT chosen =
                popup ? Ui().TrackMenu(popup, TPM_RETURNCMD | TPM_LEFTALIGN, r.left, r.bottom, h)
                      : 0;
            if (chosen) PostMessageW(h, WM_COMMAND, chosen, 0);
            return true;
        }
        case IDM_DICT_SEARCH_ALL:
        case IDM_DICT_CODES: {
            const std::wstring word = ItemText(h, IDC_DICT_WORD);
            if (word.empty()) return true;
            Job job;
            job.word = word;
            job.searchAll = id == IDM_DICT_SEARCH_ALL;
            job.codesOnly = id == IDM_DICT_CODES;
            Request(job);
            return true;
        }
        case IDM_DICT_ZDIC:
            OpenWeb(WebLookup::Dictionary);
            return true;
        case IDM_DICT_ICIBA:
            OpenWeb(WebLookup::Bilingual);
            return true;
        case IDM_DICT_GOOGLE:
            OpenWeb(WebLookup::Google);
            return true;
        case IDM_DICT_BAIDU:
            OpenWeb(WebLookup::Baidu);
            return true;
        default:
            return false;
    }
}

bool CKX_Dict::OnNotify(NMHDR* header, LRESULT&) {
    if (header->idFrom != IDC_DICT_RELATED) return false;
    if (header->code == LVN_GETDISPINFOW) {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
        LVITEMW& item = info->item;
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
            const size_t row = static_cast<size_t>(item.iItem);
            FormatBounded(item.pszText, item.cchTextMax, L"%ls",
                          row < related_.size() ? related_[row].c_str() : L"");
        }
        return true;
    }
    if (header->code == LVN_ITEMCHANGED) {
        // A newly selected row is looked up once; deselections and our own list changes not.
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
        if (settingRelated_ || !(change->uChanged & LVIF_STATE) ||
            !(change->uNewState & LVIS_SELECTED) || (change->uOldState & LVIS_SELECTED))
            return true;
        const size_t row = static_cast<size_t>(change->iItem);
        if (row >= related_.size()) return true;
        currentWord_ = related_[row];
        SetItemText(hwnd(), IDC_DICT_WORD, currentWord_.c_str());
        Job job;
        job.word = currentWord_;
        job.refreshRelated = false;
        Request(job);
        return true;
    }
    return false;
}

void CKX_Dict::BringToFront() {
    HWND h = hwnd();
    if (!IsIconic(h)) ShowWindow(h, SW_MINIMIZE);
    ShowWindow(h, SW_RESTORE);
    SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE);
    SetWindowPos(h, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(h);
}

void CKX_Dict::Layout(int width, int height) {
    HWND h = hwnd();
    RECT list = ItemRect(h, IDC_DICT_RELATED), text = ItemRect(h, IDC_DICT_TEXT);
    RECT footer = ItemRect(h, IDC_DICT_FOOTER), codes = ItemRect(h, IDC_DICT_CODES);
    const int footerHeight = footer.bottom - footer.top, codesHeight = codes.bottom - codes.top;
    const int bottomRoom = codesHeight + 18;
    const int listHeight = height - list.top - bottomRoom;
    if (listHeight <= 20) return;
    SetWindowPos(Item(IDC_DICT_RELATED), nullptr, list.left, list.top, list.right - list.left,
                 listHeight, SWP_NOZORDER);
    SetWindowPos(Item(IDC_DICT_TEXT), nullptr, text.left, text.top, width - 11 - text.left,
                 listHeight, SWP_NOZORDER);
    const int below = list.top + listHeight + 11 - 6;
    SetWindowPos(Item(IDC_DICT_FOOTER), nullptr, footer.left, below, footer.right - footer.left,
                 footerHeight, SWP_NOZORDER);
    SetWindowPos(Item(IDC_DICT_CODES), nullptr, codes.left, below, width - 11 - codes.left,
                 codesHeight, SWP_NOZORDER);
}

bool CKX_Dict::OnMessage(UINT message, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (message) {
        case WM_COPYDATA: {
            wchar_t word[kDictionaryWordUnits];
            if (ReadCopiedWord(reinterpret_cast<const COPYDATASTRUCT*>(lp), word)) {
                currentWord_ = word;
                if (word[0]) {
                    SetItemText(hwnd(), IDC_DICT_WORD, word);
                    OnOK();
                }
                SetTimer(hwnd(), kFrontTimer, 100, nullptr);
            }
            result = TRUE;
            return true;
        }
        case WM_TIMER:
            if (wp != kFrontTimer) return false;
            KillTimer(hwnd(), kFrontTimer);
            BringToFront();
            result = 0;
            return true;
        case WM_SIZE:
            wasMinimized_ = wp == SIZE_MINIMIZED;
            if (!wasMinimized_) Layout(LOWORD(lp), HIWORD(lp));
            return false;
        default:
            return false;
    }
}

void CKX_Dict::OnDestroy() {
    KillTimer(hwnd(), kFrontTimer);
    jobPending_ = false;
    if (ProgramMainWindow() == hwnd()) SetProgramMainWindow(nullptr);
}

INT_PTR RunDictionary(Engine* engine, const wchar_t* displayName, const wchar_t* word) {
    CKX_Dict dialog(engine, displayName, word);
    return dialog.RunModal(nullptr);
}

namespace {

INT_PTR RunFromStart(const ConfigDialogRequest& r) {
    return RunDictionary(r.engine, r.displayName, r.text);
}

}  // namespace

ZAN_REGISTER_CONFIG_DIALOG(ConfigDialogKind::Dictionary, RunFromStart)
