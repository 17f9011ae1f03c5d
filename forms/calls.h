// The calls of the forms that tests watch or steer. Real in the product.
#pragma once

#include <windows.h>
#include <shellapi.h>

namespace forms {

// Plain function pointers rather than WINAPI ones, so that tests can plug in lambdas.
struct Calls {
    BOOL (*TrackPopupMenu)
    (HMENU, UINT, int, int, HWND) = [](HMENU menu, UINT flags, int x, int y, HWND owner) {
        return ::TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr);
    };
    HINSTANCE (*ShellExecute)
    (HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT) =
        [](HWND hwnd, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, INT show) {
            return ::ShellExecuteW(hwnd, operation, file, parameters, directory, show);
        };
    void (*EndProcess)() = [] { ::ExitProcess(0); }; // at once: no window's close handling runs
};
extern Calls calls;

} // namespace forms
