// The quality dialog: the scroll bar and the number that follows it, the check box and OK.
#include "forms/frmConfig.h"

#include <windows.h>

#include "core/settings_text.h"
#include "core/version_text.h"
#include "forms/frmMain.h"
#include "resources/resource_ids.h"
#include "state/settings.h"
#include "state/shared_state.h"
#include "win32/dialog.h"
#include "win32/system_library.h"

#include <algorithm>
#include <string>

namespace {

// In pixels from the client area's top-left corner; client 231 x 114.
constexpr win32::ControlBox kControls[] = {
    {IDC_LBLMSG0, 15, 12, 38, 12},
    // 18 wide at 106.5 in the design, where digits are 6 pixels wide: the same centre, with room
    // for "100" in a wider font.
    {IDC_LBLQUALITY, 100, 12, 30, 12},
    {IDC_LBLMSG1, 15, 51, 36, 12},
    {IDC_LBLMSG2, 180, 51, 36, 12},
    {IDOK, 76, 87, 79, 19},
    {IDC_HSCQUALITY, 15, 33, 202, 16},
    {IDC_CHESHOW, 12, 66, 205, 16},
};

// A themed check box (common controls 6) draws its text in the theme's colour and ignores the
// WM_CTLCOLORSTATIC answer; without the theme the dark blue shows. uxtheme is not a KnownDLL: looked
// up in the system folder for this one call rather than imported.
void DrawWithoutTheme(HWND control) {
    static const auto setWindowTheme =
        win32::SystemFunction<HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR)>(L"uxtheme.dll", "SetWindowTheme");
    if (setWindowTheme)
        setWindowTheme(control, L"", L"");
}

class FrmConfig : public win32::Dialog {
public:
    FrmConfig()
        : Dialog(IDD_CONFIG,
                 {231, 114, kControls, RGB(46, 64, 109), static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))}) {}

private:
    int QualityValue() const { return GetScrollPos(Item(IDC_HSCQUALITY), SB_CTL); }
    // 0 unticked, 1 ticked, 2 indeterminate
    int ShowState() const { return static_cast<int>(SendMessageW(Item(IDC_CHESHOW), BM_GETCHECK, 0, 0)); }

    void OnInit() override {
        // A plain thumb (page 0, as a new scroll bar has), so every value from 1 to 100 can be reached.
        SetScrollRange(Item(IDC_HSCQUALITY), SB_CTL, core::kQualityMin, core::kQualityMax, FALSE);
        SetScrollPos(Item(IDC_HSCQUALITY), SB_CTL, core::QualityForDisplay(bytQuality), FALSE);
        hscQuality_Change();
        SendMessageW(Item(IDC_CHESHOW), BM_SETCHECK, core::ShowStateForDisplay(bytHideDialog), 0);
        DrawWithoutTheme(Item(IDC_CHESHOW));
    }

    // Also the scroll handler: the number follows the thumb while it is dragged.
    void hscQuality_Change() {
        SetDlgItemTextW(hWnd(), IDC_LBLQUALITY, core::DecimalText(unsigned(QualityValue())).c_str());
    }

    void hscQuality_Request(WORD request, int thumb) {
        int value = QualityValue();
        switch (request) {
        case SB_LINELEFT:
        case SB_PAGELEFT: // small and large change are both 1
            --value;
            break;
        case SB_LINERIGHT:
        case SB_PAGERIGHT:
            ++value;
            break;
        case SB_LEFT:
            value = core::kQualityMin;
            break;
        case SB_RIGHT:
            value = core::kQualityMax;
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            value = thumb;
            break;
        default:
            return;
        }
        // While dragging, the control draws the thumb itself.
        SetScrollPos(Item(IDC_HSCQUALITY), SB_CTL, std::clamp(value, core::kQualityMin, core::kQualityMax),
                     request != SB_THUMBTRACK);
        hscQuality_Change();
    }

    void cheShow_Click() {
        // Unticked becomes ticked; ticked and indeterminate become unticked.
        SendMessageW(Item(IDC_CHESHOW), BM_SETCHECK, ShowState() == BST_UNCHECKED ? BST_CHECKED : BST_UNCHECKED, 0);
    }

    void cmdSave_Click() {
        // The shared values first: they hold for the rest of the run even when the file cannot be written.
        bytQuality = static_cast<BYTE>(QualityValue());
        bytHideDialog = static_cast<BYTE>(ShowState());
        const std::wstring path = strAppPath + kSettingsFile;
        WriteSetting(path, L"Quality", static_cast<unsigned>(QualityValue()));
        WriteSetting(path, L"Show", static_cast<unsigned>(ShowState()));
        End();
    }

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) override {
        if (msg == WM_HSCROLL && reinterpret_cast<HWND>(lParam) == Item(IDC_HSCQUALITY))
            hscQuality_Request(LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
        else if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDOK)
            cmdSave_Click(); // also Enter, wherever the focus is: OK is the default button
        else if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_CHESHOW)
            cheShow_Click();
        else
            return false;
        result = TRUE;
        return true;
    }
};

} // namespace

void ShowQualityDialog() {
    FrmConfig frmConfig;
    frmConfig.ShowModal(frmMain.hWnd());
}
