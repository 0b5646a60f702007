// The same typed sequences through both front ends over the shipped data: the text service
// on the test host and the IMM32 exports on an input context commit the same text.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/tsf_host/service_fixture.h"
#include "support/tsf_host/shipped_install.h"
#include "textservice/imm/ime_exports.h"
#include "textservice/object_count.h"

using namespace tsf_host;

namespace {

// Keys of a sequence: digits are keypad digits; ' ' Space, 'B' Backspace, 'E' Escape,
// 'P' Page Down, 'U' Page Up.
int KeyOf(char k) {
    switch (k) {
        case ' ':
            return VK_SPACE;
        case 'B':
            return VK_BACK;
        case 'E':
            return VK_ESCAPE;
        case 'P':
            return VK_NEXT;
        case 'U':
            return VK_PRIOR;
        default:
            return VK_NUMPAD0 + (k - '0');
    }
}

std::wstring TypeThroughTextService(const std::string& keys) {
    ServiceFixture f;
    ShippedInstall install;
    if (!install.ok()) return L"<no data>";
    TextServiceSeams seams = ServiceSeams();
    seams.createEngine = nullptr;
    seams.destroyEngine = nullptr;
    SetServiceSeams(&seams);
    if (f.Activate() != S_OK || !f.service->engine()) return L"<no service>";
    f.service->engine()->state &= ~(kStateEnglishMode | kStateImeClosed);
    for (char k : keys) f.Tap(KeyOf(k));
    std::wstring text = f.host->Text();
    f.service->Deactivate();
    return text;
}

// What the application was given as result strings.
std::wstring g_results;

LRESULT CALLBACK ResultWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_IME_COMPOSITION && (lParam & GCS_RESULTSTR)) {
        HIMC himc = ImmGetContext(hwnd);
        wchar_t buf[256] = {};
        const LONG n = ImmGetCompositionStringW(himc, GCS_RESULTSTR, buf, sizeof buf - 2);
        if (n > 0) g_results.append(buf, n / 2);
        ImmReleaseContext(hwnd, himc);
        return 0;
    }
    if (message >= WM_IME_STARTCOMPOSITION && message <= WM_IME_KEYLAST) return 0;
    if (message == WM_IME_NOTIFY) return 0;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND ResultHost() {
    static HWND hwnd = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ResultWindow;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ImeParityHost";
        RegisterClassW(&wc);
        HWND h = CreateWindowExW(0, L"ImeParityHost", L"parity", WS_OVERLAPPEDWINDOW, 30, 30, 200,
                                 100, nullptr, nullptr, wc.hInstance, nullptr);
        ShowWindow(h, SW_SHOW);
        SetForegroundWindow(h);
        return h;
    }();
    return hwnd;
}

std::wstring TypeThroughImm32(const std::string& keys) {
    ShippedInstall install;
    if (!install.ok()) return L"<no data>";
    dllInstance = GetModuleHandleW(nullptr);
    HWND hwnd = ResultHost();
    SetFocus(hwnd);
    HIMC himc = ImmCreateContext();
    ImmAssociateContext(hwnd, himc);
    SetFocus(hwnd);
    ImeSelect(himc, TRUE);
    INPUTCONTEXT* ic = ImmLockIMC(himc);
    Engine* e = nullptr;
    if (ic && ic->hPrivate) {
        auto** p = static_cast<Engine**>(ImmLockIMCC(ic->hPrivate));
        e = p ? *p : nullptr;
        ImmUnlockIMCC(ic->hPrivate);
    }
    if (ic) ImmUnlockIMC(himc);
    std::wstring text = L"<no engine>";
    if (e) {
        e->state &= ~(kStateEnglishMode | kStateImeClosed);
        g_results.clear();
        BYTE state[256] = {};
        for (char k : keys) {
            const UINT vk = static_cast<UINT>(KeyOf(k));
            const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
            if (ImeProcessKey(himc, vk, static_cast<LPARAM>(1 | (scan << 16)), state))
                ImeToAsciiEx(vk, scan, state, nullptr, 0, himc);
        }
        text = g_results;
    }
    ImeSelect(himc, FALSE);
    ImmAssociateContext(hwnd, nullptr);
    ImmDestroyContext(himc);
    return text;
}

TEST(FrontEndParity, SequencesCommitTheSameText) {
    if (!ShippedInstall().ok()) GTEST_SKIP() << "no shipped data (tools/make_data.sh makes it)";
    const std::string sequences[] = {
        "64486 ", "64 ", "644866B ", "64486E", "64E4486 ", "64P ", "64PU ", "64486 64 ", "4 ",
    };
    for (const std::string& keys : sequences) {
        const std::wstring tsf = TypeThroughTextService(keys);
        const std::wstring imm = TypeThroughImm32(keys);
        EXPECT_EQ(imm, tsf) << keys;
        EXPECT_FALSE(tsf.empty() && keys.back() == ' ') << keys << ": nothing committed";
    }
    EXPECT_EQ(TypeThroughImm32("64486 "), L"你好");
}

}  // namespace
