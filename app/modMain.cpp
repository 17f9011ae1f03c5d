// Shared state, owned here, and the start-up procedure.
#include "app/modMain.h"

#include "app/settings.h"
#include "forms/frmMain.h"
#include "forms/toolkit.h"
#include "resources/resource_ids.h"

std::wstring strMode;
HWND hwndCanvas = nullptr;
HWND hwndBrowser = nullptr;
HWND hwndChatLog = nullptr;
int32_t intLineCount = 0;
int32_t intLastLineCount = 0;
RECT rctLast = {};
RECT rctCanvas = {};
BYTE bytQuality = 0;
BYTE bytHideDialog = 0;
std::wstring strAppPath;
std::vector<BYTE> bytShutter;

std::wstring WithTrailingBackslash(const std::wstring& directory) {
    if (!directory.empty() && directory.back() == L'\\')
        return directory;
    return directory + L'\\';
}

bool Main() {
    if (tk::PrevInstance())
        return false;
    bytShutter = tk::LoadResData(IDR_SHUTTER, L"WAVE");
    strMode = L"NO";
    strAppPath = WithTrailingBackslash(tk::AppPath());
    const std::wstring settings = strAppPath + kSettingsFile;
    bytQuality = ReadSetting(settings, L"Quality", 100);
    bytHideDialog = ReadSetting(settings, L"Show", 0);
    if (!frmMain.Load())
        return false;
    // Shown without taking the foreground: a browser already in front keeps it, and the
    // camera docks on the first tick.
    ShowWindow(frmMain.hWnd(), SW_SHOWNOACTIVATE);
    return true;
}
