// The Win32 calls of the finder and the tick that tests watch or steer. Real in the product.
#pragma once

#include <windows.h>

namespace trk {

struct Calls {
    BOOL(WINAPI* SetWindowPos)(HWND, HWND, int, int, int, int, UINT) = ::SetWindowPos;
    BOOL(WINAPI* FlashWindowEx)(PFLASHWINFO) = ::FlashWindowEx;
    LRESULT(WINAPI* SendMessageTimeout)(HWND, UINT, WPARAM, LPARAM, UINT, UINT, PDWORD_PTR) = ::SendMessageTimeoutW;
    HWND(WINAPI* GetForegroundWindow)() = ::GetForegroundWindow;
};
extern Calls calls;

} // namespace trk
