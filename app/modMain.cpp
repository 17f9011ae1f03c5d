// Start-up: the single-instance guard, the shutter sound, the settings, and the camera window.
#include "app/modMain.h"

#include "forms/frmMain.h"
#include "resources/resource_ids.h"
#include "state/settings.h"
#include "state/shared_state.h"
#include "win32/app_info.h"

bool Main() {
    if (win32::PrevInstance())
        return false;
    bytShutter = win32::LoadResData(IDR_SHUTTER, L"WAVE");
    strMode = L"NO";
    strAppPath = WithTrailingBackslash(win32::AppPath());
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
