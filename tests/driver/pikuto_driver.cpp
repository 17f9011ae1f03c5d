// Drives a running Pikuto from outside, for the demo and the tests:
//   PikutoDriver menu save|config|about|exit   chooses a popup-menu item of the camera window
//   PikutoDriver wait <caption-prefix> <ms>     waits until a visible top-level window has that caption
//   PikutoDriver gone <caption-prefix> <ms>     waits until no visible top-level window has it
//   PikutoDriver close <caption-prefix>         asks that window to close
// Exit code 0 on success, 1 when the window is not there (in time), 2 on a usage error.
#include <windows.h>

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

const struct {
    const wchar_t* name;
    int argumentCount;
    int (*run)(wchar_t** args);
} kCommands[] = {{L"menu", 1, Menu}, {L"wait", 2, Wait}, {L"gone", 2, Gone}, {L"close", 1, Close}};

} // namespace

int wmain(int argc, wchar_t** argv) {
    for (const auto& command : kCommands)
        if (argc == command.argumentCount + 2 && std::wcscmp(argv[1], command.name) == 0)
            return command.run(argv + 2);
    std::fwprintf(stderr, L"usage: PikutoDriver menu save|config|about|exit | wait|gone <caption-prefix> <ms> | "
                          L"close <caption-prefix>\n");
    return 2;
}
