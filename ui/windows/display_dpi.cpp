#include "ui/windows/display_dpi.h"

#include "ui/image/gdi_handles.h"
#include "ui/skin/active_skin.h"
#include "ui/skin/skin_scale.h"
#include "ui/windows/ui_fonts.h"
#include "ui/windows/ui_state_block.h"

namespace {

using DpiForWindowFn = UINT(WINAPI*)(HWND);

DpiForWindowFn DpiForWindowEntry() {
    static const DpiForWindowFn entry = [] {
        HMODULE user = GetModuleHandleW(L"user32.dll");
        return user ? reinterpret_cast<DpiForWindowFn>(
                          reinterpret_cast<void*>(GetProcAddress(user, "GetDpiForWindow")))
                    : nullptr;
    }();
    return entry;
}

int32_t ScreenDpi() {
    zan::WindowDC screen(nullptr);
    return screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : kBaseDpi;
}

}  // namespace

int32_t DpiOfWindow(HWND window) {
    if (window && IsWindow(window))
        if (DpiForWindowFn entry = DpiForWindowEntry())
            if (const UINT dpi = entry(window)) return UsableDpi(int32_t(dpi));
    return UsableDpi(ScreenDpi());
}

HWND ServedWindow(const Engine* e) {
    if (!e || !e->uiState) return nullptr;
    if (HWND focus = e->uiState->host.focus; focus && IsWindow(focus)) return focus;
    return e->windows.statusWindow ? GetWindow(e->windows.statusWindow, GW_OWNER) : nullptr;
}

bool UseDpi(Engine* e, int32_t dpi) {
    if (!e || !e->uiState || !e->skin) return false;
    UIState* s = e->uiState;
    dpi = UsableDpi(dpi);
    if (dpi == UsableDpi(s->dpi)) return false;
    s->dpi = dpi;
    // The loaded skin was scaled for the old DPI: load it again for the new one.
    SelectActiveSkin(e);
    // The pictures the windows' regions were made from are gone.
    s->candidate.regionSource = nullptr;
    s->candidate.background = nullptr;
    s->candidate.layout = nullptr;
    FreeSkinImage(s->stretchedBackground);
    s->stretchedBackground = nullptr;
    CreateUIFonts(e);
    return true;
}

bool FollowServedDpi(Engine* e) { return UseDpi(e, DpiOfWindow(ServedWindow(e))); }
