#include "installer/wizard/folder_chooser.h"

#include <commdlg.h>
#include <dlgs.h>
#include <shlobj.h>

#include <cwchar>

#include "core/base/path_util.h"
#include "dialog/ui_port.h"

namespace {

constexpr wchar_t kChoose[] = L"选择(&O)";
constexpr wchar_t kOpen[] = L"打开(&O)";
constexpr wchar_t kCaption[] = L"文件夹选择";
constexpr wchar_t kOldProc[] = L"zanChooserProc";

std::wstring& RememberedStart() {
    static std::wstring folder;
    return folder;
}

bool IsFolder(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring OkText(HWND chooser) {
    wchar_t text[64]{};
    GetDlgItemTextW(chooser, IDOK, text, 64);
    return text;
}

std::wstring CurrentPath(HWND chooser) {
    wchar_t path[kPathChars]{};
    if (SendMessageW(chooser, CDM_GETFILEPATH, kPathChars, reinterpret_cast<LPARAM>(path)) < 0)
        return {};
    path[kPathChars - 1] = 0;
    return path;
}

// What the chooser took when its OK read "选择(&O)" (it then closes itself with Cancel).
struct ChooserResult {
    std::wstring folder;
};

constexpr wchar_t kResultProp[] = L"zanChooserResult";

LRESULT CALLBACK ChooserProc(HWND chooser, UINT message, WPARAM wp, LPARAM lp) {
    auto old = reinterpret_cast<WNDPROC>(GetPropW(chooser, kOldProc));
    if (message == WM_COMMAND && LOWORD(wp) == IDOK && OkText(chooser) == kChoose) {
        const std::wstring path = CurrentPath(chooser);
        if (AcceptChosenFolder(chooser, path)) {
            if (auto* result = static_cast<ChooserResult*>(GetPropW(chooser, kResultProp)))
                result->folder = path;
            PostMessageW(chooser, WM_COMMAND, IDCANCEL, 0);
        }
        return 0;
    }
    if (message == WM_NCDESTROY) {
        RemovePropW(chooser, kOldProc);
        RemovePropW(chooser, kResultProp);
    }
    return old ? CallWindowProcW(old, chooser, message, wp, lp)
               : DefWindowProcW(chooser, message, wp, lp);
}

UINT_PTR CALLBACK ChooserHook(HWND hook, UINT message, WPARAM, LPARAM lp) {
    HWND chooser = GetParent(hook);
    if (message == WM_INITDIALOG) {
        auto* ofn = reinterpret_cast<OPENFILENAMEW*>(lp);
        SetPropW(chooser, kResultProp, reinterpret_cast<HANDLE>(ofn->lCustData));
        // Centred over the owner, never off the top or the left.
        RECT owner{}, self{};
        GetWindowRect(ofn->hwndOwner ? ofn->hwndOwner : GetDesktopWindow(), &owner);
        GetWindowRect(chooser, &self);
        int x = owner.left + ((owner.right - owner.left) - (self.right - self.left)) / 2;
        int y = owner.top + ((owner.bottom - owner.top) - (self.bottom - self.top)) / 2;
        SetWindowPos(chooser, nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER);
        return 0;
    }
    if (message != WM_NOTIFY) return 0;
    auto* notify = reinterpret_cast<OFNOTIFYW*>(lp);
    switch (notify->hdr.code) {
        case CDN_INITDONE: {
            for (int id : {stc2, cmb1, chx1}) SendMessageW(chooser, CDM_HIDECONTROL, id, 0);
            SendMessageW(chooser, CDM_SETCONTROLTEXT, stc3,
                         reinterpret_cast<LPARAM>(L"文件夹名称："));
            SendMessageW(chooser, CDM_SETCONTROLTEXT, IDOK, reinterpret_cast<LPARAM>(kChoose));
            RECT r{};
            GetWindowRect(chooser, &r);
            SetWindowPos(chooser, nullptr, 0, 0, r.right - r.left, r.bottom - r.top - 30,
                         SWP_NOMOVE | SWP_NOZORDER);
            auto old = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(chooser, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ChooserProc)));
            SetPropW(chooser, kOldProc, reinterpret_cast<HANDLE>(old));
            break;
        }
        case CDN_SELCHANGE: {
            std::wstring path = CurrentPath(chooser);
            bool file = !path.empty() && !IsFolder(path);
            SendMessageW(chooser, CDM_SETCONTROLTEXT, IDOK,
                         reinterpret_cast<LPARAM>(file ? kOpen : kChoose));
            if (!path.empty())
                SendMessageW(chooser, CDM_SETCONTROLTEXT, edt1,
                             reinterpret_cast<LPARAM>(path.c_str()));
            break;
        }
        case CDN_FOLDERCHANGE:
            SendMessageW(chooser, CDM_SETCONTROLTEXT, IDOK, reinterpret_cast<LPARAM>(kChoose));
            SendMessageW(chooser, CDM_SETCONTROLTEXT, edt1, reinterpret_cast<LPARAM>(L""));
            break;
    }
    return 0;
}

}  // namespace

bool AcceptChosenFolder(HWND owner, const std::wstring& folder) {
    if (folder.empty() || IsFolder(folder)) return true;
    wchar_t text[kPathChars + 64];
    _snwprintf(text, kPathChars + 64, L"目录“%ls”不存在。\r\n是否创建该目录？", folder.c_str());
    text[kPathChars + 63] = 0;
    if (Ui().ShowMessage(owner, text, kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) return false;
    CreateDirectoryPath(folder.c_str());
    if (IsFolder(folder)) return true;
    Ui().ShowMessage(owner, L"创建目录失败，请确定程序对当前路径的访问权限。", kCaption,
                     MB_OK | MB_ICONERROR);
    return false;
}

bool BrowseForFolder(HWND owner, const std::wstring& start, const wchar_t* title,
                     std::wstring& out) {
    std::wstring initial = start;
    if (initial.empty()) initial = RememberedStart();
    if (initial.empty()) {
        wchar_t desktop[MAX_PATH]{};
        if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, desktop))) {
            initial = std::wstring(desktop) + L"\\";
        }
    }
    wchar_t result[kPathChars]{};
    static const wchar_t kFilter[] = L"文件夹\0*.*\0";
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = kFilter;
    ofn.lpstrFile = result;
    ofn.nMaxFile = kPathChars;
    ofn.lpstrInitialDir = initial.c_str();
    ofn.lpstrTitle = title;
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_ENABLEHOOK;
    ofn.lpfnHook = ChooserHook;
    ChooserResult taken;
    ofn.lCustData = reinterpret_cast<LPARAM>(&taken);
    // A folder taken by "选择(&O)" closes the chooser with Cancel; "打开(&O)" returns a path.
    const bool opened = Ui().ChooseOpenFile(ofn);
    result[kPathChars - 1] = 0;
    std::wstring chosen = opened ? std::wstring(result) : taken.folder;
    while (chosen.size() > 3 && chosen.back() == L'\\') chosen.pop_back();
    if (chosen.empty() || !IsFolder(chosen)) return false;
    out = chosen;
    RememberedStart() = chosen;
    return true;
}
