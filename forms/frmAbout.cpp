// The About box: layout, version line and the logo's link to the web page.
#include "forms/frmAbout.h"

#include "forms/frmMain.h"
#include "resources/resource_ids.h"

AboutCalls aboutCalls;

namespace {

constexpr RECT Box(int left, int top, int width, int height) {
    return {left, top, left + width, top + height};
}

// The layout, in pixels from the client area's top-left corner.
constexpr int kClientWidth = 317, kClientHeight = 189;
constexpr RECT imgLogoBox = Box(8, 3, 300, 150);
constexpr RECT lblMsg0Box = Box(16, 156, 293, 12);
constexpr RECT lblVerBox = Box(15, 171, 86, 12);
constexpr RECT lblMsg2Box = Box(183, 171, 122, 12);

constexpr wchar_t kRightsNotice[] = L"Copyright © 2024 The Pikuto Developers";
// The JPEG encoder builds on the IJG's code, whose licence asks for this acknowledgement.
constexpr wchar_t kSecondNotice[] = L"JPEG: libjpeg © IJG";

tk::Label AboutLabel(const RECT& rect, const wchar_t* caption, UINT align) {
    tk::Label label;
    label.rect = rect;
    label.caption = caption;
    label.align = align;
    label.foreColor = tk::kDarkBlue;
    label.transparent = true;
    return label;
}

} // namespace

std::wstring VersionLine(const tk::Version& version) {
    return L"Version: " + std::to_wstring(version.major) + L"." + std::to_wstring(version.minor) + L"." +
           std::to_wstring(version.revision);
}

void ShowAboutBox() {
    FrmAbout frmAbout;
    frmAbout.ShowModal();
}

void FrmMain::mnuAbout_Click() {
    ShowAboutBox();
}

tk::FormDefinition FrmAbout::Define() const {
    // A tool window's caption shows only the close button, whatever the system menu holds.
    return {L"Pikuto.About",
            tk::kAppTitle,
            WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
            WS_EX_TOOLWINDOW,
            kClientWidth,
            kClientHeight,
            0,
            COLOR_WINDOW,
            true,
            nullptr};
}

void FrmAbout::CreateControls() {
    logo_ = tk::Picture::FromResource(IDR_LOGO, L"GIF");
    tk::Image imgLogo;
    imgLogo.rect = imgLogoBox;
    imgLogo.picture = logo_.get();
    // A shared resource cursor: the system frees it, not us.
    imgLogo.mousePointer = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_HANDPOINT));
    imgLogo.Click = [this] { imgLogo_Click(); };
    AddImage(imgLogo);
    AddLabel(AboutLabel(lblMsg0Box, kRightsNotice, DT_RIGHT));
    lblVer = &AddLabel(AboutLabel(lblVerBox, L"", DT_LEFT));
    AddLabel(AboutLabel(lblMsg2Box, kSecondNotice, DT_RIGHT));
}

void FrmAbout::Form_Load() {
    // Topmost, moved to the origin; the first show centres it.
    SetWindowPos(hWnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE);
    tk::Version version{};
    if (tk::AppVersion(version))
        lblVer->caption = VersionLine(version);
}

void FrmAbout::imgLogo_Click() {
    // The result is not looked at: with no browser or no network the box simply stays as it is.
    aboutCalls.ShellExecute(hWnd(), L"Open", kWebAddress, nullptr, tk::AppPath().c_str(), SW_SHOWNORMAL);
}
