// The quality dialog: layout, the scroll bar and the number that follows it, the check box and OK.
#include "forms/frmConfig.h"

#include "app/modMain.h"
#include "app/settings.h"
#include "forms/frmMain.h"

#include <algorithm>

namespace {

constexpr RECT Box(int left, int top, int width, int height) {
    return {left, top, left + width, top + height};
}

// The layout, in pixels from the client area's top-left corner.
constexpr int kClientWidth = 231, kClientHeight = 114;
constexpr RECT lblMsg0Box = Box(15, 12, 38, 12);
constexpr RECT lblQualityBox = Box(106, 12, 18, 12); // 106.5 rounded down: the text is centred in it anyway
constexpr RECT lblMsg1Box = Box(15, 51, 36, 12);
constexpr RECT lblMsg2Box = Box(180, 51, 36, 12);
constexpr RECT cmdSaveBox = Box(76, 87, 79, 19);
constexpr RECT hscQualityBox = Box(15, 33, 202, 16);
constexpr RECT cheShowBox = Box(12, 66, 205, 16);

constexpr COLORREF kWhite = RGB(255, 255, 255);

tk::Label DialogLabel(const RECT& rect, const wchar_t* caption, UINT align = DT_LEFT) {
    tk::Label label;
    label.rect = rect;
    label.caption = caption;
    label.align = align;
    label.foreColor = tk::kDarkBlue;
    label.transparent = false;
    label.backColor = kWhite;
    return label;
}

// A themed check box (common controls 6) draws its text in the theme's colour and ignores the
// WM_CTLCOLORSTATIC answer; without the theme the dark blue shows. Wine draws the colour either
// way. uxtheme is loaded here rather than linked, for this one call, from the system directory only.
void DrawWithoutTheme(HWND control) {
    using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    static const SetWindowThemeFn setWindowTheme = []() -> SetWindowThemeFn {
        wchar_t path[MAX_PATH];
        UINT length = GetSystemDirectoryW(path, MAX_PATH);
        if (length == 0 || length + 13 > MAX_PATH)
            return nullptr;
        lstrcatW(path, L"\\uxtheme.dll");
        HMODULE uxtheme = LoadLibraryW(path); // kept for the life of the process
        FARPROC proc = uxtheme ? GetProcAddress(uxtheme, "SetWindowTheme") : nullptr;
        return reinterpret_cast<SetWindowThemeFn>(reinterpret_cast<void (*)()>(proc));
    }();
    if (setWindowTheme)
        setWindowTheme(control, L"", L"");
}

} // namespace

void ShowQualityDialog() {
    FrmConfig frmConfig;
    frmConfig.ShowModal();
}

void FrmMain::mnuConfig_Click() {
    ShowQualityDialog();
}

tk::FormDefinition FrmConfig::Define() const {
    // A caption bar without buttons: no system menu. The tool-window style gives the small caption
    // and keeps the dialog off the taskbar.
    return {L"Pikuto.Config",
            L"Pikuto - JPEG 形式の圧縮率指定",
            WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN,
            WS_EX_TOOLWINDOW,
            kClientWidth,
            kClientHeight,
            kWhite,
            -1,
            true,
            nullptr};
}

void FrmConfig::CreateControls() {
    AddLabel(DialogLabel(lblMsg0Box, L"圧縮率:"));
    lblQuality = &AddLabel(DialogLabel(lblQualityBox, L"100", DT_CENTER));
    AddLabel(DialogLabel(lblMsg1Box, L"低容量"));
    AddLabel(DialogLabel(lblMsg2Box, L"高画質"));

    // Created in tab order; the dialog manager walks the children in creation order.
    auto add = [this](const wchar_t* cls, const wchar_t* text, DWORD style, const RECT& r, int id) {
        return AddControl(cls, text, WS_TABSTOP | style, r.left, r.top, r.right - r.left, r.bottom - r.top, id);
    };
    cmdSave = add(L"BUTTON", L"OK", BS_DEFPUSHBUTTON, cmdSaveBox, cmdSaveId);
    hscQuality = add(L"SCROLLBAR", L"", SBS_HORZ, hscQualityBox, hscQualityId);
    // Not an automatic three-state box: the user sets only ticked or unticked; the indeterminate
    // state appears only when a stored 2 is loaded.
    cheShow = add(L"BUTTON", L"保存時にこのウィンドウを表示しない", BS_3STATE, cheShowBox, cheShowId);
    DrawWithoutTheme(cheShow);

    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
    info.nMin = kQualityMin;
    info.nMax = kQualityMax;
    info.nPage = 0; // a plain thumb, so every value from 1 to 100 can be reached
    info.nPos = kQualityMax;
    SetScrollInfo(hscQuality, SB_CTL, &info, FALSE);
    focus_ = cmdSave;
}

void FrmConfig::Form_Load() {
    // Topmost, moved to the origin; the first show centres it.
    SetWindowPos(hWnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE);
    SetQualityValue(bytQuality);
    // Only a hand-edited file holds more than 2; any nonzero value skips the dialog, as a tick says.
    SendMessageW(cheShow, BM_SETCHECK, bytHideDialog <= BST_INDETERMINATE ? bytHideDialog : BST_CHECKED, 0);
}

int FrmConfig::QualityValue() const {
    return GetScrollPos(hscQuality, SB_CTL);
}

int FrmConfig::ShowState() const {
    return static_cast<int>(SendMessageW(cheShow, BM_GETCHECK, 0, 0));
}

void FrmConfig::SetQualityValue(int value) {
    value = std::clamp(value, kQualityMin, kQualityMax);
    if (value == QualityValue())
        return;
    SetScrollPos(hscQuality, SB_CTL, value, TRUE);
    hscQuality_Change();
}

void FrmConfig::ShowValue() {
    lblQuality->caption = std::to_wstring(QualityValue());
    InvalidateRect(hWnd(), &lblQuality->rect, TRUE);
}

void FrmConfig::hscQuality_Change() {
    ShowValue();
}

void FrmConfig::hscQuality_Scroll() {
    ShowValue();
}

void FrmConfig::hscQuality_Request(int request, int thumb) {
    const int value = QualityValue();
    thumb = std::clamp(thumb, kQualityMin, kQualityMax);
    switch (request) {
    case SB_LINELEFT:
        SetQualityValue(value - kSmallChange);
        break;
    case SB_LINERIGHT:
        SetQualityValue(value + kSmallChange);
        break;
    case SB_PAGELEFT:
        SetQualityValue(value - kLargeChange);
        break;
    case SB_PAGERIGHT:
        SetQualityValue(value + kLargeChange);
        break;
    case SB_LEFT:
        SetQualityValue(kQualityMin);
        break;
    case SB_RIGHT:
        SetQualityValue(kQualityMax);
        break;
    case SB_THUMBTRACK:
        // The control draws the dragged thumb itself; the value follows it so the number can.
        SetScrollPos(hscQuality, SB_CTL, thumb, FALSE);
        hscQuality_Scroll();
        break;
    case SB_THUMBPOSITION:
        // The end of a drag is a change even when the thumb came back to where it started.
        SetScrollPos(hscQuality, SB_CTL, thumb, TRUE);
        hscQuality_Change();
        break;
    }
}

void FrmConfig::cheShow_Click() {
    // Unticked becomes ticked; ticked and indeterminate become unticked, as an automatic
    // three-state box leaves its indeterminate state.
    SendMessageW(cheShow, BM_SETCHECK, ShowState() == BST_UNCHECKED ? BST_CHECKED : BST_UNCHECKED, 0);
}

void FrmConfig::cmdSave_Click() {
    // The shared values first: they hold for the rest of the run even when the file cannot be written.
    bytQuality = static_cast<BYTE>(QualityValue());
    bytHideDialog = static_cast<BYTE>(ShowState());
    const std::wstring path = strAppPath + kSettingsFile;
    WriteSetting(path, L"Quality", static_cast<unsigned>(QualityValue()));
    WriteSetting(path, L"Show", static_cast<unsigned>(ShowState()));
    Unload();
}

void FrmConfig::OnCommand(WORD id, WORD code, HWND) {
    if (code != BN_CLICKED)
        return;
    if (id == cmdSaveId)
        cmdSave_Click();
    else if (id == cheShowId)
        cheShow_Click();
}

bool FrmConfig::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_HSCROLL:
        if (reinterpret_cast<HWND>(lParam) != hscQuality)
            return false;
        hscQuality_Request(LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
        result = 0;
        return true;
    case DM_GETDEFID:
        // Enter presses OK wherever the focus is.
        result = MAKELRESULT(cmdSaveId, DC_HASDEFID);
        return true;
    case WM_ACTIVATE:
        // A plain window, not a dialog: keep the focus on a control across activations ourselves.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(hWnd(), focus))
                focus_ = focus;
        } else if (focus_) {
            SetFocus(focus_);
        }
        result = 0;
        return true;
    }
    return false;
}
