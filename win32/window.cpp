// The window base: class registration, creation at an exact client size, and the bound procedure.
#include "win32/window.h"

namespace win32 {

Window::~Window() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

bool Window::Create(const Design& design) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(instance, design.className, &wc)) {
        wc.lpfnWndProc = Proc;
        wc.hInstance = instance;
        wc.hIcon = design.icon;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = design.background;
        wc.lpszClassName = design.className;
        if (!RegisterClassExW(&wc))
            return false;
    }
    RECT frame{0, 0, design.clientWidth, design.clientHeight};
    AdjustWindowRectEx(&frame, design.style, FALSE, design.exStyle);
    return CreateWindowExW(design.exStyle, design.className, L"", design.style, 0, 0, frame.right - frame.left,
                           frame.bottom - frame.top, nullptr, nullptr, instance, this) != nullptr;
}

LRESULT Window::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

LRESULT CALLBACK Window::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && msg == WM_NCDESTROY) {
        // The object outlives its window, and may make a new one later.
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        self = nullptr;
    }
    if (!self)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    try {
        return self->OnMessage(msg, wParam, lParam);
    } catch (...) {
        // Nothing may unwind through USER32.
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace win32
