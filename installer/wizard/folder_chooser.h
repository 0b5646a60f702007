// The open-file dialog turned into a folder chooser: only the folder list and a folder name
// stay, OK reads "选择(&O)" and takes the current folder, offering to create a missing one.
#pragma once
#include <windows.h>

#include <string>

// Shows the chooser through the dialog port starting at start (or the remembered folder,
// at first the desktop); true with an existing folder in out, which is remembered.
bool BrowseForFolder(HWND owner, const std::wstring& start, const wchar_t* title,
                     std::wstring& out);

// What the chooser's OK does with the folder typed or shown: true closes with it. A missing
// folder is offered to be created (through the port); false keeps the chooser open.
bool AcceptChosenFolder(HWND owner, const std::wstring& folder);
