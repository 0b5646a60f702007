#include "ui/windows/skin_window_classes.h"

namespace {

struct ClassEntry {
    const wchar_t* name;
    WNDPROC proc;
};

const ClassEntry kClasses[] = {
    {kCandidateClass, CandidateWndProc},
    {kStatusClass, StatusWndProc},
    {kSoftKeyboardClass, SoftKeyboardWndProc},
    {kTipClass, TipWndProc},
    {kDictClass, DictWndProc},
};

}  // namespace

bool RegisterSkinWindowClasses(HINSTANCE module) {
    for (const ClassEntry& c : kClasses) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_HREDRAW | CS_VREDRAW | CS_IME;
        wc.lpfnWndProc = c.proc;
        wc.cbWndExtra = kSkinWindowExtraBytes;
        wc.hInstance = module;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = c.name;
        if (!RegisterClassExW(&wc)) return false;
    }
    return true;
}

void UnregisterSkinWindowClasses(HINSTANCE module) {
    for (const ClassEntry& c : kClasses) UnregisterClassW(c.name, module);
}
