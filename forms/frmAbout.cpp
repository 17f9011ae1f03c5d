// The About box: the logo and its link to the web page, and the version line.
#include "forms/frmAbout.h"

#include <windows.h>
#include <windowsx.h>

#include "core/version_text.h"
#include "forms/calls.h"
#include "forms/frmMain.h"
#include "forms/gif_picture.h"
#include "resources/resource_ids.h"
#include "win32/app_info.h"
#include "win32/dialog.h"

namespace {

// In pixels from the client area's top-left corner; client 317 x 189.
constexpr win32::ControlBox kControls[] = {
    {IDC_IMGLOGO, 8, 3, 300, 150},
    {IDC_LBLMSG0, 16, 156, 293, 12},
    {IDC_LBLVER, 15, 171, 86, 12},
    {IDC_LBLMSG2, 183, 171, 122, 12},
};

class FrmAbout : public win32::Dialog {
public:
    FrmAbout() : Dialog(IDD_ABOUT, {317, 189, kControls, RGB(46, 64, 109), GetSysColorBrush(COLOR_WINDOW)}) {}

private:
    void OnInit() override {
        logo_ = LoadGifBitmap(IDR_LOGO);
        SendDlgItemMessageW(hWnd(), IDC_IMGLOGO, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logo_.get()));
        core::Version version;
        if (win32::AppVersion(version))
            SetDlgItemTextW(hWnd(), IDC_LBLVER, core::VersionLine(version).c_str());
    }

    void imgLogo_Click() {
        // The result is not looked at: with no browser or no network the box simply stays as it is.
        forms::calls.ShellExecute(hWnd(), L"Open", kWebAddress, nullptr, win32::AppPath().c_str(), SW_SHOWNORMAL);
    }

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) override {
        const WORD code = HIWORD(wParam);
        if (msg == WM_COMMAND && LOWORD(wParam) == IDC_IMGLOGO && (code == STN_CLICKED || code == STN_DBLCLK)) {
            // The logo tells of the press; a click is the release over the logo, so a press that
            // slides off it opens nothing. (Told of a release instead, the click is complete.)
            if (GetKeyState(VK_LBUTTON) < 0)
                SetCapture(hWnd());
            else
                imgLogo_Click();
        } else if (msg == WM_LBUTTONUP && GetCapture() == hWnd()) {
            ReleaseCapture();
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (ChildWindowFromPointEx(hWnd(), at, CWP_SKIPINVISIBLE) == Item(IDC_IMGLOGO))
                imgLogo_Click();
        } else if (msg == WM_SETCURSOR && reinterpret_cast<HWND>(wParam) == Item(IDC_IMGLOGO)) {
            // A shared resource cursor: the system frees it, not us.
            SetCursor(LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_HANDPOINT)));
            SetWindowLongPtrW(hWnd(), DWLP_MSGRESULT, TRUE);
        } else {
            return false;
        }
        result = TRUE;
        return true;
    }

    win32::GdiObject<HBITMAP> logo_; // shown by the static control, which does not own it
};

} // namespace

void ShowAboutBox() {
    FrmAbout frmAbout;
    frmAbout.ShowModal(frmMain.hWnd());
}
