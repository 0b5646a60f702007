// A word added in the configuration program's word editor is the first candidate of its code
// in an input context of this process that was open all along, once the context is active
// again; and it stays when the input method opens its tables again.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "config/editor_ids.h"
#include "engine/platform.h"
#include "ime_installation.h"
#include "support/window_driver.h"
#include "textservice/imm/ime_blocks.h"
#include "textservice/imm/ime_exports.h"
#include "textservice/imm/imm_driver.h"
#include "textservice/object_count.h"

using namespace imm_test;
using namespace testing_support;

namespace {

constexpr wchar_t kModule[] = L"zanimmword";
constexpr wchar_t kName[] = L"加词测试";
std::wstring g_guidText;

EnginePlatform TestPlatform() {
    EnginePlatform p = Win32Platform();
    p.loadGuidText = [](wchar_t* out, int chars) {
        if (static_cast<int>(g_guidText.size()) >= chars) return 0;
        std::wcscpy(out, g_guidText.c_str());
        return static_cast<int>(g_guidText.size());
    };
    p.keyEvent = [](uint8_t, uint32_t) {};
    return p;
}

LRESULT CALLBACK HostProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

class Context {
public:
    Context() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ImeWordEditorHost";
        RegisterClassW(&wc);
        hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"host", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200,
                                nullptr, nullptr, wc.hInstance, nullptr);
        himc_ = ImmCreateContext();
        ImmAssociateContext(hwnd_, himc_);
        ImeSelect(himc_, TRUE);
    }
    ~Context() {
        ImeSelect(himc_, FALSE);
        ImmAssociateContext(hwnd_, nullptr);
        ImmDestroyContext(himc_);
        DestroyWindow(hwnd_);
    }
    HIMC himc() const { return himc_; }
    void Press(UINT vk) {
        const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
        BYTE state[256] = {};
        if (ImeProcessKey(himc_, vk, static_cast<LPARAM>(1 | (scan << 16)), state))
            ImeToAsciiEx(vk, scan, state, nullptr, 0, himc_);
    }
    // The first candidate after typing keypad digits; Escape clears the code afterwards.
    std::wstring FirstCandidate(const char* digits) {
        for (const char* d = digits; *d; ++d) Press(VK_NUMPAD0 + (*d - '0'));
        std::wstring first;
        INPUTCONTEXT* ic = ImmLockIMC(himc_);
        if (ic) {
            auto* ci = static_cast<CANDIDATEINFO*>(ImmLockIMCC(ic->hCandInfo));
            if (ci && ci->dwCount > 0) {
                CANDIDATELIST* list = CandidateListOf(ci);
                if (list->dwCount > 0) first = CandidateSlot(list, 0);
            }
            ImmUnlockIMCC(ic->hCandInfo);
            ImmUnlockIMC(himc_);
        }
        Press(VK_ESCAPE);
        return first;
    }

private:
    HWND hwnd_ = nullptr;
    HIMC himc_ = nullptr;
};

TEST(ImeWordEditor, AWordAddedInTheEditorIsTheFirstCandidateOfItsCode) {
    EnginePlatform platform = TestPlatform();
    SetPlatform(&platform);
    GUID guid;
    CoCreateGuid(&guid);
    g_guidText = GuidText(guid);
    dllInstance = GetModuleHandleW(nullptr);
    {
        ImeInstallation install(guid, kModule);
        install.Write(L"DisplayName", kName);
        install.WriteMain({{"\x11", "\xe4\xb8\x80", ComposeFlags(900, 1)},        // 一 １
                           {"\x11\x12", "\xe4\xba\x8c", ComposeFlags(900, 1)}});  // 二 １２
        const std::wstring module =
            PlaceSystemModule(Beside(L"zanTSF.dll"), std::wstring(kModule) + L".ime");
        ASSERT_FALSE(module.empty());
        {
            Context context;
            ASSERT_EQ(context.FirstCandidate("12"), L"二");

            // The editor in its own process, while the context stays open.
            std::wstring cmd =
                L"\"" + Beside(L"config.exe") + L"\" /n " + g_guidText + L" /do tianjiayonghuci";
            STARTUPINFOW si{};
            si.cb = sizeof si;
            PROCESS_INFORMATION pi{};
            ASSERT_TRUE(CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                       nullptr, &si, &pi));
            ImeSetActiveContext(context.himc(), FALSE);  // the editor has the focus
            HWND d = WaitForDialog((std::wstring(L"添加词条 - ") + kName).c_str());
            ASSERT_NE(d, nullptr);
            SendMessageW(GetDlgItem(d, IDC_WORD_TEXT), WM_SETTEXT, 0,
                         reinterpret_cast<LPARAM>(L"贰"));
            SendMessageW(GetDlgItem(d, IDC_WORD_CODE), WM_SETTEXT, 0,
                         reinterpret_cast<LPARAM>(L"\uFF11\uFF12"));
            SendMessageW(GetDlgItem(d, IDC_WORD_BEFORE_SYSTEM), BM_SETCHECK, BST_CHECKED, 0);
            ClickDialogItem(d, IDOK);
            EXPECT_TRUE(WaitForWindowGone(d));
            EXPECT_EQ(WaitForSingleObject(pi.hProcess, 15000), WAIT_OBJECT_0);
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);

            ImeSetActiveContext(context.himc(), TRUE);  // back in the application
            EXPECT_EQ(context.FirstCandidate("12"), L"贰");
            EXPECT_EQ(context.FirstCandidate("1"), L"一");
        }
        {
            Context reopened;  // a new engine opens the tables again
            EXPECT_EQ(reopened.FirstCandidate("12"), L"贰");
        }
        DeleteFileW(module.c_str());
    }
    SetPlatform(nullptr);
}

}  // namespace
