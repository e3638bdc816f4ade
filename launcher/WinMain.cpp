// Entry point: shows frmSplash and serves its events until the program ends.
#include "launcher/SplashWindow.h"
#include "win32/MessageLoop.h"
#include "win32/SystemLibrary.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    RestrictDllSearch();
    if (!CreateSplashWindow(instance)) return 1;
    return RunMessageLoop();
}
