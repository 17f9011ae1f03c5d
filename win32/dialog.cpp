// The modal dialog base: binding, pixel layout, font, colours, and the keys that must not close it.
#include "win32/dialog.h"

#include "win32/message_box.h"

#include <algorithm>

namespace win32 {

bool Dialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) {
    return false;
}

void Dialog::ShowModal() {
    // The forms are laid out for a 12-pixel (9 point) message font, whatever the system's own size.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    metrics.lfMessageFont.lfHeight = -12;
    font_.reset(CreateFontIndirectW(&metrics.lfMessageFont));
    ModalScope scope;
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), nullptr, Proc,
                    reinterpret_cast<LPARAM>(this));
    hwnd_ = nullptr;
}

void Dialog::ApplyLayout() {
    // A label clips its text to its box, unlike the form designer's: give each the font's whole
    // line, or descenders lose their lower half where the font is taller than the design's.
    TEXTMETRICW metrics{};
    {
        WindowDc dc(hwnd_);
        SelectedObject font(dc.get(), font_.get());
        GetTextMetricsW(dc.get(), &metrics);
    }
    for (const ControlBox& box : layout_.controls) {
        const HWND item = Item(box.id);
        wchar_t kind[8] = {};
        GetClassNameW(item, kind, 8);
        const bool label =
            lstrcmpiW(kind, L"Static") == 0 && (GetWindowLongW(item, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP;
        SendMessageW(item, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        MoveWindow(item, box.left, box.top, box.width, label ? std::max<int>(box.height, metrics.tmHeight) : box.height,
                   FALSE);
    }
    RECT frame{0, 0, layout_.clientWidth, layout_.clientHeight};
    AdjustWindowRectEx(&frame, GetWindowLongW(hwnd_, GWL_STYLE), FALSE, GetWindowLongW(hwnd_, GWL_EXSTYLE));
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    SetWindowPos(hwnd_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR Dialog::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    INT_PTR result = FALSE;
    if (OnMessage(msg, wParam, lParam, result))
        return result;
    switch (msg) {
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        const HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, layout_.textColour);
        SetBkMode(dc, TRANSPARENT); // over the background brush
        return reinterpret_cast<INT_PTR>(layout_.background);
    }
    case WM_COMMAND:
        // Esc arrives as IDCANCEL and does nothing; Alt+F4 and other close requests come as WM_CLOSE.
        return LOWORD(wParam) == IDCANCEL;
    case WM_CLOSE:
        End();
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK Dialog::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto* self = reinterpret_cast<Dialog*>(lParam);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        try {
            self->OnInit();
            self->ApplyLayout();
            // In front even when the program is not: opened by a command of another program, or
            // just after the Save As dialog handed the foreground on.
            SetForegroundWindow(hwnd);
        } catch (...) {
            EndDialog(hwnd, 0); // half filled is worse than not shown
        }
        return TRUE; // the focus goes to the first control in tab order
    }
    auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self)
        return FALSE;
    try {
        return self->Handle(msg, wParam, lParam);
    } catch (...) {
        // Nothing may unwind through USER32; the dialog manager's own handling takes over.
        return FALSE;
    }
}

} // namespace win32
