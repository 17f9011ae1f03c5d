// Drives a running Pikuto from outside, for the demo and the tests:
//   PikutoDriver menu save|config|about|exit   chooses a popup-menu item of the camera window
//   PikutoDriver wait <caption-prefix> <ms>     waits until a visible top-level window has that caption
//   PikutoDriver gone <caption-prefix> <ms>     waits until no visible top-level window has it
//   PikutoDriver close <caption-prefix>         asks that window to close
//   PikutoDriver click                          presses the left mouse button on the camera window
//   PikutoDriver saveas <path> jpeg|png|bmp     in the Save As dialog: types the name, picks the type,
//                                               presses Save, and Yes when asked to replace a file
//   PikutoDriver press <caption-prefix> ok|cancel|yes|no|abort|retry|ignore   presses that button
// Exit code 0 on success, 1 when the window is not there (in time), 2 on a usage error.
#include <windows.h>

#include "dialog_driver.h"
#include "forms/frmMain.h"

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

struct CaptionSearch {
    std::wstring prefix;
    HWND found = nullptr;
};

BOOL CALLBACK MatchCaption(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<CaptionSearch*>(param);
    wchar_t caption[256] = {};
    GetWindowTextW(hwnd, caption, 256);
    if (IsWindowVisible(hwnd) && std::wcsncmp(caption, search->prefix.c_str(), search->prefix.size()) == 0) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindByCaption(const wchar_t* prefix) {
    CaptionSearch search{prefix};
    EnumWindows(MatchCaption, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int Menu(wchar_t** args) {
    static const struct {
        const wchar_t* name;
        UINT id;
    } items[] = {{L"save", FrmMain::mnuSaveId},
                 {L"config", FrmMain::mnuConfigId},
                 {L"about", FrmMain::mnuAboutId},
                 {L"exit", FrmMain::mnuExitId}};
    for (const auto& item : items) {
        if (std::wcscmp(args[0], item.name) != 0)
            continue;
        HWND camera = FindWindowW(L"Pikuto.Camera", nullptr);
        return camera && PostMessageW(camera, WM_COMMAND, item.id, 0) ? 0 : 1;
    }
    return 2;
}

int WaitUntilShown(wchar_t** args, bool shown) {
    const DWORD timeout = static_cast<DWORD>(std::wcstoul(args[1], nullptr, 10));
    const DWORD start = GetTickCount();
    while ((FindByCaption(args[0]) != nullptr) != shown) {
        if (GetTickCount() - start > timeout)
            return 1;
        Sleep(50);
    }
    return 0;
}

int Wait(wchar_t** args) {
    return WaitUntilShown(args, true);
}
int Gone(wchar_t** args) {
    return WaitUntilShown(args, false);
}

int Close(wchar_t** args) {
    HWND window = FindByCaption(args[0]);
    return window && PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
}

int Click(wchar_t**) {
    HWND camera = FindWindowW(L"Pikuto.Camera", nullptr);
    const LPARAM middle = MAKELPARAM(24, 10); // client coordinates; the whole window takes the press
    return camera && PostMessageW(camera, WM_LBUTTONDOWN, MK_LBUTTON, middle) &&
                   PostMessageW(camera, WM_LBUTTONUP, 0, middle)
               ? 0
               : 1;
}

int SaveAs(wchar_t** args) {
    const wchar_t* types[] = {L"jpeg", L"png", L"bmp"};
    for (int type = 1; type <= 3; ++type)
        if (std::wcscmp(args[1], types[type - 1]) == 0)
            return dialog_driver::SaveAs(args[0], type, true, 15000) ? 0 : 1;
    return 2;
}

int Press(wchar_t** args) {
    static const struct {
        const wchar_t* name;
        int id;
    } buttons[] = {{L"ok", IDOK},       {L"cancel", IDCANCEL}, {L"yes", IDYES},      {L"no", IDNO},
                   {L"abort", IDABORT}, {L"retry", IDRETRY},   {L"ignore", IDIGNORE}};
    for (const auto& button : buttons)
        if (std::wcscmp(args[1], button.name) == 0) {
            HWND window = FindByCaption(args[0]);
            return window && dialog_driver::PressButton(window, button.id) ? 0 : 1;
        }
    return 2;
}

const struct {
    const wchar_t* name;
    int argumentCount;
    int (*run)(wchar_t** args);
} kCommands[] = {{L"menu", 1, Menu},   {L"wait", 2, Wait},     {L"gone", 2, Gone},  {L"close", 1, Close},
                 {L"click", 0, Click}, {L"saveas", 2, SaveAs}, {L"press", 2, Press}};

} // namespace

int wmain(int argc, wchar_t** argv) {
    for (const auto& command : kCommands)
        if (argc == command.argumentCount + 2 && std::wcscmp(argv[1], command.name) == 0)
            return command.run(argv + 2);
    std::fwprintf(stderr, L"usage: PikutoDriver menu save|config|about|exit | wait|gone <caption-prefix> <ms> | "
                          L"close <caption-prefix> | click | saveas <path> jpeg|png|bmp | "
                          L"press <caption-prefix> ok|cancel|yes|no|abort|retry|ignore\n");
    return 2;
}
