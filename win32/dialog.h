// Modal dialogs from .rc templates, laid out in exact pixels from one table at WM_INITDIALOG.
#pragma once

#include <windows.h>

#include "win32/handles.h"

#include <span>

namespace win32 {

// A control's place in pixels from the client area's top-left corner.
struct ControlBox {
    int id, left, top, width, height;
};

// What a form designer's property sheet would say: client size, every control's place, colours.
struct DialogLayout {
    int clientWidth, clientHeight;
    std::span<const ControlBox> controls;
    COLORREF textColour; // of the labels and the check box
    HBRUSH background;   // not owned: a stock or system brush
};

class Dialog {
public:
    Dialog(int templateId, const DialogLayout& layout) : templateId_(templateId), layout_(layout) {}
    virtual ~Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Creates the dialog, topmost and centred on the monitor that holds `nearWindow` (the primary one
    // when null), owned by no window, and returns once it has ended. Every other window of the thread
    // takes no input meanwhile; their timers keep firing.
    void ShowModal(HWND nearWindow);

protected:
    HWND hWnd() const { return hwnd_; }
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    void End() { EndDialog(hwnd_, 0); }
    // Fills the controls; runs before the layout is applied.
    virtual void OnInit() {}
    // A message the dialog handles itself: true, with `result` as the dialog procedure's answer.
    virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result);

private:
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    void ApplyLayout();

    int templateId_;
    DialogLayout layout_;
    HWND hwnd_ = nullptr;
    HMONITOR monitor_ = nullptr;
    GdiObject<HFONT> font_;
};

} // namespace win32
