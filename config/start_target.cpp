#include "config/start_target.h"

#include <cwchar>

#include "dialog/control_text.h"

namespace {

struct ExactTarget {
    const wchar_t* name;
    StartAction action;
};

constexpr ExactTarget kExactTargets[] = {
    {L"gaojishezhi", StartAction::AdvancedEditor},
    {L"高级设置", StartAction::AdvancedEditor},
    {L"showurl", StartAction::HtmlViewer},
    {L"dict", StartAction::Dictionary},
    {L"update", StartAction::Updater},
    {L"shuchufancha", StartAction::ViewOutput},
    {L"输出反查", StartAction::ViewOutput},
    {L"jiantiebanfancha", StartAction::ViewClipboard},
    {L"剪贴板反查", StartAction::ViewClipboard},
    {L"anjianshezhi", StartAction::KeyFunctions},
    {L"按键设置", StartAction::KeyFunctions},
    {L"tianjiayonghuci", StartAction::AddWord},
    {L"添加用户词", StartAction::AddWord},
    {L"zaixianjiaci", StartAction::AddWordOnline},
    {L"在线加词", StartAction::AddWordOnline},
    {L"jianqiebanjiaci", StartAction::AddWordOnline},
    {L"剪贴板加词", StartAction::AddWordOnline},
    {L"help", StartAction::Help},
    {L"帮助首页", StartAction::Help},
};

struct PageName {
    const wchar_t* name;
    int page;
};

constexpr PageName kPageNames[] = {
    {L"jiemian", kStartPageInterface}, {L"界面", kStartPageInterface},
    {L"mabiao", kStartPageTables},     {L"码表", kStartPageTables},
    {L"gaoji", kStartPageAdvanced},    {L"高级", kStartPageAdvanced},
    {L"about", kStartPageAbout},       {L"关于", kStartPageAbout},
};

wchar_t AsciiLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? c + 32 : c; }

bool EqualsIgnoringAsciiCase(const wchar_t* a, const wchar_t* b) {
    for (; *a && *b; ++a, ++b)
        if (AsciiLower(*a) != AsciiLower(*b)) return false;
    return *a == *b;
}

}  // namespace

StartDecision DecideStart(const wchar_t* target) {
    if (!target) target = L"";
    for (const ExactTarget& t : kExactTargets)
        if (std::wcscmp(target, t.name) == 0) return {t.action, 0};
    for (const PageName& p : kPageNames)
        if (EqualsIgnoringAsciiCase(target, p.name)) return {StartAction::MainDialog, p.page};
    return {StartAction::MainDialog, kStartPageCommon};
}

void FormatDialogTitle(const wchar_t* format, const wchar_t* displayName,
                       wchar_t (&out)[kTitleUnits]) {
    FormatBounded(out, kTitleUnits, format, displayName ? displayName : L"");
}

const wchar_t* SingleWindowTitleFormat(StartAction action) {
    switch (action) {
        case StartAction::AdvancedEditor:
            return kAdvancedEditorTitle;
        case StartAction::Dictionary:
            return kDictionaryTitle;
        case StartAction::ViewOutput:
        case StartAction::ViewClipboard:
            return kTableViewerTitle;
        case StartAction::KeyFunctions:
            return kKeyFunctionsTitle;
        case StartAction::MainDialog:
            return kMainDialogTitle;
        default:
            return nullptr;
    }
}
