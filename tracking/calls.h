// The Win32 calls of the finder and the tick that tests watch or steer. Real in the product.
#pragma once

#include <windows.h>

namespace tracking {

// Plain function pointers rather than WINAPI ones, so that tests can plug in lambdas.
struct Calls {
    BOOL (*SetWindowPos)
    (HWND, HWND, int, int, UINT) =
        [](HWND hwnd, HWND after, int x, int y, UINT flags) { return ::SetWindowPos(hwnd, after, x, y, 0, 0, flags); };
    BOOL (*FlashWindowEx)(FLASHWINFO*) = [](FLASHWINFO* info) { return ::FlashWindowEx(info); };
    BOOL (*GetLineCount)
    (HWND, UINT timeoutMs, DWORD_PTR*) = [](HWND log, UINT timeoutMs, DWORD_PTR* count) {
        return BOOL{SendMessageTimeoutW(log, EM_GETLINECOUNT, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, timeoutMs, count) !=
                    0};
    };
    HWND (*GetForegroundWindow)() = [] { return ::GetForegroundWindow(); };
};
extern Calls calls;

} // namespace tracking
