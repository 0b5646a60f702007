#include "config/word_editor.h"

#include <cwchar>

#include "config/config_dialogs.h"
#include "config/config_icons.h"
#include "config/config_ids.h"
#include "config/editor_ids.h"
#include "config/start_target.h"
#include "core/base/clipboard_text.h"
#include "core/record/engine.h"
#include "dialog/control_text.h"

namespace {

constexpr wchar_t kLengthHint[] = L"可用 ↑、↓ 更改词长";
constexpr wchar_t kOnlineFallback[] = L"在线加词";
constexpr wchar_t kManualFallback[] = L"手动加词";

void CopySource(wchar_t (&out)[kWordEditorUnits], const wchar_t* text) {
    FormatBounded(out, kWordEditorUnits, L"%ls", text ? text : L"");
}

INT_PTR RunFromStart(const ConfigDialogRequest& r) {
    WordEditorRequest w{};
    w.engine = r.engine;
    w.owner = r.owner;
    w.displayName = r.displayName;
    w.mode = r.mode == kWordModeOnline ? kWordModeOnline : kWordModeAdd;
    return RunWordEditor(w);
}

}  // namespace

ZAN_REGISTER_CONFIG_DIALOG(ConfigDialogKind::WordEditor, RunFromStart)

CKX_AddUserPhrase2::CKX_AddUserPhrase2(const WordEditorRequest& request)
    : Dialog(IDD_WORD_EDITOR), request_(request) {}

INT_PTR RunWordEditor(const WordEditorRequest& request) {
    CKX_AddUserPhrase2 dialog(request);
    return dialog.RunModal(request.owner);
}

void CKX_AddUserPhrase2::RecentSource() {
    wchar_t recent[kRecentOutputUnits];
    Engine::GetRecentOutput(request_.engine, kRecentOutputsJoined, recent);
    CopySource(source_, recent);
}

bool CKX_AddUserPhrase2::OnInitDialog() {
    HWND h = hwnd();
    SendMessageW(h, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(LoadImeIcon(request_.engine, IDI_TAB_TABLES)));
    SendMessageW(h, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(LoadImeIcon(request_.engine, IDI_TAB_TABLES, 16)));
    if (!request_.owner) SetProgramMainWindow(h);
    SendDlgItemMessageW(h, IDC_WORD_TEXT, EM_LIMITTEXT, kWordEditorUnits - 1, 0);
    SendDlgItemMessageW(h, IDC_WORD_CODE, EM_LIMITTEXT, kWordEditorUnits - 1, 0);

    const wchar_t* format = L"添加词条 - %ls";
    if (request_.mode == kWordModeOnline) {
        format = L"在线加词 - %ls";
        wordLength_ = kOnlineWordLength;
        RecentSource();
        if (!source_[0]) CopySource(source_, kOnlineFallback);
        ShowItem(h, IDC_WORD_FROM_CLIPBOARD, true);
        TakeWord();
    } else {
        ShowItem(h, IDC_WORD_FROM_CLIPBOARD, false);
    }
    if (request_.mode == kWordModeModify) {
        format = L"修改词条 - %ls";
        if (request_.engine) old_ = KeyOfEntryAt(request_.engine->mainTable, request_.replaceIndex);
        SetItemText(h, IDC_WORD_TEXT, request_.word ? request_.word : L"");
        SetItemText(h, IDC_WORD_CODE, request_.code ? request_.code : L"");
    }
    wchar_t title[kTitleUnits];
    FormatDialogTitle(format, request_.displayName, title);
    SetWindowTextW(h, title);
    ShowHint();
    return true;
}

void CKX_AddUserPhrase2::ShowHint() {
    SetItemText(hwnd(), IDC_WORD_STATUS, request_.mode == kWordModeOnline ? kLengthHint : L"");
}

void CKX_AddUserPhrase2::TakeWord() {
    wchar_t word[kWordEditorUnits];
    if (CutWordFromSource(source_, wordLength_, word)) SetItemText(hwnd(), IDC_WORD_TEXT, word);
}

void CKX_AddUserPhrase2::OnWordChanged() {
    if (request_.mode == kWordModeModify) return;
    wchar_t word[kWordEditorUnits];
    GetItemTextBounded(hwnd(), IDC_WORD_TEXT, word);
    wchar_t code[kWordEditorUnits];
    const Engine* e = request_.engine;
    ProposeWordCode(e ? e->charTable : nullptr, e ? e->dme : nullptr, word, code);
    SetItemText(hwnd(), IDC_WORD_CODE, code);
    ShowHint();
}

bool CKX_AddUserPhrase2::OnCommand(int id, int code, HWND) {
    if (id == IDC_WORD_TEXT && code == EN_CHANGE) {
        OnWordChanged();
        return true;
    }
    if (id == IDC_WORD_CODE && code == EN_CHANGE) {
        ShowHint();
        return true;
    }
    if (id == IDC_WORD_FROM_CLIPBOARD && code == BN_CLICKED) {
        if (request_.mode != kWordModeOnline) return true;
        if (IsItemChecked(hwnd(), IDC_WORD_FROM_CLIPBOARD)) {
            wchar_t clip[kClipboardTextChars];
            if (!GetClipboardText(clip)) clip[0] = 0;
            CopySource(source_, clip);
            wordLength_ = static_cast<int>(std::wcslen(source_));
        } else {
            RecentSource();
            wordLength_ = kOnlineWordLength;
        }
        if (!source_[0]) CopySource(source_, kManualFallback);
        TakeWord();
        return true;
    }
    return false;
}

bool CKX_AddUserPhrase2::PreTranslate(MSG& m) {
    if (m.message != WM_KEYDOWN) return false;
    switch (m.wParam) {
        case VK_RETURN:
            OnOK();
            return true;
        case VK_ESCAPE:
            OnCancel();
            return true;
        case VK_UP:
        case VK_DOWN:
            if (request_.mode != kWordModeOnline) return false;
            wordLength_ = StepWordLength(wordLength_, m.wParam == VK_UP ? 1 : -1);
            TakeWord();
            return true;
        default:
            return false;
    }
}

void CKX_AddUserPhrase2::OnOK() {
    wchar_t word[kWordEditorUnits];
    wchar_t code[kWordEditorUnits];
    GetItemTextBounded(hwnd(), IDC_WORD_TEXT, word);
    GetItemTextBounded(hwnd(), IDC_WORD_CODE, code);
    WordAddRequest r{};
    r.word = word;
    r.code = code;
    r.entryClass = request_.entryClass;
    r.beforeSystem = IsItemChecked(hwnd(), IDC_WORD_BEFORE_SYSTEM);
    r.old = &old_;
    MappedFile* table = request_.engine ? request_.engine->mainTable : nullptr;
    const WordAddResult result = table ? AddWordToTable(table, r) : WordAddResult::AddFailed;
    SetItemText(hwnd(), IDC_WORD_STATUS, WordAddStatusText(result));
    if (IsWordAdded(result)) End(IDOK);
}
