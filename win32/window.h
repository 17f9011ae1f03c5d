// A top-level window of a class of our own, bound to its C++ object from creation to destruction.
#pragma once

#include <windows.h>

namespace win32 {

class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND hWnd() const { return hwnd_; } // null before creation and once destroyed

protected:
    struct Design {
        const wchar_t* className;
        DWORD style, exStyle;
        int clientWidth, clientHeight;
        HBRUSH background; // not owned: a stock or system brush
        HICON icon;        // not owned: a shared resource icon
    };
    // Registers the class on first use and creates the window hidden, with an empty caption, at the
    // screen origin. False when it could not be made.
    bool Create(const Design& design);
    // One message; the default is DefWindowProc. Never sees WM_NCDESTROY.
    virtual LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

} // namespace win32
