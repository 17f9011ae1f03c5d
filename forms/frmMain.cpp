// The camera window: picture, popup menu, mouse presses, the tracking timer and closing.
#include "forms/frmMain.h"

#include "capture/save_command.h"
#include "forms/calls.h"
#include "forms/frmAbout.h"
#include "forms/frmConfig.h"
#include "forms/gif_picture.h"
#include "resources/resource_ids.h"
#include "state/shared_state.h"
#include "tracking/tracking.h"
#include "win32/calls.h"

#include <commctrl.h>

forms::Calls forms::calls;
FrmMain frmMain;
bool quitWhenCameraWindowCloses = true;

bool FrmMain::Load() {
    if (hWnd())
        return true;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    // A 1-pixel border and no caption: client 48 x 20, window 50 x 22. A tool window: no taskbar button.
    if (!Create({L"Pikuto.Camera", WS_POPUP | WS_BORDER, WS_EX_TOOLWINDOW, 48, 20,
                 static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)), LoadIconW(instance, MAKEINTRESOURCEW(IDI_PIKUTO))}))
        return false;
    mnuPikuto = win32::Menu(LoadMenuW(instance, MAKEINTRESOURCEW(IDR_CAMERA_MENU)));
    // The camera picture, centred: (12, 1.5) rounds to (12, 2). A static without SS_NOTIFY lets
    // every press through to the window, which is the hit area over the whole client area.
    imgCamera = LoadGifBitmap(IDR_CAMERA);
    HWND picture = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_BITMAP, 12, 2, 24, 17, hWnd(),
                                   nullptr, instance, nullptr);
    SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(imgCamera.get()));
    // The tooltip shows over the browser, which stays active: ALWAYSTIP. It must never take the
    // foreground from the browser (the tick would hide the camera), nor the focus.
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    tipCamera = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, TOOLTIPS_CLASSW, nullptr,
                                WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, hWnd(), nullptr, instance, nullptr);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_SUBCLASS | TTF_IDISHWND; // the whole window; the tooltip watches its mouse itself
    tool.hwnd = hWnd();
    tool.uId = reinterpret_cast<UINT_PTR>(hWnd());
    tool.lpszText = const_cast<wchar_t*>(kCameraTip);
    SendMessageW(tipCamera, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SetTimer(hWnd(), timCheckId, timCheckInterval, nullptr);
    return true;
}

LRESULT FrmMain::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDOWN:
        lblCover_MouseDown(msg == WM_RBUTTONDOWN);
        return 0;
    case WM_TIMER:
        if (wParam == timCheckId)
            timCheck_Timer();
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDM_SAVE:
            mnuSave_Click();
            break;
        case IDM_CONFIG:
            mnuConfig_Click();
            break;
        case IDM_ABOUT:
            mnuAbout_Click();
            break;
        case IDM_EXIT:
            mnuExit_Click();
            break;
        }
        return 0;
    case WM_ENABLE:
        // Every dialog of the program disables the camera window while it is open: no tip meanwhile.
        SendMessageW(tipCamera, TTM_ACTIVATE, wParam, 0);
        return 0;
    case WM_CLOSE:
        Form_Unload();
        break; // DefWindowProc destroys the window
    case WM_ENDSESSION:
        // Log-off or shutdown ends the process after this message: unload as any other close does.
        if (wParam)
            Form_Unload();
        return 0;
    case WM_DESTROY:
        KillTimer(hWnd(), timCheckId);
        if (quitWhenCameraWindowCloses)
            PostQuitMessage(0);
        return 0;
    }
    return Window::OnMessage(msg, wParam, lParam);
}

void FrmMain::Form_Unload() {
    // Stop a shutter sound still playing from memory before the window goes.
    win32::calls.PlaySound(nullptr, nullptr, 0);
}

void FrmMain::lblCover_MouseDown(bool rightButton) {
    if (rightButton) {
        const HMENU popup = GetSubMenu(mnuPikuto.get(), 0);
        EnableMenuItem(popup, IDM_SAVE, MF_BYCOMMAND | (hwndCanvas ? MF_ENABLED : MF_GRAYED));
        POINT pointer{};
        GetCursorPos(&pointer);
        // Without the owner in the foreground, the menu would not close on a click outside it.
        SetForegroundWindow(hWnd());
        forms::calls.TrackPopupMenu(popup, TPM_RIGHTBUTTON | TPM_LEFTALIGN, pointer.x, pointer.y, hWnd());
        PostMessageW(hWnd(), WM_NULL, 0, 0);
    } else if (hwndCanvas) {
        mnuSave_Click();
    }
}

void FrmMain::mnuSave_Click() {
    // The camera window takes no input while a prompt is open, but a command already queued still
    // arrives: it must not start a second save inside the first.
    if (saving_)
        return;
    struct Busy {
        bool& flag;
        ~Busy() { flag = false; }
    } busy{saving_ = true};
    SaveCommand(hWnd(), picBuffer, ShowQualityDialog);
}

void FrmMain::mnuConfig_Click() {
    ShowQualityDialog();
}

void FrmMain::mnuAbout_Click() {
    ShowAboutBox();
}

void FrmMain::mnuExit_Click() {
    forms::calls.EndProcess();
}

void FrmMain::timCheck_Timer() {
    TrackTarget(hWnd());
}
