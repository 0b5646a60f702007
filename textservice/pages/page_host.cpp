#include "textservice/pages/page_host.h"

#include "core/base/boundary_guard.h"
#include "textservice/object_count.h"
#include "textservice/pages/page_templates.h"

namespace {

HWND g_page = nullptr;
Engine* g_engine = nullptr;

// Hides and destroys the open page without asking it to store anything.
void CloseOpenPage() {
    if (g_page) {
        if (IsWindow(g_page)) {
            ShowWindow(g_page, SW_HIDE);
            DestroyWindow(g_page);
        }
        g_page = nullptr;
    }
    g_engine = nullptr;
}

}  // namespace

HWND CreateSettingsPage(HWND parent, int page, Engine* caller) {
    return Guarded<HWND>(nullptr, [&]() -> HWND {
        const SettingsPageTemplate* t = FindSettingsPageTemplate(page);
        if (!t) return g_page;
        // One page at a time: the old one is discarded rather than left orphaned.
        CloseOpenPage();
        g_engine = caller;
        g_page = CreateDialogParamW(dllInstance, MAKEINTRESOURCEW(t->templateId), parent,
                                    t->procedure, 0);
        if (!g_page) g_engine = nullptr;
        return g_page;
    });
}

int DestroySettingsPage(int apply) {
    return Guarded(0, [&] {
        if (!g_page) return 1;
        if (apply && SendMessageW(g_page, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0) != 0) return 0;
        CloseOpenPage();
        return 1;
    });
}

Engine* SettingsPageEngine() { return g_engine; }
HWND OpenSettingsPage() { return g_page; }
