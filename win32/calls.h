// The Win32 calls of the support layer that tests watch or steer; real in the product. Each layer
// that has such calls keeps them the same way: a struct `Calls` in the layer's namespace, whose
// members default to the real functions, and one instance `calls`.
#pragma once

#include <windows.h>
#include <dwmapi.h>
#include <mmsystem.h>

#include "win32/system_library.h"

namespace win32 {

// Plain function pointers rather than WINAPI ones, so that tests can plug in lambdas.
struct Calls {
    int (*MessageBox)(HWND, LPCWSTR, LPCWSTR, UINT) = [](HWND owner, LPCWSTR text, LPCWSTR caption, UINT flags) {
        return ::MessageBoxW(owner, text, caption, flags);
    };
    // winmm is not a KnownDLL: found at run time in the system folder, not imported.
    BOOL (*PlaySound)(LPCWSTR, HMODULE, DWORD) = [](LPCWSTR sound, HMODULE module, DWORD flags) -> BOOL {
        static const auto play = SystemFunction<decltype(&::PlaySoundW)>(L"winmm.dll", "PlaySoundW");
        return play && play(sound, module, flags);
    };
    // Windows 8 and later keep some windows off the screen while IsWindowVisible still says yes
    // ("cloaked": on another virtual desktop, a suspended app, parts of the shell). dwmapi is not a
    // KnownDLL either. Windows 7 has no such attribute; Wine cloaks nothing.
    BOOL (*IsCloaked)(HWND) = [](HWND hwnd) -> BOOL {
        static const auto get =
            SystemFunction<decltype(&::DwmGetWindowAttribute)>(L"dwmapi.dll", "DwmGetWindowAttribute");
        DWORD cloaked = 0;
        return get && SUCCEEDED(get(hwnd, DWMWA_CLOAKED, &cloaked, sizeof cloaked)) && cloaked;
    };
    HANDLE (*CreateFile)(LPCWSTR, DWORD, DWORD, DWORD) = [](LPCWSTR name, DWORD access, DWORD share, DWORD disposition) {
        return ::CreateFileW(name, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    BOOL (*WriteFile)(HANDLE, const void*, DWORD, DWORD*) = [](HANDLE file, const void* data, DWORD size, DWORD* done) {
        return ::WriteFile(file, data, size, done, nullptr);
    };
    BOOL (*MoveFileEx)(LPCWSTR, LPCWSTR, DWORD) = [](LPCWSTR from, LPCWSTR to, DWORD flags) {
        return ::MoveFileExW(from, to, flags);
    };
};
extern Calls calls;

} // namespace win32
