// The camera window: a tiny captionless window that floats below the applet's canvas.
#pragma once

#include "forms/toolkit.h"

class FrmMain : public tk::Form {
public:
    // Menu item ids, in menu order.
    enum : UINT { mnuSaveId = 1, mnuConfigId = 3, mnuAboutId = 4, mnuExitId = 6 };
    static constexpr UINT_PTR timCheckId = 1;
    static constexpr UINT timCheckInterval = 100;

    FrmMain();

    tk::PictureBox picBuffer{710, 380, RGB(255, 255, 255)};

    void lblCover_MouseDown(short button, short shift, int x, int y);
    void mnuSave_Click();   // the save command
    void mnuConfig_Click(); // opens the quality dialog
    void mnuAbout_Click();  // opens the About box
    void mnuExit_Click();
    void timCheck_Timer();

protected:
    tk::FormDefinition Define() const override;
    void CreateControls() override;
    void Form_Load() override;
    void Form_Unload(short& cancel) override;
    void OnTimer(UINT_PTR id) override;
    void OnCommand(WORD id, WORD code, HWND control) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnDestroyed() override;

private:
    tk::Timer timCheck;
    tk::PopupMenu mnuPikuto;
    std::unique_ptr<tk::Picture> cameraPicture;
};

extern FrmMain frmMain;

// Posts the quit message once the camera window, the program's last window, is gone.
// Off in tests, which make and destroy the window many times.
extern bool quitWhenCameraWindowCloses;
