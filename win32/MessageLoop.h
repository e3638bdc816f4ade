// The thread's message loop, as the launcher runs it until its window is gone.
#pragma once

#include "win32/WindowsApi.h"

// Serves messages until WM_QUIT and answers its exit code.
inline int RunMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
