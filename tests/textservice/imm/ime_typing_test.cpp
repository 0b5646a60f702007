// The built input method through Wine's real imm32 and user32: installed as a keyboard
// layout, loaded into this process, typed into an EDIT control with SendInput.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "ime_installation.h"

using namespace imm_test;

namespace {

constexpr wchar_t kServiceGuid[] = L"{D7812E39-FBD7-43A7-99C7-DE9322D54A0F}";
constexpr wchar_t kLayoutKey[] = L"System\\CurrentControlSet\\Control\\Keyboard Layouts\\E0200804";
constexpr wchar_t kImeFile[] = L"zanTSF.ime";

const wchar_t* const kShippedTables[] = {L"main.dmg", L"temp.dmg", L"sysl.dmg", L"engl.dmg",
                                         L"danzi.dmi"};

std::wstring DataDir() {
    wchar_t buf[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(L"ZAN_DATA_DIR", buf, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return L"";
    std::wstring dir = buf;
    // The test script hands a Unix path; Wine maps it through drive Z:.
    if (!dir.empty() && dir[0] == L'/') {
        std::replace(dir.begin(), dir.end(), L'/', L'\\');
        dir = L"Z:" + dir;
    }
    return dir;
}

std::wstring BuiltDll() {
    std::wstring self = testing_support::SelfPath();
    std::wstring dir = self.substr(0, self.find_last_of(L'\\'));
    return dir.substr(0, dir.find_last_of(L'\\')) + L"\\textservice\\zanTSF.dll";
}

GUID ServiceGuid() {
    GUID g{};
    CLSIDFromString(kServiceGuid, &g);
    return g;
}

// What the EDIT control was sent, with the time it arrived.
struct Seen {
    LPARAM flags;
    LONGLONG at;
};
std::vector<Seen> g_compositions;
WNDPROC g_editProc = nullptr;

LONGLONG Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

LRESULT CALLBACK EditSpy(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_IME_COMPOSITION) g_compositions.push_back({lParam, Now()});
    return CallWindowProcW(g_editProc, hwnd, message, wParam, lParam);
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void SendKey(UINT vk) {
    INPUT in[2] = {};
    for (INPUT& i : in) {
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = static_cast<WORD>(vk);
        i.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    }
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
}

UINT KeyOf(char k) {
    switch (k) {
        case ' ':
            return VK_SPACE;
        case 'P':
            return VK_NEXT;
        case 'B':
            return VK_BACK;
        case 'E':
            return VK_ESCAPE;
        default:
            if (k >= 'a' && k <= 'i') return '1' + (k - 'a');
            return VK_NUMPAD0 + (k - '0');
    }
}

// Keys written as words: "a" a letter, "KP6" a keypad digit, "Enter", "Tab", "Esc", "BS",
// "Up", "Home", "PgUp", "F3"; "S+" holds Shift and "C+" Ctrl for the key.
void SendNamedKeys(const std::string& keys) {
    struct Named {
        const char* name;
        UINT vk;
    };
    const Named named[] = {{"Enter", VK_RETURN}, {"Tab", VK_TAB}, {"Esc", VK_ESCAPE},
                           {"BS", VK_BACK},      {"Up", VK_UP},   {"Home", VK_HOME},
                           {"PgUp", VK_PRIOR},   {"F3", VK_F3},   {"Space", VK_SPACE},
                           {"Left", VK_LEFT},    {"End", VK_END}, {"Del", VK_DELETE}};
    size_t at = 0;
    while (at < keys.size()) {
        size_t end = keys.find(' ', at);
        if (end == std::string::npos) end = keys.size();
        std::string word = keys.substr(at, end - at);
        at = end + 1;
        if (word.empty()) continue;
        UINT modifier = 0;
        if (word.rfind("S+", 0) == 0) modifier = VK_SHIFT;
        if (word.rfind("C+", 0) == 0) modifier = VK_CONTROL;
        if (modifier) word = word.substr(2);
        UINT vk = 0;
        if (word.size() == 1 && word[0] >= 'a' && word[0] <= 'z') vk = 'A' + (word[0] - 'a');
        if (word.size() == 3 && word.rfind("KP", 0) == 0) vk = VK_NUMPAD0 + (word[2] - '0');
        for (const Named& n : named)
            if (word == n.name) vk = n.vk;
        ASSERT_NE(vk, 0u) << word;
        INPUT in[4] = {};
        int n = 0;
        auto add = [&](UINT key, bool up) {
            in[n].type = INPUT_KEYBOARD;
            in[n].ki.wVk = static_cast<WORD>(key);
            in[n].ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
            in[n].ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
            ++n;
        };
        if (modifier) add(modifier, false);
        add(vk, false);
        add(vk, true);
        if (modifier) add(modifier, true);
        SendInput(n, in, sizeof(INPUT));
        Pump();
    }
}

class RealImm : public ::testing::Test {
public:
    static void SetUpTestSuite() {
        data_ = DataDir();
        if (data_.empty() || !testing_support::FileExists(data_ + L"\\main.dmg")) return;
        wchar_t system[MAX_PATH];
        GetSystemDirectoryW(system, MAX_PATH);
        imePath_ = std::wstring(system) + L"\\" + kImeFile;
        if (!testing_support::PlaceCopy(BuiltDll(), imePath_)) return;
        WriteRegistryString(HKEY_LOCAL_MACHINE, kLayoutKey, L"Ime File", kImeFile);
        WriteRegistryString(HKEY_LOCAL_MACHINE, kLayoutKey, L"Layout File", L"kbdus.dll");
        WriteRegistryString(HKEY_LOCAL_MACHINE, kLayoutKey, L"Layout Text", L"zan keypad");
        install_ = new ImeInstallation(ServiceGuid(), L"zanTSF");
        for (const wchar_t* t : kShippedTables) install_->CopyTable(data_, t);
        // The shipped settings when the build made them; else the fixture's typing settings.
        install_->CopyTable(data_, L"config.dsc");

        hkl_ = LoadKeyboardLayoutW(L"E0200804", KLF_ACTIVATE);
        if (!hkl_ || !ImmIsIME(hkl_)) return;
        top_ = CreateWindowExW(0, L"STATIC", L"typing", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20,
                               400, 200, nullptr, nullptr, nullptr, nullptr);
        edit_ = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 380,
                                160, top_, nullptr, nullptr, nullptr);
        g_editProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditSpy)));
        SetForegroundWindow(top_);
        SetFocus(edit_);
        Pump();
        ready_ = GetFocus() == edit_;
    }
    static void TearDownTestSuite() {
        if (top_) DestroyWindow(top_);
        Pump();
        delete install_;
        install_ = nullptr;
    }
    void SetUp() override {
        if (!ready_) GTEST_SKIP() << "no shipped data or the layout did not load";
        SetWindowTextW(edit_, L"");
        SetFocus(edit_);
        Pump();
        g_compositions.clear();
    }

    static std::wstring Text() {
        wchar_t buf[512] = {};
        GetWindowTextW(edit_, buf, 512);
        return buf;
    }
    static void Type(const std::string& keys) {
        for (char k : keys) {
            SendKey(KeyOf(k));
            Pump();
        }
    }
    // The rows of the open candidate list, read as the application reads them.
    static std::vector<std::wstring> Candidates() {
        std::vector<std::wstring> rows;
        HIMC himc = ImmGetContext(edit_);
        const DWORD bytes = ImmGetCandidateListW(himc, 0, nullptr, 0);
        if (bytes) {
            std::vector<BYTE> buf(bytes);
            auto* list = reinterpret_cast<CANDIDATELIST*>(buf.data());
            ImmGetCandidateListW(himc, 0, list, bytes);
            for (DWORD i = 0; i < list->dwCount; ++i)
                rows.push_back(reinterpret_cast<const wchar_t*>(buf.data() + list->dwOffset[i]));
        }
        ImmReleaseContext(edit_, himc);
        return rows;
    }
    // The input method's own candidate window (it lives in this process).
    static bool CandidateWindowShown() {
        HWND w = FindWindowW(L"QLKXSKIN_CAND", nullptr);
        return w && IsWindowVisible(w);
    }
    static std::wstring Composition() {
        HIMC himc = ImmGetContext(edit_);
        wchar_t buf[256] = {};
        const LONG n = ImmGetCompositionStringW(himc, GCS_COMPSTR, buf, sizeof buf - 2);
        ImmReleaseContext(edit_, himc);
        return n > 0 ? std::wstring(buf, n / 2) : L"";
    }

    static std::wstring data_, imePath_;
    static ImeInstallation* install_;
    static HKL hkl_;
    static HWND top_, edit_;
    static bool ready_;
};
std::wstring RealImm::data_, RealImm::imePath_;
ImeInstallation* RealImm::install_ = nullptr;
HKL RealImm::hkl_ = nullptr;
HWND RealImm::top_ = nullptr, RealImm::edit_ = nullptr;
bool RealImm::ready_ = false;

TEST_F(RealImm, TypedSequencesCommitTheirText) {
    struct Case {
        const char* name;
        std::string keys;
        std::wstring text;
    };
    const Case cases[] = {
        {"code and space", "64486 ", L"你好"},
        {"backspace edits the code", "644866B ", L"你好"},
        {"escape cancels", "64486E", L""},
        {"escape then a new code", "64E64486 ", L"你好"},
        {"two words", "64486 64486 ", L"你好你好"},
        {"second row", "64486b", L""},  // filled in below from the candidate list
    };
    for (const Case& c : cases) {
        SetWindowTextW(edit_, L"");
        if (c.keys == "64486b") {
            Type("64486");
            const std::vector<std::wstring> rows = Candidates();
            ASSERT_GE(rows.size(), 2u) << c.name;
            Type("b");
            EXPECT_EQ(Text(), rows[1]) << c.name;
            continue;
        }
        Type(c.keys);
        EXPECT_EQ(Text(), c.text) << c.name;
        EXPECT_EQ(Composition(), L"") << c.name;
    }
}

bool HasFullWidthDigit(const std::wstring& text) {
    return std::any_of(text.begin(), text.end(),
                       [](wchar_t c) { return c >= L'０' && c <= L'９'; });
}

// Keys the input method does not take while a code is open (Tab, Shift with the caret keys,
// Ctrl shortcuts) reach the EDIT after the code has gone: none of its digits stays as text,
// the user's text is not overwritten, and the EDIT keeps working.
TEST_F(RealImm, KeysPassedOnWhileACodeIsOpenEndTheCodeFirst) {
    struct Case {
        const char* keys;
        std::wstring text;
    };
    const Case cases[] = {
        {"a Enter b KP6 KP4 Tab Esc", L"a\r\nb\t"}, {"a Enter b KP6 KP4 S+Up BS Esc", L"a"},
        {"a Enter b KP6 KP4 S+PgUp BS Esc", L"a"},  {"a Enter b KP6 KP4 S+Home BS Esc", L"a\r\n"},
        {"a b KP6 KP4 C+Home Del", L"b"},           {"Enter KP3 S+PgUp Esc", L"\r\n"},
    };
    for (const Case& c : cases) {
        SetWindowTextW(edit_, L"");
        SendNamedKeys(c.keys);
        EXPECT_EQ(Text(), c.text) << c.keys;
        EXPECT_EQ(Composition(), L"") << c.keys;
    }
    // After the Tab the EDIT still takes a new code and its commit.
    SetWindowTextW(edit_, L"");
    SendNamedKeys("KP6 KP4 Tab Esc KP8 Enter KP6 KP4 KP4 KP8 KP6");
    const std::vector<std::wstring> rows = Candidates();
    ASSERT_FALSE(rows.empty());
    SendNamedKeys("Space");
    ASSERT_TRUE(IsWindow(edit_));
    const std::wstring text = Text();
    EXPECT_EQ(text.substr(0, 1), L"\t");
    EXPECT_EQ(text.substr(text.size() - rows[0].size()), rows[0]) << "after the tab";
    EXPECT_FALSE(HasFullWidthDigit(text));
}

// Ctrl+Z after a commit, or while a code is open, undoes the EDIT's own last edit: the code's
// digits never come back as text.
TEST_F(RealImm, UndoBringsNoCodeBack) {
    for (const char* keys :
         {"KP6 KP4 KP4 KP8 KP6 Space C+z", "Enter KP2 KP1 KP3 Space C+z", "KP6 KP4 C+z"}) {
        SetWindowTextW(edit_, L"");
        SendNamedKeys(keys);
        EXPECT_FALSE(HasFullWidthDigit(Text())) << keys;
        EXPECT_EQ(Composition(), L"") << keys;
    }
}

// The focus leaving the EDIT ends its open code: nothing of it stays, and the next code does
// not overwrite the user's text.
TEST_F(RealImm, FocusLeavingEndsTheOpenCode) {
    // Another edit of the same window, and one in a window of its own (as a dialog).
    HWND sibling = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 165, 380, 20, top_,
                                   nullptr, nullptr, nullptr);
    HWND dialog = CreateWindowExW(0, L"STATIC", L"dialog", WS_OVERLAPPEDWINDOW, 60, 260, 300, 100,
                                  nullptr, nullptr, nullptr, nullptr);
    HWND dialogEdit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 280, 20, dialog,
                                      nullptr, nullptr, nullptr);
    ShowWindow(dialog, SW_SHOWNOACTIVATE);
    SetForegroundWindow(top_);
    SetFocus(edit_);
    Pump();
    struct Case {
        const char* name;
        HWND to, toTop;
    };
    const Case cases[] = {{"sibling", sibling, top_}, {"other window", dialogEdit, dialog}};
    for (const Case& c : cases) {
        SetWindowTextW(edit_, L"");
        SendNamedKeys("a Enter b KP6 KP4");
        EXPECT_EQ(Composition(), L"６４") << c.name;
        SetForegroundWindow(c.toTop);
        SetFocus(c.to);
        Pump();
        EXPECT_EQ(Text(), L"a\r\nb") << c.name;
        // A key there, then back (as Escape closes a find dialog).
        SendNamedKeys("Esc");
        SetForegroundWindow(top_);
        SetFocus(edit_);
        Pump();
        EXPECT_EQ(Text(), L"a\r\nb") << c.name;
        EXPECT_EQ(Composition(), L"") << c.name;
        SendNamedKeys("KP6 KP4 KP4 KP8 KP6");
        const std::vector<std::wstring> rows = Candidates();
        ASSERT_FALSE(rows.empty()) << c.name;
        SendNamedKeys("Space");
        EXPECT_EQ(Text(), L"a\r\nb" + rows[0]) << c.name;
    }
    DestroyWindow(dialog);
    DestroyWindow(sibling);
    Pump();
}

TEST_F(RealImm, PageDownAndADigitPickFromTheSecondPage) {
    Type("64");
    const std::vector<std::wstring> first = Candidates();
    ASSERT_EQ(first.size(), 5u);
    Type("P");
    const std::vector<std::wstring> second = Candidates();
    ASSERT_GE(second.size(), 2u);
    EXPECT_NE(second[0], first[0]);
    Type("b");
    EXPECT_EQ(Text(), second[1]);
}

// Where the skinned candidate window stands: below the caret (a box of 41 x 21 when the
// application sets no candidate position), following it as the composition grows.
void ExpectBelowTheCaret(HWND edit, const char* typed) {
    POINT caret{};
    GetCaretPos(&caret);
    ClientToScreen(edit, &caret);
    RECT window{};
    ASSERT_TRUE(GetWindowRect(FindWindowW(L"QLKXSKIN_CAND", nullptr), &window)) << typed;
    EXPECT_EQ(window.left, caret.x) << typed;
    EXPECT_EQ(window.top, caret.y + 21 + 2) << typed;
}

TEST_F(RealImm, CandidatesAppearWhileComposingAndGoWithTheCommit) {
    Type("64");
    ExpectBelowTheCaret(edit_, "64");
    Type("48");
    // The EDIT shows the composition in place until the commit replaces it.
    EXPECT_EQ(Composition(), L"６４４８");
    EXPECT_EQ(Text(), L"６４４８");
    Type("6");
    const std::vector<std::wstring> rows = Candidates();
    ASSERT_FALSE(rows.empty());
    EXPECT_TRUE(CandidateWindowShown()) << "the skinned candidate window shows the page";
    ExpectBelowTheCaret(edit_, "64486");
    Type(" ");
    EXPECT_TRUE(Candidates().empty());
    EXPECT_FALSE(CandidateWindowShown());
    // The first row (earlier commits of this suite may have moved a word up).
    EXPECT_EQ(Text(), rows[0]);
    // The EDIT saw updates while composing and one result.
    const auto results = std::count_if(g_compositions.begin(), g_compositions.end(),
                                       [](const Seen& s) { return s.flags & GCS_RESULTSTR; });
    EXPECT_EQ(results, 1);
}

// Figures, not limits: SendInput to the composition update and to the committed text.
TEST_F(RealImm, KeyToScreenTimes) {
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    std::vector<double> update, commit;
    const std::string word = "64486 ";
    for (int round = 0; round < 500; ++round) {
        if (round % 20 == 0) SetWindowTextW(edit_, L"");
        for (char k : word) {
            g_compositions.clear();
            const LONGLONG sent = Now();
            SendKey(KeyOf(k));
            Pump();
            for (const Seen& s : g_compositions) {
                const double ms =
                    1000.0 * static_cast<double>(s.at - sent) / static_cast<double>(freq.QuadPart);
                if (s.flags & GCS_RESULTSTR) {
                    commit.push_back(ms);
                    break;
                }
                if (k != ' ') {
                    update.push_back(ms);
                    break;
                }
            }
        }
    }
    ASSERT_FALSE(update.empty());
    ASSERT_FALSE(commit.empty());
    auto report = [](const char* what, std::vector<double> v) {
        std::sort(v.begin(), v.end());
        const double median = v[v.size() / 2];
        const double p99 = v[std::min(v.size() - 1, v.size() * 99 / 100)];
        std::printf("key to %s: %zu keys, median %.3f ms, p99 %.3f ms\n", what, v.size(), median,
                    p99);
    };
    report("composition update", update);
    report("committed text", commit);
}

}  // namespace
