// The modal dialog base: binding, pixel layout, font, colours, and the keys that must not close it.
#include "win32/dialog.h"

#include "core/layout.h"
#include "win32/message_box.h"

#include <algorithm>
#include <string>

namespace win32 {

namespace {

bool IsCheckBox(HWND item) {
    wchar_t kind[8] = {};
    GetClassNameW(item, kind, 8);
    const LONG type = GetWindowLongW(item, GWL_STYLE) & BS_TYPEMASK;
    return lstrcmpiW(kind, L"Button") == 0 &&
           (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE);
}

// The width of a control's text in the font selected into `dc`, as the control draws it.
int TextWidth(HDC dc, HWND control, UINT prefix) {
    const int length = GetWindowTextLengthW(control);
    std::wstring text(length + 1, L'\0');
    GetWindowTextW(control, text.data(), length + 1);
    RECT extent{};
    DrawTextW(dc, text.c_str(), length, &extent, DT_CALCRECT | DT_SINGLELINE | prefix);
    return extent.right - extent.left;
}

// What a check box needs to show its caption whole: the glyph, the gap the control leaves after it
// (half a digit), and the caption. The glyph is 13 pixels at 96 DPI, more than SM_CXMENUCHECK says
// on some systems (11 under Wine).
int CheckBoxNeeds(HDC dc, HWND box) {
    INT digit = 0;
    GetCharWidth32W(dc, L'0', L'0', &digit);
    const int glyph = std::max(GetSystemMetrics(SM_CXMENUCHECK), MulDiv(13, GetDeviceCaps(dc, LOGPIXELSX), 96));
    return glyph + digit / 2 + TextWidth(dc, box, 0);
}

core::Align LabelAlign(LONG style) {
    const LONG type = style & SS_TYPEMASK;
    return type == SS_CENTER ? core::Align::Centre : type == SS_RIGHT ? core::Align::Right : core::Align::Left;
}

} // namespace

bool Dialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) {
    return false;
}

void Dialog::ShowModal(HWND nearWindow) {
    // The forms are laid out for a 12-pixel (9 point) message font, whatever the system's own size.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    metrics.lfMessageFont.lfHeight = -12;
    font_.reset(CreateFontIndirectW(&metrics.lfMessageFont));
    // Where the user is looking: the camera window may be on any monitor.
    monitor_ = nearWindow ? MonitorFromWindow(nearWindow, MONITOR_DEFAULTTONEAREST)
                          : MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
    ModalScope scope;
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), nullptr, Proc,
                    reinterpret_cast<LPARAM>(this));
    hwnd_ = nullptr;
}

void Dialog::ApplyLayout() {
    WindowDc dc(hwnd_);
    SelectedObject font(dc.get(), font_.get());
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc.get(), &metrics);
    for (const ControlBox& box : layout_.controls) {
        const HWND item = Item(box.id);
        const LONG style = GetWindowLongW(item, GWL_STYLE);
        wchar_t kind[8] = {};
        GetClassNameW(item, kind, 8);
        const bool label = lstrcmpiW(kind, L"Static") == 0 && (style & SS_TYPEMASK) != SS_BITMAP;
        // Labels and check boxes clip their text to their boxes, unlike the form designer's: where the
        // font is wider than the design's (a Japanese UI font, say) or taller, give them room, or a
        // caption loses its end and descenders their lower half.
        core::Span span{box.left, box.width};
        if (label)
            span = core::FitLabel(span, TextWidth(dc.get(), item, style & SS_NOPREFIX ? DT_NOPREFIX : 0),
                                  LabelAlign(style));
        else if (IsCheckBox(item))
            span = core::FitCheckBox(span, CheckBoxNeeds(dc.get(), item), layout_.clientWidth);
        SendMessageW(item, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        MoveWindow(item, span.left, box.top, span.width,
                   label ? std::max<int>(box.height, metrics.tmHeight) : box.height, FALSE);
    }
    RECT frame{0, 0, layout_.clientWidth, layout_.clientHeight};
    AdjustWindowRectEx(&frame, GetWindowLongW(hwnd_, GWL_STYLE), FALSE, GetWindowLongW(hwnd_, GWL_EXSTYLE));
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (GetMonitorInfoW(monitor_, &monitor))
        screen = monitor.rcMonitor;
    const core::Point at = core::CentredOn({screen.left, screen.top, screen.right, screen.bottom}, width, height);
    SetWindowPos(hwnd_, nullptr, at.x, at.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
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
