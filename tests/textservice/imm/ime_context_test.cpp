// The IME exports called directly on an input context of the real imm32, bound to a focused
// window that records the IME messages it is sent.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/settings/key_names.h"
#include "engine/entry_flag_edits.h"
#include "engine/platform.h"
#include "engine/ui_command.h"
#include "ime_installation.h"
#include "textservice/imm/ime_blocks.h"
#include "textservice/imm/ime_escape.h"
#include "textservice/imm/ime_exports.h"
#include "textservice/imm/ime_messages.h"
#include "textservice/imm/ime_session.h"
#include "textservice/imm/ime_ui_window.h"
#include "textservice/imm/ime_windows.h"
#include "textservice/imm/imm_driver.h"
#include "textservice/object_count.h"

using namespace imm_test;

namespace {

struct Msg {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Msg& o) const {
        return message == o.message && wParam == o.wParam && lParam == o.lParam;
    }
};

std::vector<Msg> g_messages;
std::wstring g_guidText;
int16_t g_keyState[256];
// Keys the input method synthesised (virtual key, up); with g_capsToggles a synthesised Caps
// Lock press flips the toggle, as a real keyboard's does.
std::vector<std::pair<uint8_t, bool>> g_sent;
bool g_capsToggles = false;

std::ostream& operator<<(std::ostream& os, const Msg& m) {
    return os << "{0x" << std::hex << m.message << ", 0x" << m.wParam << ", 0x" << m.lParam
              << std::dec << "}";
}

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_IME_STARTCOMPOSITION:
        case WM_IME_ENDCOMPOSITION:
        case WM_IME_COMPOSITION:
        case WM_IME_NOTIFY:
            g_messages.push_back({message, wParam, lParam});
            return 0;
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

EnginePlatform TestPlatform() {
    EnginePlatform p = Win32Platform();
    p.loadGuidText = [](wchar_t* out, int chars) {
        if (static_cast<int>(g_guidText.size()) >= chars) return 0;
        std::wcscpy(out, g_guidText.c_str());
        return static_cast<int>(g_guidText.size());
    };
    p.keyState = [](int vk) { return g_keyState[vk & 0xFF]; };
    p.keyEvent = [](uint8_t vk, uint32_t flags) {
        const bool up = (flags & KEYEVENTF_KEYUP) != 0;
        g_sent.push_back({vk, up});
        if (g_capsToggles && vk == VK_CAPITAL && !up) g_keyState[VK_CAPITAL] ^= 1;
    };
    return p;
}

const Msg kEnd{WM_IME_ENDCOMPOSITION, 0, 0};
const Msg kStart{WM_IME_STARTCOMPOSITION, 0, 0};
const Msg kUpdate{WM_IME_COMPOSITION, 0, kCompositionUpdateFlags};
const Msg kResult{WM_IME_COMPOSITION, 0, kCompositionResultFlags};
const Msg kOpenCand{WM_IME_NOTIFY, IMN_OPENCANDIDATE, 1};
const Msg kChangeCand{WM_IME_NOTIFY, IMN_CHANGECANDIDATE, 1};
const Msg kPlace{WM_IME_NOTIFY, kNotifyPlaceCandidates, 0};
const Msg kClosedByIme{WM_IME_NOTIFY, kNotifyCandidatesClosed, 0};
const Msg kCloseCand{WM_IME_NOTIFY, IMN_CLOSECANDIDATE, 1};

// Keypad code bytes of a digit string.
std::string Keypad(const char* digits) {
    std::string s;
    for (const char* p = digits; *p; ++p) s += static_cast<char>(0x10 + (*p - '0'));
    return s;
}

std::vector<FixtureEntry> Entries() {
    std::vector<FixtureEntry> e = {
        {Keypad("64486"), "你好", ComposeFlags(900, 1)},
        {Keypad("64486"), "拟好", ComposeFlags(100, 1)},
        {Keypad("64"), "你", ComposeFlags(900, 1)},
    };
    // Twelve words under one code, in a known order: page 2 starts with the sixth.
    const char* words[] = {"一", "二", "三", "四", "五", "六", "七", "八", "九", "十", "百", "千"};
    for (int i = 0; i < 12; ++i)
        e.push_back({Keypad("2"), words[i], ComposeFlags(1300 - 100 * i, 1)});
    e.push_back({Keypad("9"), std::string(150, 'a'), ComposeFlags(10, 1)});
    e.push_back({Keypad("8"), "$kxcmd(convert(全半角))", ComposeFlags(10, 1)});
    return e;
}

// One shown, focused host window for every test (showing a window costs time under Xvfb).
HWND HostWindow() {
    static HWND hwnd = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = RecordingProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ImeContextTestHost";
        RegisterClassW(&wc);
        HWND h = CreateWindowExW(0, L"ImeContextTestHost", L"host", WS_OVERLAPPEDWINDOW, 10, 10,
                                 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
        ShowWindow(h, SW_SHOW);
        SetForegroundWindow(h);
        return h;
    }();
    return hwnd;
}

class ImeContext : public ::testing::Test {
public:
    void SetUp() override {
        std::memset(g_keyState, 0, sizeof g_keyState);
        g_sent.clear();
        g_capsToggles = false;
        platform_ = TestPlatform();
        SetPlatform(&platform_);
        CoCreateGuid(&guid_);
        g_guidText = GuidText(guid_);
        install_ = std::make_unique<ImeInstallation>(guid_, L"fakeime");
        install_->WriteMain(Entries());
        dllInstance = GetModuleHandleW(nullptr);

        hwnd_ = HostWindow();
        ASSERT_TRUE(hwnd_);
        SetFocus(hwnd_);
        himc_ = ImmCreateContext();
        ASSERT_TRUE(himc_);
        ImmAssociateContext(hwnd_, himc_);
        SetFocus(hwnd_);
    }
    void TearDown() override {
        if (himc_) {
            ImeSelect(himc_, FALSE);
            ImmAssociateContext(hwnd_, nullptr);
            ImmDestroyContext(himc_);
        }
        install_.reset();
        SetPlatform(nullptr);
    }

    void Select() {
        ImeSelect(himc_, TRUE);
        ASSERT_NE(EngineOf(), nullptr);
        g_messages.clear();
    }
    Engine* EngineOf() {
        INPUTCONTEXT* ic = ImmLockIMC(himc_);
        Engine* e = nullptr;
        if (ic && ic->hPrivate) {
            auto** p = static_cast<Engine**>(ImmLockIMCC(ic->hPrivate));
            if (p) e = *p;
            ImmUnlockIMCC(ic->hPrivate);
        }
        ImmUnlockIMC(himc_);
        return e;
    }
    // One key press as IMM32 hands it on: ImeProcessKey, then ImeToAsciiEx when taken.
    BOOL Press(UINT vk) {
        const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
        const LPARAM lParam = static_cast<LPARAM>(1 | (scan << 16));
        BYTE state[256] = {};
        const BOOL taken = ImeProcessKey(himc_, vk, lParam, state);
        if (taken) ImeToAsciiEx(vk, scan, state, nullptr, 0, himc_);
        return taken;
    }
    void Type(const char* keys) {
        for (const char* k = keys; *k; ++k) Press(KeyOf(*k));
    }
    // Keys of a typed sequence: digits are keypad digits, the letters name other keys.
    static UINT KeyOf(char k) {
        switch (k) {
            case ' ':
                return VK_SPACE;
            case 'P':
                return VK_NEXT;
            case 'U':
                return VK_PRIOR;
            case 'B':
                return VK_BACK;
            case 'E':
                return VK_ESCAPE;
            case 'L':
                return VK_LEFT;
            default:
                if (k >= 'a' && k <= 'i') return '1' + (k - 'a');  // main-row digits 1-9
                return VK_NUMPAD0 + (k - '0');
        }
    }
    std::wstring Read(DWORD index) {
        wchar_t buf[600] = {};
        const LONG bytes = ImmGetCompositionStringW(himc_, index, buf, sizeof buf - 2);
        return bytes > 0 ? std::wstring(buf, bytes / 2) : std::wstring();
    }
    template <typename T, typename F>
    void WithBlock(HIMCC INPUTCONTEXT::*field, F f) {
        INPUTCONTEXT* ic = ImmLockIMC(himc_);
        ASSERT_TRUE(ic);
        HIMCC block = ic->*field;
        auto* p = static_cast<T*>(ImmLockIMCC(block));
        ASSERT_TRUE(p);
        f(p, ImmGetIMCCSize(block));
        ImmUnlockIMCC(block);
        ImmUnlockIMC(himc_);
    }
    std::vector<std::wstring> CandidateRows() {
        std::vector<std::wstring> rows;
        WithBlock<CANDIDATEINFO>(&INPUTCONTEXT::hCandInfo, [&](CANDIDATEINFO* ci, DWORD) {
            CANDIDATELIST* list = CandidateListOf(ci);
            for (DWORD i = 0; i < list->dwCount; ++i) rows.push_back(CandidateSlot(list, i));
        });
        return rows;
    }

    EnginePlatform platform_{};
    GUID guid_{};
    std::unique_ptr<ImeInstallation> install_;
    HWND hwnd_ = nullptr;
    HIMC himc_ = nullptr;
};

TEST(ImeInquireTest, DescribesTheInputMethod) {
    dllInstance = GetModuleHandleW(nullptr);
    IMEINFO info{};
    wchar_t className[17] = {};
    ASSERT_TRUE(ImeInquire(&info, className, 0));
    EXPECT_EQ(info.dwPrivateDataSize, 8u);
    EXPECT_EQ(info.fdwProperty, 0xA0002u);
    EXPECT_EQ(info.fdwConversionCaps, 0x5A9u);
    EXPECT_EQ(info.fdwSentenceCaps, 0u);
    EXPECT_EQ(info.fdwUICaps, static_cast<DWORD>(UI_CAP_ROTANY));
    EXPECT_EQ(info.fdwSCSCaps, static_cast<DWORD>(SCS_CAP_COMPSTR));
    EXPECT_EQ(info.fdwSelectCaps, static_cast<DWORD>(SELECT_CAP_CONVERSION));
    EXPECT_STREQ(className, L"ZANTOR3UI");
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    ASSERT_TRUE(GetClassInfoExW(dllInstance, L"ZANTOR3UI", &wc));
    EXPECT_EQ(wc.style, static_cast<UINT>(CS_IME | CS_HREDRAW | CS_VREDRAW));
    // What IMM needs (the context and one spare pointer), not a whole engine record.
    EXPECT_EQ(wc.cbWndExtra, static_cast<int>(2 * sizeof(LONG_PTR)));
    EXPECT_FALSE(ImeInquire(nullptr, className, 0));
}

TEST(ImeUIWindowTest, CreatesWithoutAContextAndIgnoresIdleMessages) {
    dllInstance = GetModuleHandleW(nullptr);
    IMEINFO info{};
    wchar_t className[17] = {};
    ASSERT_TRUE(ImeInquire(&info, className, 0));
    // WM_NCCREATE arrives before IMM stored a context: the window must still be made.
    HWND ui = CreateWindowExW(0, L"ZANTOR3UI", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                              dllInstance, nullptr);
    ASSERT_TRUE(ui);
    struct Case {
        UINT message;
        WPARAM wParam;
    };
    const Case cases[] = {{WM_IME_NOTIFY, IMN_OPENCANDIDATE},
                          {WM_IME_SETCONTEXT, 1},
                          {WM_HOTKEY, 123},
                          {WM_HOTKEY, 123 + 5000},
                          {WM_IME_COMPOSITION, 0},
                          {WM_IME_REQUEST, 0}};
    for (const Case& c : cases) EXPECT_EQ(SendMessageW(ui, c.message, c.wParam, 0), 0);
    EXPECT_TRUE(DestroyWindow(ui));
}

TEST_F(ImeContext, SelectLaysOutTheBlocksByteForByte) {
    Select();
    WithBlock<BYTE>(&INPUTCONTEXT::hCompStr, [](BYTE* p, DWORD size) {
        EXPECT_EQ(size, 1050998u);
        auto* cs = reinterpret_cast<COMPOSITIONSTRING*>(p);
        EXPECT_EQ(cs->dwSize, 1050998u);
        const DWORD offsets[] = {
            cs->dwCompReadAttrOffset,     cs->dwCompReadClauseOffset, cs->dwCompReadStrOffset,
            cs->dwCompAttrOffset,         cs->dwCompClauseOffset,     cs->dwCompStrOffset,
            cs->dwResultReadClauseOffset, cs->dwResultReadStrOffset,  cs->dwResultClauseOffset,
            cs->dwResultStrOffset,        cs->dwPrivateOffset};
        const DWORD expected[] = {100, 229, 487, 745, 874, 1132, 1390, 1648, 1906, 2164, 2422};
        for (int i = 0; i < 11; ++i) EXPECT_EQ(offsets[i], expected[i]) << i;
        EXPECT_EQ(cs->dwCompStrLen + cs->dwResultStrLen + cs->dwCursorPos, 0u);
        size_t nonZero = 0;
        for (DWORD i = 100; i < size; ++i) nonZero += p[i] != 0;
        EXPECT_EQ(nonZero, 0u);
    });
    WithBlock<BYTE>(&INPUTCONTEXT::hCandInfo, [](BYTE* p, DWORD size) {
        EXPECT_EQ(size, 74784u);
        struct Field {
            DWORD offset;
            DWORD value;
        };
        const Field fields[] = {{0, 74784},  {4, 1},      {8, 144},
                                {12, 144},   {16, 144},   {20, 0},
                                {140, 2776}, {144, 2632}, {148, IME_CAND_READ},
                                {152, 0},    {156, 0},    {160, 0},
                                {164, 9}};
        for (const Field& f : fields) {
            DWORD v;
            std::memcpy(&v, p + f.offset, 4);
            EXPECT_EQ(v, f.value) << "offset " << f.offset;
        }
        for (DWORD i = 0; i < 10; ++i) {
            DWORD v;
            std::memcpy(&v, p + 168 + 4 * i, 4);
            EXPECT_EQ(v, 72 + 256 * i) << "slot " << i;
        }
        size_t nonZero = 0;
        for (DWORD i = 2776; i < size; ++i) nonZero += p[i] != 0;
        EXPECT_EQ(nonZero, 0u);
    });
    WithBlock<BYTE>(&INPUTCONTEXT::hPrivate, [](BYTE*, DWORD size) { EXPECT_GE(size, 8u); });
    // Open, Chinese, half width, whatever mode IMM handed the new context.
    INPUTCONTEXT* ic = ImmLockIMC(himc_);
    EXPECT_TRUE(ic->fOpen);
    EXPECT_EQ(ic->fdwConversion, static_cast<DWORD>(IME_CMODE_NATIVE));
    ImmUnlockIMC(himc_);
    EXPECT_EQ(EngineOf()->state & (kStateEnglishMode | kStateFullWidthOutput), 0u);
}

TEST_F(ImeContext, CustomStartStateClosedLeavesTheContextClosedAndEnglish) {
    install_->EditConfig([](uint8_t* v) {
        auto* ime = reinterpret_cast<ImeConfigData*>(v + kImeBlockOffset);
        ime->features |= kFeatCustomStartState;
        ime->startState = kStartStateClosed;
    });
    Select();
    INPUTCONTEXT* ic = ImmLockIMC(himc_);
    EXPECT_FALSE(ic->fOpen);
    EXPECT_EQ(ic->fdwConversion & (IME_CMODE_NOCONVERSION | IME_CMODE_NATIVE),
              static_cast<DWORD>(IME_CMODE_NOCONVERSION));
    ImmUnlockIMC(himc_);
    EXPECT_TRUE(EngineOf()->state & kStateEnglishMode);
}

TEST_F(ImeContext, WithoutAnEngineNoKeyIsTaken) {
    // No installation: the record cannot be made, the context takes no key.
    install_.reset();
    ImeSelect(himc_, TRUE);
    EXPECT_EQ(EngineOf(), nullptr);
    g_messages.clear();
    for (UINT vk : {UINT{VK_CAPITAL}, UINT{VK_NUMPAD6}, UINT{VK_SPACE}, UINT{'A'}})
        EXPECT_FALSE(Press(vk)) << vk;
    EXPECT_TRUE(g_messages.empty());
}

TEST_F(ImeContext, EscapesAnswerOnlyWhatIsServed) {
    Select();
    struct Case {
        const char* name;
        UINT code;
        UINT asked;
        LRESULT expected;
    };
    const Case cases[] = {
        {"query max key", IME_ESC_QUERY_SUPPORT, IME_ESC_MAX_KEY, 1},
        {"query name", IME_ESC_QUERY_SUPPORT, IME_ESC_IME_NAME, 1},
        {"query help", IME_ESC_QUERY_SUPPORT, IME_ESC_GETHELPFILENAME, 1},
        {"query unserved", IME_ESC_QUERY_SUPPORT, IME_ESC_SEQUENCE_TO_INTERNAL, 0},
        {"query hanja", IME_ESC_QUERY_SUPPORT, IME_ESC_HANJA_MODE, 0},
        {"max key", IME_ESC_MAX_KEY, 0, 128},
        {"unknown", 0x7777, 0, 0},
    };
    for (const Case& c : cases) {
        UINT asked = c.asked;
        EXPECT_EQ(ImeEscape(himc_, c.code, &asked), c.expected) << c.name;
        EXPECT_EQ(asked, c.asked) << c.name << ": the question is not overwritten";
    }
    for (UINT code :
         {UINT{IME_ESC_QUERY_SUPPORT}, UINT{IME_ESC_IME_NAME}, UINT{IME_ESC_GETHELPFILENAME}})
        EXPECT_EQ(ImeEscape(himc_, code, nullptr), 0) << code;

    wchar_t name[64];
    std::wmemset(name, L'#', 64);
    EXPECT_EQ(ImeEscape(himc_, IME_ESC_IME_NAME, name), 1);
    EXPECT_STREQ(name, L"赞键盘输入法");
    wchar_t help[MAX_PATH + 8];
    EXPECT_EQ(ImeEscape(himc_, IME_ESC_GETHELPFILENAME, help), 1);
    EXPECT_EQ(std::wstring(help), install_->InstallPath() + L"\\main.chm");
}

TEST_F(ImeContext, HelpFileNameThatDoesNotFitIsRefused) {
    // A 259-character install folder plus "main.chm" does not fit MAX_PATH.
    std::wstring longPath(258, L'x');
    install_->Write(L"InstallLocation", L"C:\\" + longPath.substr(3) + L"\\");
    Select();
    wchar_t help[MAX_PATH + 8];
    std::wmemset(help, L'#', MAX_PATH + 8);
    help[MAX_PATH + 7] = 0;
    EXPECT_EQ(ImeEscape(himc_, IME_ESC_GETHELPFILENAME, help), 0);
    EXPECT_EQ(help[0], 0);
    EXPECT_EQ(help[MAX_PATH], L'#');
}

struct TypingCase {
    const char* name;
    const char* keys;
    std::wstring committed;  // last result string
    std::wstring composition;
    size_t candidates;
};

class ImeTyping : public ImeContext, public ::testing::WithParamInterface<TypingCase> {};

TEST_P(ImeTyping, KeysGiveTextCompositionAndCandidates) {
    const TypingCase& c = GetParam();
    Select();
    Type(c.keys);
    EXPECT_EQ(Read(GCS_RESULTSTR), c.committed);
    EXPECT_EQ(Read(GCS_COMPSTR), c.composition);
    EXPECT_EQ(CandidateRows().size(), c.candidates);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, ImeTyping,
    ::testing::Values(TypingCase{"code_then_space", "64486 ", L"你好", L"", 0},
                      TypingCase{"code_only", "64486", L"", L"６４４８６", 2},
                      TypingCase{"second_row", "64486b", L"拟好", L"", 0},
                      TypingCase{"page_down_and_digit", "2Pb", L"七", L"", 0},
                      TypingCase{"page_down_and_up", "2PU ", L"一", L"", 0},
                      TypingCase{"backspace_edits_the_code", "644B ", L"你", L"", 0},
                      TypingCase{"backspace_to_empty", "6B", L"", L"", 0},
                      TypingCase{"escape_cancels", "64486E", L"", L"", 0},
                      TypingCase{"no_match_keeps_the_code", "77", L"", L"７７", 0}),
    [](const auto& info) { return info.param.name; });

TEST_F(ImeContext, TypingSendsTheFixedGroups) {
    Select();
    struct Step {
        UINT key;
        std::vector<Msg> messages;
    };
    // "6" alone matches nothing; "64" opens the candidates; "644" empties them. A commit
    // empties the composition before its result group.
    const Step steps[] = {
        {VK_NUMPAD6, {kEnd, kStart, kUpdate}},
        {VK_NUMPAD4, {kOpenCand, kUpdate}},
        {VK_NUMPAD4, {kChangeCand, kUpdate}},
        {VK_BACK, {kChangeCand, kUpdate}},
        {VK_SPACE, {kUpdate, kStart, kResult, kEnd, kUpdate, kClosedByIme, kCloseCand}},
        {VK_NUMPAD6, {kEnd, kStart, kUpdate}},
        {VK_ESCAPE, {kUpdate, kEnd}},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        g_messages.clear();
        Press(steps[i].key);
        EXPECT_EQ(g_messages, steps[i].messages) << "step " << i;
    }
    EXPECT_EQ(Read(GCS_RESULTSTR), L"");
}

TEST_F(ImeContext, CompositionFieldsFollowTheCode) {
    Select();
    Type("644L");
    WithBlock<BYTE>(&INPUTCONTEXT::hCompStr, [](BYTE* p, DWORD) {
        auto* cs = reinterpret_cast<COMPOSITIONSTRING*>(p);
        EXPECT_EQ(cs->dwCompStrLen, 3u);
        EXPECT_EQ(cs->dwCompReadStrLen, 3u);
        EXPECT_EQ(cs->dwCompAttrLen, 3u);
        EXPECT_EQ(cs->dwCursorPos, 2u);
        EXPECT_EQ(cs->dwDeltaStart, 2u);
        for (DWORD i = 0; i < 3; ++i) {
            EXPECT_EQ(p[cs->dwCompAttrOffset + i], ATTR_TARGET_CONVERTED);
            EXPECT_EQ(p[cs->dwCompReadAttrOffset + i], ATTR_TARGET_CONVERTED);
        }
    });
    EXPECT_EQ(ImmGetCompositionStringW(himc_, GCS_CURSORPOS, nullptr, 0), 2);
}

TEST_F(ImeContext, CandidateSlotsHoldAtMost127Characters) {
    Select();
    Press(VK_NUMPAD9);
    const std::vector<std::wstring> rows = CandidateRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], std::wstring(127, L'a'));
}

TEST_F(ImeContext, TenRowsFillEveryCandidateSlot) {
    install_->EditConfig([](uint8_t* v) {
        reinterpret_cast<ImeConfigData*>(v + kImeBlockOffset)->listOptions = 10u << kListPageShift;
    });
    Select();
    Press(VK_NUMPAD2);
    const std::vector<std::wstring> rows = CandidateRows();
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows[9], L"十");
}

TEST_F(ImeContext, KeyWithTheCharacterInTheHighWordIsTheSameKey) {
    Select();
    BYTE state[256] = {};
    const UINT scan = MapVirtualKeyW(VK_NUMPAD6, MAPVK_VK_TO_VSC);
    ASSERT_TRUE(ImeProcessKey(himc_, VK_NUMPAD6, 1 | (scan << 16), state));
    ImeToAsciiEx(VK_NUMPAD6 | (L'6' << 16), scan, state, nullptr, 0, himc_);
    EXPECT_EQ(Read(GCS_COMPSTR), L"６");
}

TEST_F(ImeContext, PageDownCommandSendsThePageGroup) {
    Select();
    Press(VK_NUMPAD2);
    g_messages.clear();
    EXPECT_EQ(SendUICommand(EngineOf(), 257, 0, 0), 1);
    EXPECT_EQ(g_messages, (std::vector<Msg>{kUpdate, kChangeCand, kPlace}));
    EXPECT_EQ(CandidateRows().front(), L"六");
    g_messages.clear();
    EXPECT_EQ(SendUICommand(EngineOf(), 18, 2, 0), 1);
    EXPECT_EQ(Read(GCS_RESULTSTR), L"七");
}

// Page Up on the first page of a one-digit code turns to nothing and keeps the code; with
// Shift down (Shift+keypad 9 with NumLock on, as Wine delivers it) it is a key of no function
// that passes to the application, and the code ends first. No result string either way, nor
// after Escape.
TEST_F(ImeContext, PageUpOnTheFirstPageLeavesNoDigitBehind) {
    const struct {
        const char* name;
        bool shift;
        BOOL taken;
    } cases[] = {
        {"Page Up", false, TRUE},
        {"Page Up with Shift down", true, FALSE},
    };
    Select();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_messages.clear();
        Press(VK_RETURN);
        Press(VK_NUMPAD2);
        ASSERT_EQ(CandidateRows().front(), L"一");
        if (c.shift) g_keyState[VK_SHIFT] = static_cast<int16_t>(0x8000);
        EXPECT_EQ(Press(VK_PRIOR), c.taken);
        g_keyState[VK_SHIFT] = 0;
        EXPECT_EQ(Read(GCS_COMPSTR), c.taken ? L"２" : L"");
        if (c.taken) {
            EXPECT_EQ(CandidateRows().front(), L"一");
        } else {
            EXPECT_EQ(g_messages.back(), kEnd) << "the code ends before the key passes on";
        }
        Press(VK_ESCAPE);
        EXPECT_EQ(Read(GCS_COMPSTR), L"");
        EXPECT_EQ(std::count(g_messages.begin(), g_messages.end(), kResult), 0);
        Type("64486 ");
        EXPECT_EQ(Read(GCS_RESULTSTR), L"你好");
    }
}

// A shortcut typed while a code is open ends it before the application gets the key: the
// composition is emptied before the end, with or without candidates shown, so that the
// application has no text of it left to remove (and, in an edit control, to bring back with
// Ctrl+Z).
TEST_F(ImeContext, ShortcutEmptiesTheCompositionBeforeTheEnd) {
    const struct {
        const char* code;
        std::vector<Msg> messages;
    } cases[] = {
        {"6", {kUpdate, kEnd}},
        {"64", {kUpdate, kClosedByIme, kCloseCand, kEnd}},
    };
    Select();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        Type(c.code);
        g_messages.clear();
        g_keyState[VK_CONTROL] = static_cast<int16_t>(0x8000);
        EXPECT_FALSE(Press('Z'));
        g_keyState[VK_CONTROL] = 0;
        EXPECT_EQ(g_messages, c.messages);
        EXPECT_EQ(Read(GCS_COMPSTR), L"");
        EXPECT_EQ(Read(GCS_RESULTSTR), L"");
    }
}

TEST_F(ImeContext, CtrlOrAltHeldKeysPassThrough) {
    Select();
    for (int modifier : {VK_CONTROL, VK_MENU}) {
        g_keyState[modifier] = static_cast<int16_t>(0x8000);
        EXPECT_FALSE(Press(VK_NUMPAD6)) << modifier;
        g_keyState[modifier] = 0;
    }
    EXPECT_TRUE(g_messages.empty());
}

TEST_F(ImeContext, SymbolLayoutOfTheSoftKeyboardTypesItsCharacter) {
    Select();
    Engine* e = EngineOf();
    e->state |= kStateSoftKeyboard;
    e->softKeyboardLayout = 2;  // Greek
    EXPECT_TRUE(Press('Q'));
    EXPECT_EQ(Read(GCS_RESULTSTR), L"α");
    EXPECT_FALSE(Press(VK_NUMPAD6)) << "a key the layout gives no character passes";
    EXPECT_EQ(Read(GCS_COMPSTR), L"");
}

TEST_F(ImeContext, CompositionCancelRequestClearsTheInput) {
    Select();
    struct Case {
        DWORD index;
        BOOL expected;
    };
    const Case cases[] = {
        {CPS_COMPLETE, TRUE}, {CPS_REVERT, TRUE}, {CPS_CANCEL, TRUE}, {CPS_CONVERT, FALSE}};
    for (const Case& c : cases) {
        Type("64");
        EXPECT_EQ(NotifyIME(himc_, NI_COMPOSITIONSTR, c.index, 0), c.expected) << c.index;
        if (c.expected) {
            EXPECT_EQ(Read(GCS_COMPSTR), L"") << c.index;
        }
        Press(VK_ESCAPE);
    }
    EXPECT_FALSE(NotifyIME(himc_, NI_COMPOSITIONSTR, CPS_CANCEL, 0)) << "nothing composed";
}

TEST_F(ImeContext, ClosingThroughTheOpenStatusEndsTheInput) {
    Select();
    Type("64");
    g_messages.clear();
    INPUTCONTEXT* ic = ImmLockIMC(himc_);
    ic->fOpen = FALSE;
    ImmUnlockIMC(himc_);
    EXPECT_FALSE(NotifyIME(himc_, NI_CONTEXTUPDATED, 0, IMC_SETOPENSTATUS));
    ASSERT_GE(g_messages.size(), 2u);
    EXPECT_EQ(g_messages[0], (Msg{WM_IME_NOTIFY, IMN_SETCONVERSIONMODE, 0}));
    EXPECT_EQ(g_messages[1], (Msg{WM_IME_NOTIFY, kNotifyHotkeys, 0}));
    EXPECT_EQ(Read(GCS_COMPSTR), L"");
    EXPECT_TRUE(EngineOf()->state & kStateImeClosed);
    EXPECT_FALSE(Press(VK_NUMPAD6)) << "a closed input method takes no code key";
}

TEST_F(ImeContext, HotkeyIdsOutsideTheConfiguredListDoNothing) {
    install_->EditConfig([](uint8_t* v) {
        auto* dme = reinterpret_cast<DmeConfigData*>(v + kDmeBlockOffset);
        dme->comboCount = 1;
        const KeyFunctionMask page = keyfn::kPageDown;
        std::memcpy(&dme->combos[0].functions, &page, 8);
        // A stale entry past the count must never be read.
        const KeyFunctionMask clear = keyfn::kClearInput;
        std::memcpy(&dme->combos[1].functions, &clear, 8);
    });
    Select();
    IMEINFO info{};
    wchar_t className[17] = {};
    ImeInquire(&info, className, 0);
    HWND ui = CreateWindowExW(0, L"ZANTOR3UI", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                              dllInstance, nullptr);
    ASSERT_TRUE(ui);
    SetWindowLongPtrW(ui, IMMGWLP_IMC, reinterpret_cast<LONG_PTR>(himc_));
    Press(VK_NUMPAD2);
    for (WPARAM id : {WPARAM{124}, WPARAM{122}, WPARAM{123 + 64}, WPARAM{123 + 100000}})
        SendMessageW(ui, WM_HOTKEY, id, 0);
    EXPECT_EQ(Read(GCS_COMPSTR), L"２");
    EXPECT_EQ(CandidateRows().front(), L"一");
    SendMessageW(ui, WM_HOTKEY, 123, 0);
    EXPECT_EQ(CandidateRows().front(), L"六");
    SetWindowLongPtrW(ui, IMMGWLP_IMC, 0);
    DestroyWindow(ui);
}

// The hotkey that closed the input method is registered again while it is closed (focus
// coming back registers anew) and opens it; the English switch waits until then.
TEST_F(ImeContext, OpenCloseHotkeyOpensWhatItClosed) {
    install_->EditConfig([](uint8_t* v) {
        auto* dme = reinterpret_cast<DmeConfigData*>(v + kDmeBlockOffset);
        dme->comboCount = 2;
        const KeyCombination combos[] = {keycombo::kCtrl | VK_SPACE, keycombo::kCtrl | 'E'};
        const KeyFunctionMask functions[] = {keyfn::kToggleIme, keyfn::kToggleEnglish};
        for (int i = 0; i < 2; ++i) {
            std::memcpy(&dme->combos[i].combination, &combos[i], sizeof combos[i]);
            std::memcpy(&dme->combos[i].functions, &functions[i], sizeof functions[i]);
        }
    });
    Select();
    IMEINFO info{};
    wchar_t className[17] = {};
    ImeInquire(&info, className, 0);
    HWND ui = CreateWindowExW(0, L"ZANTOR3UI", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                              dllInstance, nullptr);
    ASSERT_TRUE(ui);
    SetWindowLongPtrW(ui, IMMGWLP_IMC, reinterpret_cast<LONG_PTR>(himc_));
    SendMessageW(ui, WM_HOTKEY, 123, 0);
    EXPECT_TRUE(EngineOf()->state & kStateImeClosed);
    EXPECT_FALSE(Press(VK_NUMPAD6)) << "a closed input method takes no code key";
    SendMessageW(ui, WM_IME_SETCONTEXT, TRUE, ISC_SHOWUIALL);
    EXPECT_TRUE(UnregisterHotKey(ui, 123)) << "the open/close hotkey is registered";
    EXPECT_FALSE(UnregisterHotKey(ui, 124)) << "the English switch is not";
    SendMessageW(ui, WM_IME_SETCONTEXT, TRUE, ISC_SHOWUIALL);
    SendMessageW(ui, WM_HOTKEY, 123, 0);
    EXPECT_FALSE(EngineOf()->state & kStateImeClosed);
    SendMessageW(ui, WM_IME_SETCONTEXT, TRUE, ISC_SHOWUIALL);
    EXPECT_TRUE(UnregisterHotKey(ui, 124));
    Type("64486 ");
    EXPECT_EQ(Read(GCS_RESULTSTR), L"你好");
    SendMessageW(ui, WM_IME_SETCONTEXT, FALSE, 0);
    SetWindowLongPtrW(ui, IMMGWLP_IMC, 0);
    DestroyWindow(ui);
}

TEST_F(ImeContext, LongProductNameIsCutToNineCharacters) {
    install_->EditConfig([](uint8_t* v) {
        auto* soft = reinterpret_cast<SoftConfigData*>(v + kSoftBlockOffset);
        std::wcscpy(soft->productName, L"一二三四五六七八九十百千");
    });
    Select();
    wchar_t name[64];
    std::wmemset(name, L'#', 64);
    EXPECT_EQ(ImeEscape(himc_, IME_ESC_IME_NAME, name), 1);
    EXPECT_STREQ(name, L"一二三四五六七八九");
    EXPECT_EQ(name[10], L'#') << "nothing written past the terminator";
}

TEST_F(ImeContext, LosingTheContextClearsTheInput) {
    Select();
    IMEINFO info{};
    wchar_t className[17] = {};
    ImeInquire(&info, className, 0);
    HWND ui = CreateWindowExW(0, L"ZANTOR3UI", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                              dllInstance, nullptr);
    ASSERT_TRUE(ui);
    SetWindowLongPtrW(ui, IMMGWLP_IMC, reinterpret_cast<LONG_PTR>(himc_));
    Type("64");
    ASSERT_EQ(Read(GCS_COMPSTR), L"６４");
    SendMessageW(ui, WM_IME_SETCONTEXT, FALSE, 0);
    EXPECT_EQ(Read(GCS_COMPSTR), L"");
    EXPECT_TRUE(CandidateRows().empty());
    EXPECT_EQ(EngineOf()->input.codeLength, 0u);
    SetWindowLongPtrW(ui, IMMGWLP_IMC, 0);
    DestroyWindow(ui);
}

TEST_F(ImeContext, MessageCountTheBufferCannotHoldIsRefused) {
    Select();
    INPUTCONTEXT* ic = ImmLockIMC(himc_);
    ASSERT_TRUE(ic);
    if (!ic->hMsgBuf) ic->hMsgBuf = ImmCreateIMCC(sizeof(TRANSMSG));
    const DWORD kept = ic->dwNumMsgBuf;
    for (DWORD count : {DWORD{MAXDWORD}, DWORD{MAXDWORD / sizeof(TRANSMSG)}}) {
        ic->dwNumMsgBuf = count;
        EXPECT_FALSE(GenerateImeMessage(himc_, WM_IME_NOTIFY, IMN_SETCONVERSIONMODE, 0)) << count;
        EXPECT_EQ(ic->dwNumMsgBuf, count);
    }
    ic->dwNumMsgBuf = kept;
    ImmUnlockIMC(himc_);
    g_messages.clear();
    EXPECT_TRUE(GenerateImeMessage(himc_, WM_IME_NOTIFY, IMN_SETCONVERSIONMODE, 0));
    EXPECT_EQ(g_messages, (std::vector<Msg>{{WM_IME_NOTIFY, IMN_SETCONVERSIONMODE, 0}}));
}

// What the UI window asks of the skinned windows, in order.
std::vector<std::wstring> g_windowCalls;

const ImeWindowOps kRecordingWindows = {
    [](Engine*, HWND, const RECT&, const LOGFONTW* font) {
        g_windowCalls.push_back(L"candidates " + std::wstring(font ? font->lfFaceName : L"-"));
    },
    [](Engine*) { g_windowCalls.push_back(L"hide candidates"); },
    [](Engine*) { g_windowCalls.push_back(L"destroy candidates"); },
    [](Engine*, HWND, bool show) { g_windowCalls.push_back(show ? L"status" : L"no status"); },
    [](Engine*, HWND) {},
    [](Engine*) {},
    [](Engine*) {},
    [](Engine*) { g_windowCalls.push_back(L"reload skin"); },
};

// The UI window of the context with the recording windows in place.
class ImeUIWindow : public ImeContext {
public:
    void SetUp() override {
        ImeContext::SetUp();
        Select();
        IMEINFO info{};
        wchar_t className[17] = {};
        ImeInquire(&info, className, 0);
        ui_ = CreateWindowExW(0, L"ZANTOR3UI", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                              dllInstance, nullptr);
        ASSERT_TRUE(ui_);
        SetWindowLongPtrW(ui_, IMMGWLP_IMC, reinterpret_cast<LONG_PTR>(himc_));
        SetImeWindows(&kRecordingWindows);
        g_windowCalls.clear();
    }
    void TearDown() override {
        SetImeWindows(nullptr);
        if (ui_) {
            SetWindowLongPtrW(ui_, IMMGWLP_IMC, 0);
            DestroyWindow(ui_);
        }
        ImeContext::TearDown();
    }
    HWND ui_ = nullptr;
};

TEST_F(ImeUIWindow, ActiveContextReloadsTheSkinOnceTheStatusWindowWasOpened) {
    SendMessageW(ui_, WM_IME_NOTIFY, IMN_OPENSTATUSWINDOW, 0);
    g_windowCalls.clear();
    SendMessageW(ui_, WM_IME_SETCONTEXT, TRUE, ISC_SHOWUIALL);
    EXPECT_EQ(g_windowCalls, (std::vector<std::wstring>{L"reload skin", L"status"}));
    g_windowCalls.clear();
    SendMessageW(ui_, WM_IME_SETCONTEXT, FALSE, 0);
    EXPECT_EQ(g_windowCalls, (std::vector<std::wstring>{L"no status", L"destroy candidates"}));
}

TEST_F(ImeUIWindow, CompositionFontBecomesTheCandidateFont) {
    Type("6");
    g_windowCalls.clear();
    Type("4");
    ASSERT_FALSE(g_windowCalls.empty());
    EXPECT_EQ(g_windowCalls.back(), L"candidates -") << "the skin's font until one is set";
    INPUTCONTEXT* ic = ImmLockIMC(himc_);
    ASSERT_TRUE(ic);
    std::wcscpy(ic->lfFont.W.lfFaceName, L"Arial");
    ic->lfFont.W.lfHeight = -20;
    ImmUnlockIMC(himc_);
    g_windowCalls.clear();
    SendMessageW(ui_, WM_IME_NOTIFY, IMN_SETCOMPOSITIONFONT, 0);
    ASSERT_FALSE(g_windowCalls.empty()) << "the open candidate window takes it at once";
    EXPECT_EQ(g_windowCalls.back(), L"candidates Arial");
    g_windowCalls.clear();
    Type("4");
    ASSERT_FALSE(g_windowCalls.empty());
    EXPECT_EQ(g_windowCalls.back(), L"candidates Arial");
}

TEST_F(ImeContext, DeselectStoresTheModeWhenTheSettingsAskForIt) {
    struct Case {
        const char* name;
        uint32_t features;
        bool stored;
    };
    const Case cases[] = {
        {"custom and save", kFeatCustomStartState | kFeatSaveStartState, true},
        {"custom only", kFeatCustomStartState, false},
        {"save only", kFeatSaveStartState, false},
    };
    for (const Case& c : cases) {
        install_->EditConfig([&](uint8_t* v) {
            auto* ime = reinterpret_cast<ImeConfigData*>(v + kImeBlockOffset);
            ime->features = c.features;
            ime->startState = 1;
            ime->startSentence = 0;
        });
        Select();
        INPUTCONTEXT* ic = ImmLockIMC(himc_);
        ic->fdwConversion = IME_CMODE_NATIVE | IME_CMODE_FULLSHAPE | IME_CMODE_NOCONVERSION;
        ic->fdwSentence = 8;
        ImmUnlockIMC(himc_);
        ImeSelect(himc_, FALSE);
        EXPECT_EQ(EngineOf(), nullptr) << c.name;
        std::vector<uint8_t> b = testing_support::ReadFileBytes(install_->Path(L"config.dsc"));
        ImeConfigData stored;
        std::memcpy(&stored, b.data() + kImeBlockOffset, sizeof stored);
        if (c.stored) {
            // The English bit is not kept.
            EXPECT_EQ(stored.startState,
                      static_cast<uint32_t>(IME_CMODE_NATIVE | IME_CMODE_FULLSHAPE))
                << c.name;
            EXPECT_EQ(stored.startSentence, 8u) << c.name;
        } else {
            EXPECT_EQ(stored.startState, 1u) << c.name;
        }
    }
}

// Caps Lock bound to a mode switch: the function runs once, the toggle ends as it was
// before the user's press, and every press the input method synthesises passes unconverted
// when it comes back (none is synthesised without end).
TEST_F(ImeContext, CapsLockBoundToASwitchRunsOnceAndPutsTheToggleBack) {
    struct Case {
        const char* name;
        KeyFunctionMask function;
        bool capsBefore;
    };
    const Case cases[] = {
        {"English switch, Caps Lock off", keyfn::kToggleEnglish, false},
        {"English switch, Caps Lock on", keyfn::kToggleEnglish, true},
        {"open/close, Caps Lock off", keyfn::kToggleIme, false},
        {"open/close, Caps Lock on", keyfn::kToggleIme, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Select();
        Engine* e = EngineOf();
        SetKeyFunction(&e->dme->keys, VK_CAPITAL, c.function);
        g_capsToggles = true;
        const uint32_t before = e->state;
        g_keyState[VK_CAPITAL] = c.capsBefore ? 0 : 1;  // the user's press has toggled it
        g_sent.clear();
        Press(VK_CAPITAL);
        size_t delivered = 0;
        for (int round = 0; round < 20 && delivered < g_sent.size(); ++round) {
            const auto k = g_sent[delivered++];
            if (!k.second) Press(k.first);
        }
        EXPECT_EQ(delivered, g_sent.size()) << "synthesised without end";
        EXPECT_LE(g_sent.size(), 2u);
        EXPECT_EQ((g_keyState[VK_CAPITAL] & 1) != 0, c.capsBefore);
        EXPECT_NE((e->state ^ before) & (kStateEnglishMode | kStateImeClosed), 0u)
            << "the function ran once";
        SetKeyFunction(&e->dme->keys, VK_CAPITAL, 0);
        ImeSelect(himc_, FALSE);
    }
}

// A width switch during temporary English leaves the context in Chinese input: the next mode
// notice keeps temporary English and does not turn it into English input.
TEST_F(ImeUIWindow, WidthSwitchInTemporaryEnglishIsNoEnglishInput) {
    Engine* e = EngineOf();
    e->ime->options |= kImeCapitalStartsEnglish;
    g_keyState[VK_SHIFT] = static_cast<int16_t>(0x8000);
    Press('Q');
    g_keyState[VK_SHIFT] = 0;
    ASSERT_TRUE(e->state & kStateTempEnglish);
    e->uiCommand.handler(e->uiCommand.owner, uicmd::kFullWidth, 0, 0);
    INPUTCONTEXT* ic = ImmLockIMC(himc_);
    ASSERT_TRUE(ic);
    EXPECT_FALSE(ic->fdwConversion & IME_CMODE_NOCONVERSION);
    EXPECT_TRUE(ic->fdwConversion & IME_CMODE_FULLSHAPE);
    ImmUnlockIMC(himc_);
    SendMessageW(ui_, WM_IME_NOTIFY, IMN_SETCONVERSIONMODE, 0);
    EXPECT_FALSE(e->state & kStateEnglishMode);
}

// A picked convert( command reaches the conversion mode, so the next mode notice keeps it.
TEST_F(ImeUIWindow, ConvertCommandSurvivesTheNextModeNotice) {
    Engine* e = EngineOf();
    e->ime->features |= kFeatCommands;
    ASSERT_FALSE(e->state & kStateFullWidthOutput);
    Type("8 ");
    ASSERT_TRUE(e->state & kStateFullWidthOutput) << "the command ran";
    INPUTCONTEXT* ic = ImmLockIMC(himc_);
    ASSERT_TRUE(ic);
    EXPECT_TRUE(ic->fdwConversion & IME_CMODE_FULLSHAPE);
    ImmUnlockIMC(himc_);
    SendMessageW(ui_, WM_IME_NOTIFY, IMN_SETCONVERSIONMODE, 0);
    EXPECT_TRUE(e->state & kStateFullWidthOutput);
}

// An application that draws the candidate list itself (no ISC_SHOWUICANDIDATEWINDOW) still
// gets the list and its notices, but not the skinned window.
TEST_F(ImeUIWindow, ApplicationDrawingItsCandidatesHidesTheWindow) {
    SendMessageW(ui_, WM_IME_SETCONTEXT, TRUE, ISC_SHOWUIALL & ~ISC_SHOWUICANDIDATEWINDOW);
    g_windowCalls.clear();
    g_messages.clear();
    Type("64");
    EXPECT_FALSE(CandidateRows().empty());
    EXPECT_NE(std::find(g_messages.begin(), g_messages.end(), kOpenCand), g_messages.end());
    for (const std::wstring& call : g_windowCalls)
        EXPECT_NE(call.rfind(L"candidates", 0), 0u) << testing_support::Narrow(call);
    SendMessageW(ui_, WM_IME_SETCONTEXT, TRUE, ISC_SHOWUIALL);
    g_windowCalls.clear();
    Type("4");
    ASSERT_FALSE(g_windowCalls.empty());
    EXPECT_EQ(g_windowCalls.back(), L"candidates -");
}

// A second select of a context must not leave the first record (and its mapped files)
// behind.
TEST_F(ImeContext, SelectingTwiceKeepsOneRecord) {
    Select();
    ImeSelect(himc_, TRUE);
    ASSERT_NE(EngineOf(), nullptr);
    ImeSelect(himc_, FALSE);
    EXPECT_EQ(EngineOf(), nullptr);
    for (const wchar_t* name : {L"config.dsc", L"main.dmg"}) {
        HANDLE h = CreateFileW(install_->Path(name).c_str(), GENERIC_READ, 0, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(h, INVALID_HANDLE_VALUE) << testing_support::Narrow(name) << " is still open";
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
}

// The candidate menu's entry information box pumps messages: it waits until the input
// context is unlocked and runs from the thread's message loop.
HIMC g_boxContext = nullptr;
std::vector<DWORD> g_boxLocks;

int RecordBoxLocks(HWND, const wchar_t*, const wchar_t*, uint32_t) {
    g_boxLocks.push_back(ImmGetIMCLockCount(g_boxContext));
    return IDNO;
}

TEST_F(ImeContext, EntryInformationBoxRunsWithTheContextUnlocked) {
    platform_.messageBox = &RecordBoxLocks;
    g_boxContext = himc_;
    g_boxLocks.clear();
    Select();
    Type("64486");
    ASSERT_FALSE(CandidateRows().empty());
    EXPECT_EQ(SendUICommand(EngineOf(), uicmd::kCandidateMenu, 0, kEntryInfo), 1);
    EXPECT_TRUE(g_boxLocks.empty()) << "not under the context's lock";
    const DWORD end = GetTickCount() + 2000;
    while (g_boxLocks.empty() && GetTickCount() < end) {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        Sleep(1);
    }
    ASSERT_EQ(g_boxLocks.size(), 1u);
    EXPECT_EQ(g_boxLocks[0], 0u);
    EXPECT_FALSE(Read(GCS_COMPSTR).empty()) << "the code stays open";
}

}  // namespace
