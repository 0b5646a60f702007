#include "installer/wizard/wizard_environment.h"

#include <new>
#include <string>

namespace {

void PostLine(HWND wizard, UINT message, WPARAM wp, const wchar_t* line) {
    std::wstring* text = line ? new (std::nothrow) std::wstring(line) : nullptr;
    if (!PostMessageW(wizard, message, wp, reinterpret_cast<LPARAM>(text))) delete text;
}

}  // namespace

int WizardEnvironment::Ask(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    if (GetWindowThreadProcessId(wizard_, nullptr) == GetCurrentThreadId())
        return base_.Ask(owner ? owner : wizard_, text, caption, type);
    WizardQuestion q{text, caption, type, IDNO};
    SendMessageW(wizard_, kWizardAskMessage, 0, reinterpret_cast<LPARAM>(&q));
    return q.answer;
}

void WizardEnvironment::Progress(int position, const wchar_t* line) {
    PostLine(wizard_, kWizardProgressMessage, static_cast<WPARAM>(position), line);
}

void WizardEnvironment::TransientLine(const wchar_t* line) {
    if (line) PostLine(wizard_, kWizardTransientMessage, 0, line);
}
