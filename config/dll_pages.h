// The two pages drawn by the input method module inside empty pages of ours, through the
// module's exported object (kind 1).
#pragma once
#include <windows.h>

#include "dialog/dialog.h"

struct Engine;

class DllPageHost : public Dialog {
public:
    // templateId: the empty host page; dllPage: 1 input options, 3 appearance.
    DllPageHost(int templateId, int dllPage, Engine* engine);
    // Asks the module's page to store its fields (apply) or not and to close; false when it
    // refuses (it then stays open). True when no page is open.
    bool ClosePage(bool apply);

protected:
    bool OnInitDialog() override;
    void OnDestroy() override;

private:
    int dllPage_;
    Engine* engine_;
    HWND page_ = nullptr;
};

// The module's page while one is open (the program's Tab rule uses it), else null.
HWND OpenDllPage();
