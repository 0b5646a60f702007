// Entry point of the configuration program.
#include <windows.h>

#include "config/config_app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    InitApplicationObject();
    TheApp()->InitInstance(GetCommandLineW());
    DestroyApplicationObject();
    return 0;
}
