// What a start opens: the decision over the "/do" target, and the titles that find an open
// dialog of each kind.
#pragma once
#include <windows.h>

enum class StartAction {
    AdvancedEditor,  // "gaojishezhi", "高级设置"
    HtmlViewer,      // "showurl"
    Dictionary,      // "dict"
    Updater,         // "update"
    ViewOutput,      // "shuchufancha", "输出反查": table viewer over the last output
    ViewClipboard,   // "jiantiebanfancha", "剪贴板反查": table viewer over the clipboard
    KeyFunctions,    // "anjianshezhi", "按键设置"
    AddWord,         // "tianjiayonghuci", "添加用户词"
    AddWordOnline,   // "zaixianjiaci", "在线加词", "jianqiebanjiaci", "剪贴板加词"
    Help,            // "help", "帮助首页"
    MainDialog,      // anything else, with a start page
};

// Pages of the main dialog a start can ask for.
constexpr int kStartPageCommon = 0;
constexpr int kStartPageInterface = 1;
constexpr int kStartPageTables = 2;
constexpr int kStartPageAdvanced = 3;
constexpr int kStartPageAbout = 4;

struct StartDecision {
    StartAction action;
    int startPage;  // MainDialog only
};

// The first group of targets compares exactly; the page names ignore ASCII case.
StartDecision DecideStart(const wchar_t* target);

// Title formats (%ls: the display name) of the dialogs a start looks for.
constexpr wchar_t kAdvancedEditorTitle[] = L"高级设置模式 - %ls";
constexpr wchar_t kDictionaryTitle[] = L"微型词典 - %ls";
// The viewer of main.dmg that a start opens is found by its own caption.
constexpr wchar_t kTableViewerTitle[] = L"输入编码表详细视图 - %ls";
constexpr wchar_t kKeyFunctionsTitle[] = L"按键功能定义 - %ls";
constexpr wchar_t kMainDialogTitle[] = L"使用设置 - %ls";
constexpr int kTitleUnits = 256;

// The title of a dialog for the display name (an empty name leaves it empty after " - ").
void FormatDialogTitle(const wchar_t* format, const wchar_t* displayName,
                       wchar_t (&out)[kTitleUnits]);
// The title that finds an open window of the action, or null when none is looked for.
const wchar_t* SingleWindowTitleFormat(StartAction action);
