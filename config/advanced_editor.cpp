#include "config/advanced_editor.h"

#include <commctrl.h>
#include <richedit.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "config/advanced_editor_rules.h"
#include "config/config_dialogs.h"
#include "config/config_icons.h"
#include "config/config_ids.h"
#include "config/editor_ids.h"
#include "config/start_target.h"
#include "core/base/boundary_guard.h"
#include "core/base/registry.h"
#include "core/base/text_file.h"
#include "core/base/text_lines.h"
#include "core/files/file_dialog.h"
#include "core/record/engine.h"
#include "core/settings/settings_export.h"
#include "dialog/control_text.h"
#include "dialog/menus.h"
#include "dialog/ui_port.h"
#include "textservice/export/exported_object.h"

namespace {

constexpr wchar_t kTempExportName[] = L"_temp_kxconfig.dsc";
constexpr wchar_t kNotFoundText[] = L"未找到指定文本";
constexpr wchar_t kFindCaption[] = L"高级设置";
constexpr wchar_t kSavePrompt[] = L"是否保存对设置内容的更改？";
constexpr wchar_t kPromptCaption[] = L"配置程序";
constexpr wchar_t kImportTitle[] = L"导入备份文件...";
constexpr int kFindUnits = 65;  // 64 units used
constexpr UINT_PTR kSubclassId = 1;

// The module's option-section codec (kind 2), released by the holder.
class CodecHolder {
public:
    explicit CodecHolder(const Engine* e) {
        if (!e || !e->imeModule) return;
        auto get = reinterpret_cast<GetObjectFunction>(
            reinterpret_cast<void*>(GetProcAddress(e->imeModule, "KXITFGetObject")));
        void* object = nullptr;
        if (get && get(kObjectOptionCodec, &object) == 1)
            codec_ = static_cast<OptionSectionCodec*>(object);
    }
    ~CodecHolder() {
        if (codec_ && codec_->release) codec_->release(codec_);
    }
    CodecHolder(const CodecHolder&) = delete;
    CodecHolder& operator=(const CodecHolder&) = delete;
    const OptionSectionCodec* get() const { return codec_; }

private:
    OptionSectionCodec* codec_ = nullptr;
};

bool TempExportPath(wchar_t (&out)[kPathChars]) {
    wchar_t folder[kPathChars] = {};
    const DWORD n = GetTempPathW(kPathChars, folder);
    out[0] = 0;
    if (n == 0 || n >= kPathChars) return false;
    const wchar_t* slash = folder[n - 1] == L'\\' ? L"" : L"\\";
    if (!FormatBounded(out, kPathChars, L"%ls%ls%ls", folder, slash, kTempExportName)) {
        out[0] = 0;
        return false;
    }
    return true;
}

struct FreeText {
    void operator()(wchar_t* p) const { std::free(p); }
};
using OwnedText = std::unique_ptr<wchar_t, FreeText>;

INT_PTR RunFromStart(const ConfigDialogRequest& r) {
    return RunAdvancedEditor(r.engine, r.owner, r.displayName);
}

}  // namespace

ZAN_REGISTER_CONFIG_DIALOG(ConfigDialogKind::AdvancedEditor, RunFromStart)

INT_PTR RunAdvancedEditor(Engine* engine, HWND owner, const wchar_t* displayName) {
    CKX_ADVConfig dialog(engine, owner, displayName);
    return dialog.RunModal(owner);
}

// ---- the rich edit ----

void CMyRichEditCtrl::Attach(HWND control) {
    hwnd_ = control;
    if (hwnd_)
        SetWindowSubclass(hwnd_, &CMyRichEditCtrl::Proc, kSubclassId,
                          reinterpret_cast<DWORD_PTR>(this));
}

void CMyRichEditCtrl::Detach() {
    if (hwnd_) RemoveWindowSubclass(hwnd_, &CMyRichEditCtrl::Proc, kSubclassId);
    hwnd_ = nullptr;
}

LRESULT CALLBACK CMyRichEditCtrl::Proc(HWND window, UINT message, WPARAM wp, LPARAM lp, UINT_PTR,
                                       DWORD_PTR self) {
    return Guarded<LRESULT>(0, [&]() -> LRESULT {
        auto* control = reinterpret_cast<CMyRichEditCtrl*>(self);
        if (message == WM_RBUTTONUP) {
            control->ShowContextMenu();
            return 0;
        }
        if (message == WM_SETCURSOR && control->menuOpen_) {
            SetCursor(LoadCursorW(nullptr, IDC_ARROW));
            return TRUE;
        }
        return DefSubclassProc(window, message, wp, lp);
    });
}

void CMyRichEditCtrl::ShowContextMenu() {
    SetFocus(hwnd_);
    UniqueMenu menu = LoadMenuResource(nullptr, IDM_EDITOR_CONTEXT);
    HMENU popup = SubMenu(menu.get(), 0);
    if (!popup) return;
    CHARRANGE sel{};
    SendMessageW(hwnd_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    const bool selection = sel.cpMin != sel.cpMax;
    SetMenuItemEnabled(popup, IDM_EDIT_CUT, selection);
    SetMenuItemEnabled(popup, IDM_EDIT_COPY, selection);
    SetMenuItemEnabled(popup, IDM_EDIT_PASTE, SendMessageW(hwnd_, EM_CANPASTE, 0, 0) != 0);
    SetMenuItemEnabled(popup, IDM_EDIT_CLEAR, true);
    SetMenuItemEnabled(popup, IDM_EDIT_UNDO, SendMessageW(hwnd_, EM_CANUNDO, 0, 0) != 0);
    SetMenuItemEnabled(popup, IDM_EDIT_REDO, SendMessageW(hwnd_, EM_CANREDO, 0, 0) != 0);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    menuOpen_ = 1;
    POINT at{};
    GetCursorPos(&at);
    const UINT command = Ui().TrackMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, hwnd_);
    OnCommand(command);
    menuOpen_ = 0;
}

void CMyRichEditCtrl::OnCommand(UINT command) {
    static const struct {
        UINT command;
        UINT message;
    } kCommands[] = {
        {IDM_EDIT_CUT, WM_CUT},     {IDM_EDIT_COPY, WM_COPY}, {IDM_EDIT_PASTE, WM_PASTE},
        {IDM_EDIT_CLEAR, WM_CLEAR}, {IDM_EDIT_UNDO, EM_UNDO}, {IDM_EDIT_REDO, EM_REDO},
    };
    for (const auto& c : kCommands)
        if (c.command == command) SendMessageW(hwnd_, c.message, 0, 0);
}

// ---- the dialog ----

CKX_ADVConfig::CKX_ADVConfig(Engine* engine, HWND owner, const wchar_t* displayName)
    : Dialog(IDD_ADVANCED_EDITOR), engine_(engine), owner_(owner), displayName_(displayName) {}

bool CKX_ADVConfig::OnInitDialog() {
    HWND h = hwnd();
    searchStart_ = 0;
    SendMessageW(h, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(LoadImeIcon(engine_, IDI_TAB_TABLES)));
    SendMessageW(h, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(LoadImeIcon(engine_, IDI_TAB_TABLES, 16)));
    if (!owner_) SetProgramMainWindow(h);
    wchar_t title[kTitleUnits];
    FormatDialogTitle(kAdvancedEditorTitle, displayName_ && displayName_[0] ? displayName_ : L"*",
                      title);
    SetWindowTextW(h, title);
    editor_.Attach(Item(IDC_ADV_EDITOR));
    SendDlgItemMessageW(h, IDC_ADV_FIND_TEXT, EM_LIMITTEXT, kFindUnits - 1, 0);

    wchar_t path[kPathChars];
    if (engine_ && TempExportPath(path)) {
        CodecHolder codec(engine_);
        ExportSettingsText(engine_->ime, engine_->dme, engine_->skin, codec.get(), path);
        wchar_t* text = nullptr;
        size_t length = 0;
        if (ReadTextFile(path, &text, &length) == 0) {
            OwnedText owned(text);
            PutText(text, length);
        }
    }
    ColourizeText();
    SendMessageW(editor_.hwnd(), EM_SETEVENTMASK, 0,
                 SendMessageW(editor_.hwnd(), EM_GETEVENTMASK, 0, 0) | ENM_CHANGE);
    SetModified(false);
    EnableItem(h, IDOK, false);
    RECT client{};
    GetClientRect(h, &client);
    LRESULT unused = 0;
    OnMessage(WM_SIZE, 0, MAKELPARAM(client.right, client.bottom), unused);
    return true;
}

void CKX_ADVConfig::PutText(const wchar_t* text, size_t length) {
    // The limit comes first: the control's default would cut a long text silently.
    SendMessageW(editor_.hwnd(), EM_EXLIMITTEXT, 0, EditorTextLimit(length));
    SetWindowTextW(editor_.hwnd(), text);
}

std::wstring CKX_ADVConfig::EditorText() const {
    GETTEXTLENGTHEX query{GTL_NUMCHARS | GTL_PRECISE, 1200};
    const LRESULT n =
        SendMessageW(editor_.hwnd(), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0);
    if (n <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    GETTEXTEX get{};
    get.cb = static_cast<DWORD>((text.size()) * sizeof(wchar_t));
    get.flags = GT_USECRLF;
    get.codepage = 1200;
    // With CRLF the text may grow; ask again with room for one CR per line.
    const LRESULT lines = SendMessageW(editor_.hwnd(), EM_GETLINECOUNT, 0, 0);
    text.resize(static_cast<size_t>(n + lines) + 1);
    get.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    const LRESULT got = SendMessageW(editor_.hwnd(), EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                                     reinterpret_cast<LPARAM>(text.data()));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

void CKX_ADVConfig::ColourizeText() {
    HWND e = editor_.hwnd();
    SendMessageW(e, WM_SETREDRAW, FALSE, 0);
    const DWORD mask = static_cast<DWORD>(SendMessageW(e, EM_GETEVENTMASK, 0, 0));
    SendMessageW(e, EM_SETEVENTMASK, 0, mask & ~ENM_CHANGE);
    CHARRANGE all{0, -1};
    SendMessageW(e, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all));
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR;
    format.yHeight = 196;
    std::wcscpy(format.szFaceName, L"Tahoma");
    SendMessageW(e, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    format.dwMask = CFM_COLOR;
    const int lines = static_cast<int>(SendMessageW(e, EM_GETLINECOUNT, 0, 0));
    for (int i = 0; i < lines; ++i) {
        const int first = static_cast<int>(SendMessageW(e, EM_LINEINDEX, i, 0));
        if (first < 0) break;
        wchar_t line[kColourLineUnits + 1];
        *reinterpret_cast<WORD*>(line) = kColourLineUnits;
        const int n =
            static_cast<int>(SendMessageW(e, EM_GETLINE, i, reinterpret_cast<LPARAM>(line)));
        int length = n < 0 ? 0 : n > kColourLineUnits ? kColourLineUnits : n;
        while (length > 0 && (line[length - 1] == L'\r' || line[length - 1] == L'\n')) --length;
        const LineColours plan = ColourLine(std::wstring_view(line, static_cast<size_t>(length)));
        for (int s = 0; s < plan.count; ++s) {
            const ColourSpan& span = plan.spans[s];
            if (span.colour == kPlainColour) continue;  // everything starts black
            CHARRANGE r{first + span.start, first + span.start + span.length};
            SendMessageW(e, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
            format.crTextColor = span.colour;
            SendMessageW(e, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        }
    }
    CHARRANGE start{0, 0};
    SendMessageW(e, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&start));
    SendMessageW(e, EM_SETEVENTMASK, 0, mask);
    SendMessageW(e, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(e, nullptr, TRUE);
    SendMessageW(e, WM_VSCROLL, SB_TOP, 0);
}

void CKX_ADVConfig::SetModified(bool modified) {
    modified_ = modified ? 1 : 0;
    EnableItem(hwnd(), IDC_ADV_SAVE, modified);
}

void CKX_ADVConfig::OnFindNext() {
    wchar_t needle[kFindUnits];
    GetItemTextBounded(hwnd(), IDC_ADV_FIND_TEXT, needle);
    if (!needle[0]) return;
    HWND e = editor_.hwnd();
    CHARRANGE found{};
    auto find = [&](int from) {
        FINDTEXTEXW f{};
        f.chrg = {from, -1};
        f.lpstrText = needle;
        const LRESULT at = SendMessageW(e, EM_FINDTEXTEXW, FR_DOWN, reinterpret_cast<LPARAM>(&f));
        if (at >= 0) found = f.chrgText;
        return static_cast<int>(at);
    };
    const FindStep step =
        FindNextWithWrap(searchStart_, static_cast<int>(std::wcslen(needle)), find);
    if (step.match < 0) {
        searchStart_ = 0;
        Ui().ShowMessage(hwnd(), kNotFoundText, kFindCaption, MB_ICONERROR);
        return;
    }
    SendMessageW(e, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&found));
    SendMessageW(e, EM_SCROLLCARET, 0, 0);
    searchStart_ = step.nextStart;
    SetFocus(e);
}

void CKX_ADVConfig::SaveSettingsText() {
    const std::wstring text = EditorText();
    wchar_t emMode[128];
    SaveOutcome outcome{};
    {
        CodecHolder codec(engine_);
        outcome = SaveSettingsIntoBlocks(engine_, text.c_str(), codec.get(), emMode);
    }
    wchar_t folder[kPathChars];
    if (outcome.switchFramework && engine_ && ReadInstallLocation(engine_->guidText, folder)) {
        wchar_t installer[kPathChars];
        const size_t n = std::wcslen(folder);
        const wchar_t* slash = n && folder[n - 1] == L'\\' ? L"" : L"\\";
        if (FormatBounded(installer, kPathChars, L"%ls%lsinstaller.exe", folder, slash))
            Ui().ShellOpen(hwnd(), L"", installer, emMode, L"", SW_HIDE);
    }
    SetModified(false);
    SetFocus(editor_.hwnd());
}

bool CKX_ADVConfig::StartFolder(wchar_t (&out)[kPathChars]) const {
    wchar_t documents[kPathChars] = {};
    out[0] = 0;
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents)))
        return false;
    wchar_t product[kSoftShortUnits + 1] = {};
    if (engine_ && engine_->soft)
        ReadFieldText(engine_->soft->productName, product, kSoftShortUnits + 1);
    if (!BackupFolder(documents, product, out)) return false;
    SHCreateDirectoryExW(nullptr, out, nullptr);
    return true;
}

void CKX_ADVConfig::OnExport() {
    wchar_t folder[kPathChars], folderBuffer[kPathChars], chosen[kPathChars];
    StartFolder(folder);
    OPENFILENAMEW dialog;
    FillSaveFileDialog(dialog, hwnd(), folder, folderBuffer, chosen);
    if (!Ui().ChooseSaveFile(dialog)) return;
    wchar_t path[kPathChars];
    if (!BackupFileName(chosen, path)) return;
    const std::wstring text = EditorText();
    UniqueFile file(_wfopen(path, L"wb"));
    if (!file) return;
    std::fwrite("\xEF\xBB\xBF", 1, 3, file.get());
    WriteTextString(file.get(), text.c_str());
}

void CKX_ADVConfig::OnImport() {
    wchar_t folder[kPathChars], folderBuffer[kPathChars], chosen[kPathChars];
    StartFolder(folder);
    OPENFILENAMEW dialog;
    FillOpenFileDialog(dialog, hwnd(), folder, kImportTitle, kTextFileFilter, folderBuffer, chosen);
    if (!Ui().ChooseOpenFile(dialog)) return;
    wchar_t* text = nullptr;
    size_t length = 0;
    if (ReadTextFile(chosen, &text, &length) != 0) return;
    OwnedText owned(text);
    PutText(text, length);
    ColourizeText();
    SaveSettingsText();
}

bool CKX_ADVConfig::OnCommand(int id, int code, HWND) {
    switch (id) {
        case IDC_ADV_EDITOR:
            if (code == EN_CHANGE) SetModified(true);
            return true;
        case IDC_ADV_FIND_TEXT:
            if (code == EN_CHANGE) {
                wchar_t first[2];
                GetItemTextBounded(hwnd(), IDC_ADV_FIND_TEXT, first);
                EnableItem(hwnd(), IDOK, first[0] != 0);
            }
            return true;
        case IDOK:
            OnFindNext();
            return true;
        case IDC_ADV_SAVE:
            SaveSettingsText();
            return true;
        case IDC_ADV_EXPORT:
            OnExport();
            return true;
        case IDC_ADV_IMPORT:
            OnImport();
            return true;
        default:
            return false;
    }
}

bool CKX_ADVConfig::OnMessage(UINT message, WPARAM, LPARAM lp, LRESULT&) {
    if (message != WM_SIZE) return false;
    const int cx = LOWORD(lp), cy = HIWORD(lp);
    if (editor_.hwnd()) MoveWindow(editor_.hwnd(), 10, 45, cx - 20, cy - 55, TRUE);
    return true;
}

bool CKX_ADVConfig::PreTranslate(MSG& m) {
    if (m.message != WM_KEYDOWN) return false;
    const EditorKey key = EditorKeyOf(m.wParam, GetKeyState(VK_CONTROL) < 0,
                                      GetKeyState(VK_MENU) < 0, GetKeyState(VK_SHIFT) < 0);
    if (key == EditorKey::FocusFind) {
        HWND find = Item(IDC_ADV_FIND_TEXT);
        SendMessageW(find, EM_SETSEL, 0, -1);
        SetFocus(find);
        return true;
    }
    if (key == EditorKey::FindNext) {
        OnFindNext();
        return true;
    }
    return false;
}

void CKX_ADVConfig::OnCancel() {
    if (modified_) {
        const int answer =
            Ui().ShowMessage(hwnd(), kSavePrompt, kPromptCaption, MB_YESNOCANCEL | MB_ICONWARNING);
        if (answer == IDCANCEL) return;
        if (answer == IDYES) SaveSettingsText();
    }
    End(IDCANCEL);
}

void CKX_ADVConfig::OnDestroy() {
    editor_.Detach();
    if (ProgramMainWindow() == hwnd()) SetProgramMainWindow(nullptr);
}
