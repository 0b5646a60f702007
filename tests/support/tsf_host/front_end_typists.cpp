#include "support/tsf_host/front_end_typists.h"

#include <imm.h>

#include <cstring>

#include "engine/symbol_display.h"
#include "support/keys/key_driver.h"
#include "textservice/imm/ime_exports.h"
#include "textservice/imm/ime_session.h"
#include "textservice/object_count.h"

namespace tsf_host {

namespace {

LPARAM KeyLParam(int vk, bool up) {
    const uint32_t scan = testing_support::ScanCodeOf(vk);
    return static_cast<LPARAM>((scan << 16) | 1u | (up ? 0xC0000000u : 0u));
}

bool ShiftDown(const testing_support::FakeKeyboard* k) { return k && k->down_[VK_SHIFT]; }

// What the result window was given as result strings and typed characters.
std::wstring g_imeDocument;

LRESULT CALLBACK ResultWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_IME_COMPOSITION && (lParam & GCS_RESULTSTR)) {
        HIMC himc = ImmGetContext(hwnd);
        wchar_t buf[512] = {};
        const LONG n = ImmGetCompositionStringW(himc, GCS_RESULTSTR, buf, sizeof buf - 2);
        if (n > 0) g_imeDocument.append(buf, static_cast<size_t>(n) / 2);
        ImmReleaseContext(hwnd, himc);
        return 0;
    }
    if (message >= WM_IME_STARTCOMPOSITION && message <= WM_IME_KEYLAST) return 0;
    if (message == WM_IME_NOTIFY || message == WM_IME_SETCONTEXT) return 0;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND ResultHost() {
    static HWND hwnd = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ResultWindow;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ImeTypistHost";
        RegisterClassW(&wc);
        HWND h = CreateWindowExW(0, L"ImeTypistHost", L"typist", WS_OVERLAPPEDWINDOW, 30, 30, 200,
                                 100, nullptr, nullptr, wc.hInstance, nullptr);
        ShowWindow(h, SW_SHOW);
        SetForegroundWindow(h);
        return h;
    }();
    return hwnd;
}

}  // namespace

wchar_t ApplicationChar(int vk, bool shift) {
    if (vk >= 'A' && vk <= 'Z') return static_cast<wchar_t>(shift ? vk : vk + 32);
    if (vk >= '0' && vk <= '9' && !shift) return static_cast<wchar_t>(vk);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return static_cast<wchar_t>('0' + vk - VK_NUMPAD0);
    struct Pair {
        int vk;
        wchar_t plain, shifted;
    };
    static const Pair pairs[] = {
        {'0', L'0', L')'},           {'1', L'1', L'!'},         {'2', L'2', L'@'},
        {'3', L'3', L'#'},           {'4', L'4', L'$'},         {'5', L'5', L'%'},
        {'6', L'6', L'^'},           {'7', L'7', L'&'},         {'8', L'8', L'*'},
        {'9', L'9', L'('},           {VK_SPACE, L' ', L' '},    {VK_OEM_COMMA, L',', L'<'},
        {VK_OEM_PERIOD, L'.', L'>'}, {VK_OEM_1, L';', L':'},    {VK_OEM_2, L'/', L'?'},
        {VK_OEM_7, L'\'', L'"'},     {VK_OEM_4, L'[', L'{'},    {VK_OEM_6, L']', L'}'},
        {VK_OEM_MINUS, L'-', L'_'},  {VK_OEM_PLUS, L'=', L'+'}, {VK_RETURN, L'\n', L'\n'},
    };
    for (const Pair& p : pairs)
        if (p.vk == vk) return shift ? p.shifted : p.plain;
    return 0;
}

void FrontEndTypist::Tap(int vk) {
    Key(vk, false);
    Key(vk, true);
    DeliverSynthesisedKeys();
}

void FrontEndTypist::DeliverSynthesisedKeys() {
    if (!keyboard) return;
    for (int round = 0; round < 8 && !keyboard->sent.empty(); ++round) {
        const std::vector<testing_support::SentKey> sent = std::move(keyboard->sent);
        keyboard->sent.clear();
        for (const testing_support::SentKey& k : sent) Key(k.vk, k.up);
    }
    keyboard->sent.clear();
}

void FrontEndTypist::ResetEngine(uint32_t state) {
    Engine* e = engine();
    if (keyboard) {
        keyboard->sent.clear();
        keyboard->Press(VK_SHIFT, false);
    }
    if (!e) return;
    Engine::ResetInput(e);
    e->state = state;
    e->replayActive = 0;
    e->softKeyboardLayout = 0;
    e->input.outputText[0] = 0;
    e->input.outputLength = 0;
    e->input.keyChar = nullptr;
    e->input.keyAction = 0;
    e->input.keyVk = 0;
    Engine::AppendOutputText(e, L"\n");
    ResetSymbolRecords(e);
}

// ---- the text service ----

TextServiceTypist::TextServiceTypist(ServiceFixture& fixture, ShippedInstall& install)
    : f_(fixture), previous_(&ServiceSeams()), seams_(ServiceSeams()) {
    keyboard = &f_.keyboard;
    if (!install.ok()) return;
    install.Use();
    seams_.createEngine = nullptr;
    seams_.destroyEngine = nullptr;
    SetServiceSeams(&seams_);
    ok_ = f_.Activate() == S_OK && f_.service->engine();
    if (!ok_) return;
    f_.service->engine()->state &= ~(kStateEnglishMode | kStateImeClosed);
    startState_ = f_.service->engine()->state;
    startOpen_ = f_.host->GlobalCompartment(GUID_COMPARTMENT_KEYBOARD_OPENCLOSE);
    startConversion_ = f_.host->GlobalCompartment(GUID_COMPARTMENT_KEYBOARD_INPUTMODE_CONVERSION);
}

void TextServiceTypist::Reset() {
    if (!ok_) return;
    f_.host->TerminateCompositions();
    f_.host->SetGlobalCompartment(GUID_COMPARTMENT_KEYBOARD_OPENCLOSE, startOpen_);
    f_.host->SetGlobalCompartment(GUID_COMPARTMENT_KEYBOARD_INPUTMODE_CONVERSION, startConversion_);
    f_.host->SetText(L"", 0);
    f_.service->keyPath() = KeyPathState{};
    ResetEngine(startState_);
}

TextServiceTypist::~TextServiceTypist() {
    if (ok_) f_.service->Deactivate();
    SetServiceSeams(previous_);
}

Engine* TextServiceTypist::engine() const { return f_.service ? f_.service->engine() : nullptr; }

void TextServiceTypist::Key(int vk, bool up) {
    const bool eaten = up ? f_.host->KeyUp(static_cast<WPARAM>(vk), KeyLParam(vk, up))
                          : f_.host->KeyDown(static_cast<WPARAM>(vk), KeyLParam(vk, up));
    if (up || eaten) return;
    // The application's own handling of a key let through.
    if (vk == VK_BACK)
        f_.host->ApplicationTypes(0);
    else if (const wchar_t c = ApplicationChar(vk, ShiftDown(keyboard)))
        f_.host->ApplicationTypes(c);
}

TypedState TextServiceTypist::State() const {
    TypedState s;
    s.committed = f_.host->TextOutsideComposition();
    s.composition = f_.host->CompositionCount() > 0 ? f_.host->CompositionText() : L"";
    s.composing = !s.composition.empty();
    return s;
}

// ---- IMM32 ----

Imm32Typist::Imm32Typist(ShippedInstall& install) {
    if (!install.ok()) return;
    install.Use();
    dllInstance = GetModuleHandleW(nullptr);
    hwnd_ = ResultHost();
    SetFocus(hwnd_);
    himc_ = ImmCreateContext();
    ImmAssociateContext(hwnd_, himc_);
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
    if (engine_) startState_ = engine_->state;
    startOpen_ = ImmGetOpenStatus(himc_);
    ImmGetConversionStatus(himc_, &startConversion_, &startSentence_);
    g_imeDocument.clear();
}

void Imm32Typist::Reset() {
    if (!engine_) return;
    NotifyIME(himc_, NI_COMPOSITIONSTR, CPS_CANCEL, 0);
    if (INPUTCONTEXT* ic = ImmLockIMC(himc_)) {
        ic->fOpen = startOpen_;
        ic->fdwConversion = startConversion_;
        ic->fdwSentence = startSentence_;
        ImmUnlockIMC(himc_);
    }
    if (ImeSession* s = SessionOf(engine_)) {
        s->keys = KeyPathState{};
        s->keys.frontEnd = FrontEnd::kImm32;
    }
    ResetEngine(startState_);
    g_imeDocument.clear();
}

Imm32Typist::~Imm32Typist() {
    if (!himc_) return;
    ImeSelect(himc_, FALSE);
    ImmAssociateContext(hwnd_, nullptr);
    ImmDestroyContext(himc_);
}

void Imm32Typist::Key(int vk, bool up) {
    BYTE state[256] = {};
    const UINT scan = testing_support::ScanCodeOf(vk);
    const LPARAM lParam = KeyLParam(vk, up);
    if (ImeProcessKey(himc_, static_cast<UINT>(vk), lParam, state)) {
        ImeToAsciiEx(static_cast<UINT>(vk), scan | (up ? 0x8000u : 0u), state, nullptr, 0, himc_);
        return;
    }
    if (up) return;
    // The application's own handling: WM_CHAR of the key, or Backspace.
    if (vk == VK_BACK) {
        if (!g_imeDocument.empty()) g_imeDocument.pop_back();
    } else if (const wchar_t c = ApplicationChar(vk, ShiftDown(keyboard))) {
        g_imeDocument.push_back(c);
    }
}

TypedState Imm32Typist::State() const {
    TypedState s;
    s.committed = g_imeDocument;
    wchar_t buf[512] = {};
    const LONG n = ImmGetCompositionStringW(himc_, GCS_COMPSTR, buf, sizeof buf - 2);
    if (n > 0) s.composition.assign(buf, static_cast<size_t>(n) / 2);
    s.composing = !s.composition.empty();
    return s;
}

}  // namespace tsf_host
