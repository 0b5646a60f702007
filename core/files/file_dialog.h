// The open and save file dialogs of the settings export and import and the table pages.
#pragma once
#include <windows.h>
#include <commdlg.h>

#include "core/base/path_util.h"

// Filters are double-NUL-terminated lists of description and pattern pairs.
constexpr wchar_t kSaveSettingsTitle[] = L"导出全部设置...";
constexpr wchar_t kTextFileFilter[] = L"文本文档(*.txt)\0*.txt\0";

// Fills the open dialog: the given folder first, else the documents folder (kept in
// folderBuffer); out is emptied and receives the chosen path.
void FillOpenFileDialog(OPENFILENAMEW& dialog, HWND owner, const wchar_t* folder,
                        const wchar_t* title, const wchar_t* filter,
                        wchar_t (&folderBuffer)[kPathChars], wchar_t (&out)[kPathChars]);
// The same for the save dialog of the settings export.
void FillSaveFileDialog(OPENFILENAMEW& dialog, HWND owner, const wchar_t* folder,
                        wchar_t (&folderBuffer)[kPathChars], wchar_t (&out)[kPathChars]);

// Shows the dialog; true with the chosen path in out, false (out empty) on cancel or error.
bool BrowseForOpenFile(HWND owner, const wchar_t* folder, const wchar_t* title,
                       const wchar_t* filter, wchar_t (&out)[kPathChars]);
bool BrowseForSaveFile(HWND owner, const wchar_t* folder, wchar_t (&out)[kPathChars]);
