#include "config/config_dialogs.h"

#include "config/config_ids.h"
#include "config/start_target.h"
#include "dialog/control_text.h"

namespace {

RunConfigDialogFunction& DialogSlot(ConfigDialogKind kind) {
    static RunConfigDialogFunction slots[static_cast<int>(ConfigDialogKind::Count)] = {};
    return slots[static_cast<int>(kind)];
}

CreateConfigPageFunction& PageSlot(ConfigPageKind kind) {
    static CreateConfigPageFunction slots[static_cast<int>(ConfigPageKind::Count)] = {};
    return slots[static_cast<int>(kind)];
}

HWND g_mainWindow = nullptr;

const wchar_t* PlaceholderTitleFormat(ConfigDialogKind kind) {
    switch (kind) {
        case ConfigDialogKind::AdvancedEditor:
            return kAdvancedEditorTitle;
        case ConfigDialogKind::KeyFunctions:
            return kKeyFunctionsTitle;
        case ConfigDialogKind::TableViewer:
            return kTableViewerTitle;
        case ConfigDialogKind::Dictionary:
            return kDictionaryTitle;
        case ConfigDialogKind::Embedding:
            return L"嵌入设置 - %ls";
        case ConfigDialogKind::WordEditor:
            return L"添加用户词 - %ls";
        case ConfigDialogKind::HtmlViewer:
            return L"帮助 - %ls";
        default:
            return L"输入法更新 - %ls";
    }
}

// Stands for a dialog that is not built into this program.
class PlaceholderDialog final : public Dialog {
public:
    PlaceholderDialog(ConfigDialogKind kind, const ConfigDialogRequest& request)
        : Dialog(IDD_PLACEHOLDER), kind_(kind), request_(request) {}

protected:
    bool OnInitDialog() override {
        wchar_t title[kTitleUnits];
        FormatDialogTitle(PlaceholderTitleFormat(kind_), request_.displayName, title);
        SetWindowTextW(hwnd(), title);
        if (!request_.owner) SetProgramMainWindow(hwnd());
        return true;
    }

private:
    ConfigDialogKind kind_;
    ConfigDialogRequest request_;
};

class EmptyPage final : public Dialog {
public:
    EmptyPage() : Dialog(IDD_EMPTY_PAGE) {}
};

}  // namespace

void RegisterConfigDialog(ConfigDialogKind kind, RunConfigDialogFunction run) {
    if (kind < ConfigDialogKind::Count) DialogSlot(kind) = run;
}

void RegisterConfigPage(ConfigPageKind kind, CreateConfigPageFunction create) {
    if (kind < ConfigPageKind::Count) PageSlot(kind) = create;
}

bool IsConfigDialogRegistered(ConfigDialogKind kind) {
    return kind < ConfigDialogKind::Count && DialogSlot(kind) != nullptr;
}

INT_PTR RunConfigDialog(ConfigDialogKind kind, const ConfigDialogRequest& request) {
    if (IsConfigDialogRegistered(kind)) return DialogSlot(kind)(request);
    PlaceholderDialog placeholder(kind, request);
    return placeholder.RunModal(request.owner);
}

std::unique_ptr<Dialog> CreateConfigPage(ConfigPageKind kind, Engine* engine) {
    if (kind < ConfigPageKind::Count && PageSlot(kind)) {
        if (Dialog* page = PageSlot(kind)(engine)) return std::unique_ptr<Dialog>(page);
    }
    return std::make_unique<EmptyPage>();
}

void SetProgramMainWindow(HWND window) { g_mainWindow = window; }

HWND ProgramMainWindow() { return g_mainWindow; }
