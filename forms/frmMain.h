// The camera window: a tiny captionless window that floats below the applet's canvas.
#pragma once

#include <windows.h>

#include "capture/picture_buffer.h"
#include "win32/handles.h"
#include "win32/window.h"

// What the camera's tooltip says.
inline constexpr wchar_t kCameraTip[] = L"クリックで保存、右クリックでメニュー";

class FrmMain : public win32::Window {
public:
    static constexpr UINT_PTR timCheckId = 1;
    static constexpr UINT timCheckInterval = 100;

    // Creates the window hidden at the screen origin and starts timCheck. False when it could not be made.
    bool Load();

    PictureBuffer picBuffer{710, 380, RGB(255, 255, 255)}; // the capture's off-screen surface

    void lblCover_MouseDown(bool rightButton); // a press of any button anywhere in the window
    void mnuSave_Click();                      // the save command
    void mnuConfig_Click();                    // opens the quality dialog
    void mnuAbout_Click();                     // opens the About box
    void mnuExit_Click();                      // ends the process at once
    void timCheck_Timer();                     // one tracking tick

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void Form_Unload();
    win32::Menu mnuPikuto;               // a hidden menu bar; its one popup is the menu
    win32::GdiObject<HBITMAP> imgCamera; // shown by a static control that does not own it
    HWND tipCamera = nullptr;            // the tooltip; owned by the camera window, so it goes with it
    bool saving_ = false;
};

extern FrmMain frmMain;

// Posts the quit message once the camera window, the program's last window, is gone.
// Off in tests, which make and destroy the window many times.
extern bool quitWhenCameraWindowCloses;
