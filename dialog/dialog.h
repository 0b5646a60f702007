// A dialog window from a resource template, run modally by our own loop or created modeless
// as a child page. Subclasses override the handlers they need; the dialog procedure is
// guarded, routes commands, notifications and other messages, and sets DWLP_MSGRESULT.
//
//   class MyDialog : public Dialog {
//   public:
//       MyDialog() : Dialog(IDD_MINE) {}
//   protected:
//       bool OnInitDialog() override { SetItemText(hwnd(), 1001, L"..."); return true; }
//       bool OnCommand(int id, int code, HWND) override { ... }
//   };
//   MyDialog d;
//   INT_PTR r = d.RunModal(owner);  // IDOK, IDCANCEL, ... or -1
#pragma once
#include <windows.h>

#include <functional>

#include "dialog/worker.h"

class Dialog {
public:
    // templateId of module (null: this program's module).
    explicit Dialog(int templateId, HINSTANCE module = nullptr);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Creates the window, disables owner (its top-level window), runs the modal loop until
    // End, enables owner again and then destroys the window. The value given to End; -1 when
    // the template cannot be created or the loop met WM_QUIT (posted again for outer loops).
    INT_PTR RunModal(HWND owner);
    // Creates the window modeless: a child page when the template has DS_CONTROL|WS_CHILD
    // (the page then gets WS_EX_CONTROLPARENT so that Tab reaches the controls of pages
    // nested in it, also those made by another module). Null on failure.
    HWND Create(HWND parent);
    // Modal: ends the loop with result. Modeless: records result (the owner destroys it).
    void End(INT_PTR result);
    // Destroys a modeless window (a modal one is destroyed by RunModal).
    void Destroy();

    HWND hwnd() const { return hwnd_; }
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    int templateId() const { return templateId_; }
    bool IsModal() const { return modal_; }
    bool Ended() const { return ended_; }
    INT_PTR Result() const { return result_; }

    // Accelerators translated for this dialog's windows (resource table, not owned).
    void SetAccelerators(HACCEL table) { accelerators_ = table; }
    DialogWorker& worker() { return worker_; }

    // The dialog object of one of our dialog windows (null for any other window).
    static Dialog* FromWindow(HWND window);

protected:
    // WM_INITDIALOG; true lets the system focus the first control.
    virtual bool OnInitDialog() { return true; }
    // WM_COMMAND; true when handled. Unhandled IDOK and IDCANCEL go to OnOK and OnCancel.
    virtual bool OnCommand(int /*id*/, int /*code*/, HWND /*control*/) { return false; }
    // WM_NOTIFY; true when handled, with result stored in DWLP_MSGRESULT (custom draw).
    virtual bool OnNotify(NMHDR* /*header*/, LRESULT& /*result*/) { return false; }
    // Every other message; true when handled. result goes to DWLP_MSGRESULT, or is returned
    // as it is for the messages whose value a dialog procedure returns (WM_CTLCOLOR...).
    virtual bool OnMessage(UINT /*message*/, WPARAM, LPARAM, LRESULT& /*result*/) { return false; }
    // Top-level dialogs end with IDOK / IDCANCEL; child pages pass them to their parent, so
    // Enter and Esc in a page act on the dialog around it.
    virtual void OnOK();
    virtual void OnCancel();
    // WM_DESTROY, after the worker was joined.
    virtual void OnDestroy() {}
    // The worker's body returned and it was joined.
    virtual void OnWorkerFinished() {}
    // Commands still taken while a refusing worker runs (e.g. a stop button).
    virtual bool AllowedWhileBusy(int /*id*/) { return false; }
    // A message on its way to this dialog or one of its controls, before accelerators and
    // IsDialogMessage; true when handled (the message is then not dispatched).
    virtual bool PreTranslate(MSG& /*message*/) { return false; }

private:
    static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wp, LPARAM lp);
    INT_PTR Handle(UINT message, WPARAM wp, LPARAM lp);
    bool RefusedWhileBusy(UINT message, WPARAM wp);
    friend bool PreTranslateDialogMessage(MSG& message);

    int templateId_;
    HINSTANCE module_;
    HWND hwnd_ = nullptr;
    HACCEL accelerators_ = nullptr;
    bool modal_ = false;
    bool ended_ = false;
    INT_PTR result_ = 0;
    DialogWorker worker_;
};

// The application's own rules, asked first about every message of every dialog loop; true
// when handled. Empty: none.
void SetApplicationPreTranslate(std::function<bool(MSG&)> rule);
// What the loop does with one message before dispatching it: the application's rule, then
// for each of our dialogs from the message's window outwards its PreTranslate and its
// accelerators, and IsDialogMessage of the top-level one. True when handled.
bool PreTranslateDialogMessage(MSG& message);
// The innermost modal dialog running on this thread (null when none).
Dialog* CurrentModalDialog();

// Big and small icon of a window from an icon resource of module (null: this program).
void SetWindowIcons(HWND window, HINSTANCE module, int iconId);
