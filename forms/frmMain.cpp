// The camera window: layout, popup menu, mouse presses, the tracking timer and closing.
#include "forms/frmMain.h"

#include "app/modMain.h"
#include "resources/resource_ids.h"
#include "tracking/tracking.h"

FrmMain frmMain;
bool quitWhenCameraWindowCloses = true;

FrmMain::FrmMain()
    : mnuPikuto({{mnuSaveId, L"保存"},
                 {0, L"-"},
                 {mnuConfigId, L"設定"},
                 {mnuAboutId, L"情報"},
                 {0, L"-"},
                 {mnuExitId, L"終了"}}) {}

tk::FormDefinition FrmMain::Define() const {
    // A 1-pixel border and no caption: client 48 x 20, window 50 x 22. A tool window, so no taskbar button.
    return {L"Pikuto.Camera",
            L"",
            WS_POPUP | WS_BORDER | WS_CLIPCHILDREN,
            WS_EX_TOOLWINDOW,
            48,
            20,
            RGB(255, 255, 255),
            -1,
            false,
            LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PIKUTO))};
}

void FrmMain::CreateControls() {
    cameraPicture = tk::Picture::FromResource(IDR_CAMERA, L"GIF");
    // The camera picture, centred: (12, 1.5) rounds to (12, 2).
    AddImage({{12, 2, 12 + 24, 2 + 17}, cameraPicture.get(), nullptr, nullptr});
    tk::Label cover;
    cover.rect = {0, 0, 48, 20};
    cover.MouseDown = [this](short button, short shift, int x, int y) { lblCover_MouseDown(button, shift, x, y); };
    AddLabel(cover);
}

void FrmMain::Form_Load() { timCheck.Start(hWnd(), timCheckId, timCheckInterval); }

void FrmMain::Form_Unload(short& cancel) {
    (void)cancel;
    // Stop a shutter sound still playing from memory before the window goes.
    tk::calls.PlaySound(nullptr, nullptr, 0);
}

void FrmMain::OnDestroyed() {
    if (quitWhenCameraWindowCloses)
        PostQuitMessage(0);
}

bool FrmMain::OnMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg == WM_DESTROY) {
        timCheck.Stop();
        return false;
    }
    // Log-off or shutdown ends the process after this message: unload as any other close does.
    if (msg == WM_ENDSESSION && wParam) {
        short cancel = 0;
        Form_Unload(cancel);
        result = 0;
        return true;
    }
    return false;
}

void FrmMain::OnTimer(UINT_PTR id) {
    if (id == timCheckId)
        timCheck_Timer();
}

void FrmMain::OnCommand(WORD id, WORD, HWND) {
    switch (id) {
    case mnuSaveId:
        mnuSave_Click();
        break;
    case mnuConfigId:
        mnuConfig_Click();
        break;
    case mnuAboutId:
        mnuAbout_Click();
        break;
    case mnuExitId:
        mnuExit_Click();
        break;
    }
}

void FrmMain::lblCover_MouseDown(short button, short, int, int) {
    if (button == 2) {
        mnuPikuto.Enable(mnuSaveId, hwndCanvas != nullptr);
        mnuPikuto.PopupAtPointer(hWnd());
        return;
    }
    if (hwndCanvas)
        mnuSave_Click();
}

void FrmMain::mnuExit_Click() { tk::End(); }

void FrmMain::timCheck_Timer() { TrackTarget(); }
