#include "core/files/file_dialog.h"

#include <cwchar>

namespace {

const wchar_t* StartFolder(const wchar_t* folder, wchar_t (&buffer)[kPathChars]) {
    if (folder && folder[0]) return folder;
    return GetDocumentsFolder(buffer) ? buffer : nullptr;
}

void FillCommon(OPENFILENAMEW& dialog, HWND owner, const wchar_t* folder,
                wchar_t (&folderBuffer)[kPathChars], wchar_t (&out)[kPathChars]) {
    ZeroMemory(&dialog, sizeof dialog);
    folderBuffer[0] = 0;
    out[0] = 0;
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFile = out;
    dialog.nMaxFile = kPathChars;
    dialog.lpstrInitialDir = StartFolder(folder, folderBuffer);
}

}  // namespace

void FillOpenFileDialog(OPENFILENAMEW& dialog, HWND owner, const wchar_t* folder,
                        const wchar_t* title, const wchar_t* filter,
                        wchar_t (&folderBuffer)[kPathChars], wchar_t (&out)[kPathChars]) {
    FillCommon(dialog, owner, folder, folderBuffer, out);
    dialog.lpstrTitle = title;
    dialog.lpstrFilter = filter;
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
}

void FillSaveFileDialog(OPENFILENAMEW& dialog, HWND owner, const wchar_t* folder,
                        wchar_t (&folderBuffer)[kPathChars], wchar_t (&out)[kPathChars]) {
    FillCommon(dialog, owner, folder, folderBuffer, out);
    dialog.lpstrTitle = kSaveSettingsTitle;
    dialog.lpstrFilter = kTextFileFilter;
    dialog.lpstrDefExt = L"txt";  // the dialog adds the dot itself
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
}

bool BrowseForOpenFile(HWND owner, const wchar_t* folder, const wchar_t* title,
                       const wchar_t* filter, wchar_t (&out)[kPathChars]) {
    OPENFILENAMEW dialog;
    wchar_t folderBuffer[kPathChars];
    FillOpenFileDialog(dialog, owner, folder, title, filter, folderBuffer, out);
    if (GetOpenFileNameW(&dialog)) return true;
    out[0] = 0;
    return false;
}

bool BrowseForSaveFile(HWND owner, const wchar_t* folder, wchar_t (&out)[kPathChars]) {
    OPENFILENAMEW dialog;
    wchar_t folderBuffer[kPathChars];
    FillSaveFileDialog(dialog, owner, folder, folderBuffer, out);
    if (GetSaveFileNameW(&dialog)) return true;
    out[0] = 0;
    return false;
}
