// The same typed sequences through both front ends over the shipped data: the text service
// on the test host and the IMM32 exports on an input context commit the same text.
#include <gtest/gtest.h>

#include <algorithm>
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

// The text service on the test host over the shipped data (installed after the fixture's
// keyboard), typed one key at a time.
class TextServiceTypist {
public:
    TextServiceTypist() {
        if (!install_.ok()) return;
        seams_.createEngine = nullptr;
        seams_.destroyEngine = nullptr;
        SetServiceSeams(&seams_);
        ok_ = f_.Activate() == S_OK && f_.service->engine();
        if (ok_) f_.service->engine()->state &= ~(kStateEnglishMode | kStateImeClosed);
    }
    ~TextServiceTypist() {
        if (ok_) f_.service->Deactivate();
    }
    TextServiceTypist(const TextServiceTypist&) = delete;
    TextServiceTypist& operator=(const TextServiceTypist&) = delete;

    bool ok() const { return ok_; }
    void Tap(char k) { f_.Tap(KeyOf(k)); }
    std::wstring Text() const { return f_.host->Text(); }

private:
    ServiceFixture f_;
    ShippedInstall install_;
    TextServiceSeams seams_ = ServiceSeams();
    bool ok_ = false;
};

std::wstring TypeThroughTextService(const std::string& keys) {
    TextServiceTypist tsf;
    if (!tsf.ok()) return L"<no service>";
    for (char k : keys) tsf.Tap(k);
    return tsf.Text();
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

// An input context of the IMM32 exports on the result window, typed one key at a time; the
// shipped data must be installed while it lives.
class Imm32Typist {
public:
    Imm32Typist() {
        dllInstance = GetModuleHandleW(nullptr);
        hwnd_ = ResultHost();
        SetFocus(hwnd_);
        himc_ = ImmCreateContext();
        ImmAssociateContext(hwnd_, himc_);
        SetFocus(hwnd_);
        ImeSelect(himc_, TRUE);
        if (INPUTCONTEXT* ic = ImmLockIMC(himc_)) {
            if (ic->hPrivate) {
                auto** p = static_cast<Engine**>(ImmLockIMCC(ic->hPrivate));
                engine_ = p ? *p : nullptr;
                ImmUnlockIMCC(ic->hPrivate);
            }
            ImmUnlockIMC(himc_);
        }
        if (engine_) engine_->state &= ~(kStateEnglishMode | kStateImeClosed);
        g_results.clear();
    }
    ~Imm32Typist() {
        ImeSelect(himc_, FALSE);
        ImmAssociateContext(hwnd_, nullptr);
        ImmDestroyContext(himc_);
    }
    Imm32Typist(const Imm32Typist&) = delete;
    Imm32Typist& operator=(const Imm32Typist&) = delete;

    bool ok() const { return engine_ != nullptr; }
    void Tap(char k) {
        BYTE state[256] = {};
        const UINT vk = static_cast<UINT>(KeyOf(k));
        const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
        if (ImeProcessKey(himc_, vk, static_cast<LPARAM>(1 | (scan << 16)), state))
            ImeToAsciiEx(vk, scan, state, nullptr, 0, himc_);
    }
    std::wstring Text() const { return g_results; }

private:
    HWND hwnd_ = nullptr;
    HIMC himc_ = nullptr;
    Engine* engine_ = nullptr;
};

std::wstring TypeThroughImm32(const std::string& keys) {
    ShippedInstall install;
    if (!install.ok()) return L"<no data>";
    Imm32Typist imm;
    if (!imm.ok()) return L"<no engine>";
    for (char k : keys) imm.Tap(k);
    return imm.Text();
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

// A text service and an input context in one process, their keys taken in turns: the key
// functions (commit, paging, clear) of each step run with that front end's own host, so each
// document gets what the same keys give it alone and nothing of the other's.
TEST(FrontEndParity, InterleavedStepsReachTheirOwnHost) {
    if (!ShippedInstall().ok()) GTEST_SKIP() << "no shipped data (tools/make_data.sh makes it)";
    struct Case {
        std::string tsfKeys;
        std::string immKeys;
    };
    const Case cases[] = {
        {"64486 ", "64P "},
        {"64P ", "64486 "},
        {"64E4486 ", "644866B "},
        {"4 ", "64PU 64 "},
    };
    for (const Case& c : cases) {
        const std::wstring tsfAlone = TypeThroughTextService(c.tsfKeys);
        const std::wstring immAlone = TypeThroughImm32(c.immKeys);
        ASSERT_NE(tsfAlone, immAlone) << c.tsfKeys << " / " << c.immKeys;
        TextServiceTypist tsf;
        Imm32Typist imm;
        ASSERT_TRUE(tsf.ok() && imm.ok());
        for (size_t i = 0; i < std::max(c.tsfKeys.size(), c.immKeys.size()); ++i) {
            if (i < c.tsfKeys.size()) {
                const std::wstring immBefore = imm.Text();
                tsf.Tap(c.tsfKeys[i]);
                EXPECT_EQ(imm.Text(), immBefore) << c.tsfKeys << " key " << i;
            }
            if (i < c.immKeys.size()) {
                const std::wstring tsfBefore = tsf.Text();
                imm.Tap(c.immKeys[i]);
                EXPECT_EQ(tsf.Text(), tsfBefore) << c.immKeys << " key " << i;
            }
        }
        EXPECT_EQ(tsf.Text(), tsfAlone) << c.tsfKeys;
        EXPECT_EQ(imm.Text(), immAlone) << c.immKeys;
    }
}

}  // namespace
