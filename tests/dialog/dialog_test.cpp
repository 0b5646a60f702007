// The dialog layer's modal loop, pre-translation, child pages, notification results and
// worker rules, on real windows of this thread.
#include "dialog/dialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "tests/dialog/test_dialogs.h"

namespace {

// A dialog whose handlers are set by the test.
class ScriptedDialog : public Dialog {
public:
    explicit ScriptedDialog(int templateId = IDD_TEST_MODAL) : Dialog(templateId) {}
    std::function<void(ScriptedDialog&)> init;
    std::function<bool(int, int)> command;
    std::function<bool(MSG&)> preTranslate;
    std::function<bool(NMHDR*, LRESULT&)> notify;
    std::function<void()> destroy;
    std::function<void()> finished;
    std::vector<int> commands;  // every command that reached OnCommand

protected:
    bool OnInitDialog() override {
        if (init) init(*this);
        return true;
    }
    bool OnCommand(int id, int code, HWND) override {
        commands.push_back(id);
        return command ? command(id, code) : false;
    }
    bool PreTranslate(MSG& m) override { return preTranslate ? preTranslate(m) : false; }
    bool OnNotify(NMHDR* h, LRESULT& r) override { return notify ? notify(h, r) : false; }
    void OnDestroy() override {
        if (destroy) destroy();
    }
    void OnWorkerFinished() override {
        if (finished) finished();
    }
};

void PostKey(HWND target, UINT vk) {
    PostMessageW(target, WM_KEYDOWN, vk, 1);
    PostMessageW(target, WM_KEYUP, vk, 0xC0000001);
}

void PostCommand(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

// A host window standing for an owner.
struct OwnerWindow {
    HWND hwnd = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                nullptr, nullptr, nullptr, nullptr);
    ~OwnerWindow() { DestroyWindow(hwnd); }
};

TEST(DialogModal, ButtonsAndKeysEndTheLoopWithTheirResult) {
    struct Case {
        const char* name;
        std::function<void(HWND)> act;
        INT_PTR result;
    };
    const Case cases[] = {
        {"OK button", [](HWND d) { PostCommand(d, IDOK); }, IDOK},
        {"Cancel button", [](HWND d) { PostCommand(d, IDCANCEL); }, IDCANCEL},
        {"Esc in the edit", [](HWND d) { PostKey(GetDlgItem(d, IDC_TEST_EDIT), VK_ESCAPE); },
         IDCANCEL},
        {"Enter in the edit", [](HWND d) { PostKey(GetDlgItem(d, IDC_TEST_EDIT), VK_RETURN); },
         IDOK},
        {"close box", [](HWND d) { PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0); }, IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedDialog d;
        d.init = [&](ScriptedDialog& self) {
            SetFocus(self.Item(IDC_TEST_EDIT));
            c.act(self.hwnd());
        };
        EXPECT_EQ(d.RunModal(nullptr), c.result);
        EXPECT_EQ(d.hwnd(), nullptr);
    }
}

TEST(DialogModal, OwnerIsDisabledWhileRunningAndEnabledBeforeTheWindowGoes) {
    OwnerWindow owner;
    ScriptedDialog d;
    bool disabledWhileRunning = false, enabledAtDestroy = false;
    d.init = [&](ScriptedDialog& self) {
        disabledWhileRunning = !IsWindowEnabled(owner.hwnd);
        PostCommand(self.hwnd(), IDOK);
    };
    d.destroy = [&] { enabledAtDestroy = IsWindowEnabled(owner.hwnd); };
    EXPECT_EQ(d.RunModal(owner.hwnd), IDOK);
    EXPECT_TRUE(disabledWhileRunning);
    EXPECT_TRUE(enabledAtDestroy);
    EXPECT_TRUE(IsWindowEnabled(owner.hwnd));
}

TEST(DialogModal, AnOwnerDisabledBeforeStaysDisabled) {
    OwnerWindow owner;
    EnableWindow(owner.hwnd, FALSE);
    ScriptedDialog d;
    d.init = [](ScriptedDialog& self) { PostCommand(self.hwnd(), IDOK); };
    EXPECT_EQ(d.RunModal(owner.hwnd), IDOK);
    EXPECT_FALSE(IsWindowEnabled(owner.hwnd));
}

TEST(DialogModal, NestedDialogsRunInTurnAndTheOuterSeesTheInnerResult) {
    ScriptedDialog outer;
    INT_PTR innerResult = 0;
    bool outerDisabledDuringInner = false;
    Dialog* current = nullptr;
    outer.init = [](ScriptedDialog& self) { PostCommand(self.hwnd(), IDC_TEST_OTHER); };
    outer.command = [&](int id, int) {
        if (id != IDC_TEST_OTHER) return false;
        ScriptedDialog inner;
        inner.init = [&](ScriptedDialog& self) {
            outerDisabledDuringInner = !IsWindowEnabled(outer.hwnd());
            current = CurrentModalDialog();
            PostCommand(self.hwnd(), IDCANCEL);
        };
        innerResult = inner.RunModal(outer.hwnd());
        PostCommand(outer.hwnd(), IDOK);
        return true;
    };
    EXPECT_EQ(outer.RunModal(nullptr), IDOK);
    EXPECT_EQ(innerResult, IDCANCEL);
    EXPECT_TRUE(outerDisabledDuringInner);
    EXPECT_NE(current, &outer);
    EXPECT_EQ(CurrentModalDialog(), nullptr);
}

TEST(DialogModal, QuitInANestedLoopEndsEveryLoopAndStaysForTheProgramLoop) {
    ScriptedDialog outer;
    INT_PTR innerResult = 0;
    outer.init = [](ScriptedDialog& self) { PostCommand(self.hwnd(), IDC_TEST_OTHER); };
    outer.command = [&](int id, int) {
        if (id != IDC_TEST_OTHER) return false;
        ScriptedDialog inner;
        inner.init = [](ScriptedDialog&) { PostQuitMessage(7); };
        innerResult = inner.RunModal(outer.hwnd());
        return true;
    };
    EXPECT_EQ(outer.RunModal(nullptr), -1);
    EXPECT_EQ(innerResult, -1);
    MSG m{};
    ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(m.wParam, 7u);
}

TEST(DialogModal, AMissingTemplateGivesMinusOne) {
    ScriptedDialog d(9999);
    EXPECT_EQ(d.RunModal(nullptr), -1);
}

TEST(DialogPreTranslate, ApplicationRuleComesFirstThenTheDialogThenAccelerators) {
    std::vector<std::string> order;
    SetApplicationPreTranslate([&](MSG& m) {
        if (m.message == WM_KEYDOWN) order.push_back("application");
        return m.message == WM_KEYDOWN && m.wParam == 'A';  // the application takes A
    });
    ScriptedDialog d;
    d.SetAccelerators(
        LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_TEST_ACCELERATORS)));
    d.preTranslate = [&](MSG& m) {
        if (m.message == WM_KEYDOWN) order.push_back("dialog");
        return m.message == WM_KEYDOWN && m.wParam == 'B';  // the dialog takes B
    };
    d.init = [](ScriptedDialog& self) {
        HWND edit = self.Item(IDC_TEST_EDIT);
        SetFocus(edit);
        PostKey(edit, 'A');
        PostKey(edit, 'B');
        PostKey(edit, VK_F5);
    };
    d.command = [&](int id, int) {
        if (id != IDM_TEST_ACCELERATED) return false;
        PostCommand(d.hwnd(), IDOK);
        return true;
    };
    EXPECT_EQ(d.RunModal(nullptr), IDOK);
    SetApplicationPreTranslate(nullptr);
    const std::vector<std::string> expected = {"application", "application", "dialog",
                                               "application", "dialog"};
    EXPECT_EQ(order, expected);
    EXPECT_EQ(std::count(d.commands.begin(), d.commands.end(), IDM_TEST_ACCELERATED), 1);
}

// A page made elsewhere: a plain dialog procedure of its own, not a Dialog.
INT_PTR CALLBACK ForeignPageProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

TEST(DialogPages, ChildPagesTakeTabAndPassEnterAndEscToTheirHost) {
    ScriptedDialog host(IDD_TEST_HOST);
    ScriptedDialog page(IDD_TEST_PAGE);
    HWND foreign = nullptr;
    bool pageIsContainer = false, focusInForeign = false;
    host.init = [&](ScriptedDialog& self) {
        HWND p = page.Create(self.hwnd());
        ASSERT_NE(p, nullptr);
        SetWindowPos(p, nullptr, 10, 40, 200, 60, SWP_NOZORDER | SWP_SHOWWINDOW);
        pageIsContainer = GetWindowLongW(p, GWL_EXSTYLE) & WS_EX_CONTROLPARENT;
        // The foreign page sits inside ours, as the input method's pages do.
        foreign = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_TEST_PAGE), p,
                                     &ForeignPageProc, 0);
        ASSERT_NE(foreign, nullptr);
        SetWindowPos(foreign, nullptr, 0, 30, 200, 30, SWP_NOZORDER | SWP_SHOWWINDOW);
        PostCommand(self.hwnd(), IDC_TEST_HOST_BUTTON);
    };
    host.command = [&](int id, int) {
        if (id == IDC_TEST_HOST_BUTTON) {  // after the dialog placed its first focus
            SetFocus(page.Item(IDC_TEST_PAGE_EDIT));
            PostKey(GetFocus(), VK_TAB);
            PostCommand(host.hwnd(), IDC_TEST_OTHER);
            return true;
        }
        if (id != IDC_TEST_OTHER) return false;
        focusInForeign = GetFocus() == GetDlgItem(foreign, IDC_TEST_PAGE_EDIT);
        // Esc inside the page reaches the host as Cancel.
        PostMessageW(page.hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return true;
    };
    EXPECT_EQ(host.RunModal(nullptr), IDCANCEL);
    EXPECT_TRUE(pageIsContainer);
    EXPECT_TRUE(focusInForeign);
    EXPECT_EQ(page.hwnd(), nullptr);  // destroyed with its host
}

TEST(DialogPages, APageIsCreatedOnceAndDestroyedOnRequest) {
    ScriptedDialog host(IDD_TEST_HOST);
    ScriptedDialog page(IDD_TEST_PAGE);
    bool secondCreate = true, goneAfterDestroy = false;
    host.init = [&](ScriptedDialog& self) {
        page.Create(self.hwnd());
        secondCreate = page.Create(self.hwnd()) != nullptr;
        page.End(1);
        HWND w = page.hwnd();
        page.Destroy();
        goneAfterDestroy = !IsWindow(w) && page.hwnd() == nullptr;
        PostCommand(self.hwnd(), IDOK);
    };
    EXPECT_EQ(host.RunModal(nullptr), IDOK);
    EXPECT_FALSE(secondCreate);
    EXPECT_TRUE(goneAfterDestroy);
    EXPECT_EQ(page.Result(), 1);
}

TEST(DialogNotify, TheHandlersResultReachesTheSenderThroughTheMessageResult) {
    ScriptedDialog d;
    LRESULT handled = 0, unhandled = 99;
    d.notify = [](NMHDR* h, LRESULT& r) {
        if (h->code != static_cast<UINT>(NM_CUSTOMDRAW)) return false;
        r = CDRF_NOTIFYITEMDRAW;
        return true;
    };
    d.init = [&](ScriptedDialog& self) {
        NMHDR h{self.Item(IDC_TEST_EDIT), IDC_TEST_EDIT, static_cast<UINT>(NM_CUSTOMDRAW)};
        handled = SendMessageW(self.hwnd(), WM_NOTIFY, IDC_TEST_EDIT, reinterpret_cast<LPARAM>(&h));
        h.code = static_cast<UINT>(NM_CLICK);
        unhandled =
            SendMessageW(self.hwnd(), WM_NOTIFY, IDC_TEST_EDIT, reinterpret_cast<LPARAM>(&h));
        PostCommand(self.hwnd(), IDOK);
    };
    EXPECT_EQ(d.RunModal(nullptr), IDOK);
    EXPECT_EQ(handled, CDRF_NOTIFYITEMDRAW);
    EXPECT_EQ(unhandled, 0);
}

constexpr UINT kReport = WM_APP + 5;

TEST(DialogWorker, WhileItRunsCancelEscCloseAndCommandsAreRefused) {
    ScriptedDialog d;
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::vector<int> seenWhileBusy;
    bool finished = false;
    d.init = [&](ScriptedDialog& self) {
        ASSERT_TRUE(self.worker().Start(self.hwnd(), [&](HWND target) {
            WaitForSingleObject(release, 10000);
            PostMessageW(target, kReport, 42, 0);
        }));
        EXPECT_FALSE(self.worker().Start(self.hwnd(), [](HWND) {}));  // one at a time
        HWND w = self.hwnd();
        PostCommand(w, IDCANCEL);
        PostKey(self.Item(IDC_TEST_EDIT), VK_ESCAPE);
        PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0);
        PostMessageW(w, WM_CLOSE, 0, 0);
        PostCommand(w, IDC_TEST_OTHER);
        PostCommand(w, IDOK);
        PostMessageW(w, WM_APP + 6, 0, 0);  // after all of them: let the worker go
    };
    d.preTranslate = [&](MSG& m) {
        if (m.message == WM_APP + 6) SetEvent(release);
        if (m.message == kReport) {
            seenWhileBusy = d.commands;
            EXPECT_EQ(m.wParam, 42u);
        }
        return false;
    };
    d.finished = [&] {
        finished = true;
        EXPECT_FALSE(d.worker().Running());
        PostCommand(d.hwnd(), IDCANCEL);
    };
    EXPECT_EQ(d.RunModal(nullptr), IDCANCEL);
    EXPECT_TRUE(finished);
    EXPECT_TRUE(seenWhileBusy.empty());
    CloseHandle(release);
}

TEST(DialogWorker, TheDialogJoinsARunningWorkerBeforeItsWindowGoes) {
    ScriptedDialog d;
    std::atomic<bool> done{false};
    bool doneAtDestroy = false;
    d.init = [&](ScriptedDialog& self) {
        self.worker().Start(self.hwnd(), [&](HWND) {
            Sleep(300);
            done = true;
        });
        self.End(IDOK);  // the program ends the dialog itself, not through a command
    };
    d.destroy = [&] { doneAtDestroy = done; };
    EXPECT_EQ(d.RunModal(nullptr), IDOK);
    EXPECT_TRUE(doneAtDestroy);
}

TEST(DialogWorker, AWorkerThatRefusesNothingLeavesCommandsAlone) {
    ScriptedDialog d;
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    d.init = [&](ScriptedDialog& self) {
        self.worker().Start(
            self.hwnd(), [&](HWND) { WaitForSingleObject(release, 10000); }, false);
        PostCommand(self.hwnd(), IDCANCEL);
    };
    d.destroy = [&] { SetEvent(release); };
    // The window goes only after the worker ends: the event is set before the join.
    d.command = [&](int id, int) {
        if (id == IDCANCEL) SetEvent(release);
        return false;
    };
    EXPECT_EQ(d.RunModal(nullptr), IDCANCEL);
    CloseHandle(release);
}

}  // namespace
