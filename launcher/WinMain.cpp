// Entry point: shows frmSplash and serves its events until the program ends.
#include "launcher/SplashWindow.h"
#include "win32/MessageLoop.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    if (!CreateSplashWindow(instance)) return 1;
    return RunMessageLoop();
}
