// The "高级" page: buttons to the advanced editor, the embedding settings and the key
// functions, and the option bits of the table scheme and the search range.
#pragma once
#include "dialog/dialog.h"

struct Engine;

class SystemPage : public Dialog {
public:
    SystemPage(Engine* engine, const wchar_t* displayName);

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    void RunDialog(int which);
    Engine* engine_;
    const wchar_t* displayName_;
};
