#include "config/config_help.h"

#include "core/record/engine.h"
#include "dialog/control_text.h"
#include "dialog/ui_port.h"

bool HelpFilePath(const Engine* engine, wchar_t* out, int capacity) {
    if (!engine) {
        if (capacity > 0) out[0] = 0;
        return false;
    }
    return FormatBounded(out, capacity, L"%lsmain.chm", engine->installLocation);
}

HWND ShowProgramHelp(const Engine* engine, DWORD_PTR data, UINT command) {
    wchar_t path[kPathChars];
    if (!HelpFilePath(engine, path, kPathChars)) return nullptr;
    return Ui().ShowHelp(nullptr, path, command, data);
}
