// The dialogs and pages of the program that live in their own files register here, so that
// the start and the main dialog reach them without knowing them. A kind that nobody
// registered opens a placeholder (a dialog with the kind's title, or an empty page).
//
//   // in the dictionary's file:
//   INT_PTR RunDictionary(const ConfigDialogRequest& request);
//   ZAN_REGISTER_CONFIG_DIALOG(ConfigDialogKind::Dictionary, RunDictionary)
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>

#include "core/table/table_edit.h"
#include "dialog/dialog.h"

struct Engine;

enum class ConfigDialogKind {
    AdvancedEditor,  // "高级设置模式 - %ls"
    Embedding,       // embedding settings of the system page
    KeyFunctions,    // "按键功能定义 - %ls"
    WordEditor,      // mode 0 add, 1 online add
    TableViewer,     // "输入编码表详细视图 - %ls"
    Dictionary,      // "微型词典 - %ls"
    HtmlViewer,
    Updater,
    Count,
};

enum class ConfigPageKind {
    About,   // the main dialog's "关于" page
    Tables,  // the main dialog's "码表" page
    Count,
};

struct ConfigDialogRequest {
    Engine* engine;
    HWND owner;  // null for the dialog a start opens
    const wchar_t* displayName;
    int mode;                       // word editor: 0 add, 1 online add
    const wchar_t* text;            // viewer address, dictionary word, table viewer search text
    const wchar_t* tablePath;       // table viewer: main.dmg of the data folder
    const int32_t* categoryCounts;  // table viewer: kCategoryCounters counts of main.dmg
    int32_t viewLeft, viewTop, viewWidth, viewHeight;  // HTML viewer, -1: its own choice
    HICON icon;  // key-function editor: icon 117 of the input method module
};

using RunConfigDialogFunction = INT_PTR (*)(const ConfigDialogRequest& request);
// A new page object (the main dialog creates its window as a child page and deletes it).
using CreateConfigPageFunction = Dialog* (*)(Engine* engine);

void RegisterConfigDialog(ConfigDialogKind kind, RunConfigDialogFunction run);
void RegisterConfigPage(ConfigPageKind kind, CreateConfigPageFunction create);
bool IsConfigDialogRegistered(ConfigDialogKind kind);

// Runs the registered dialog modally, or the placeholder; the dialog's result.
INT_PTR RunConfigDialog(ConfigDialogKind kind, const ConfigDialogRequest& request);
// The registered page, or an empty page.
std::unique_ptr<Dialog> CreateConfigPage(ConfigPageKind kind, Engine* engine);

// The window that becomes the program's main window while a start's dialog runs (Ctrl+Tab
// goes there); dialogs set it from their OnInitDialog.
void SetProgramMainWindow(HWND window);
HWND ProgramMainWindow();

#define ZAN_CONFIG_JOIN2(a, b) a##b
#define ZAN_CONFIG_JOIN(a, b) ZAN_CONFIG_JOIN2(a, b)
#define ZAN_REGISTER_CONFIG_DIALOG(kind, function)                 \
    static const bool ZAN_CONFIG_JOIN(zanConfigDialog, __LINE__) = \
        (RegisterConfigDialog(kind, function), true);
#define ZAN_REGISTER_CONFIG_PAGE(kind, function)                 \
    static const bool ZAN_CONFIG_JOIN(zanConfigPage, __LINE__) = \
        (RegisterConfigPage(kind, function), true);
