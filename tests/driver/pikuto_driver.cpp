// Drives a running Pikuto from outside, for the demo and the tests:
//   PikutoDriver menu save|config|about|exit   chooses a popup-menu item of the camera window
//   PikutoDriver wait <caption-prefix> <ms>     waits until a visible top-level window has that caption
//   PikutoDriver gone <caption-prefix> <ms>     waits until no visible top-level window has it
//   PikutoDriver close <caption-prefix>         asks that window to close
//   PikutoDriver click                          presses the left mouse button on the camera window
//   PikutoDriver saveas <path> jpeg|png|bmp     in the Save As dialog: types the name, picks the type,
//                                               presses Save, and Yes when asked to replace a file
//   PikutoDriver press <caption-prefix> ok|cancel|abort|retry|ignore|yes|no   presses that button
// Exit code 0 on success, 1 when the window is not there (in time), 2 on a usage error.
#include <windows.h>

#include "dialog_driver.h"
#include "resources/resource_ids.h"

#include <cstdio>
#include <cwchar>
#include <string>

namespace drv = dialog_driver;

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"", a = argc > 2 ? argv[2] : L"", b = argc > 3 ? argv[3] : L"";
    const HWND camera = FindWindowW(L"Pikuto.Camera", nullptr), window = drv::FindCaption(a, true);
    const wchar_t *items[] = {L"save", L"config", L"about", L"exit"}, *types[] = {L"jpeg", L"png", L"bmp"},
                  *buttons[] = {L"ok", L"cancel", L"abort", L"retry", L"ignore", L"yes", L"no"}; // IDOK to IDNO
    const UINT ids[] = {IDM_SAVE, IDM_CONFIG, IDM_ABOUT, IDM_EXIT};
    for (int i = 0; command == L"menu" && argc == 3 && i < 4; ++i)
        if (a == items[i])
            return !(camera && PostMessageW(camera, WM_COMMAND, ids[i], 0));
    if ((command == L"wait" || command == L"gone") && argc == 4)
        return !(drv::Poll([&] { return (drv::FindCaption(a, true) != nullptr) == (command == L"wait"); },
                           std::wcstoul(b.c_str(), nullptr, 10)));
    if (command == L"close" && argc == 3)
        return !(window && PostMessageW(window, WM_CLOSE, 0, 0));
    if (command == L"click" && argc == 2)
        return !(camera && PostMessageW(camera, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(24, 10)) && // the middle
                 PostMessageW(camera, WM_LBUTTONUP, 0, MAKELPARAM(24, 10)));
    for (int type = 1; command == L"saveas" && argc == 4 && type <= 3; ++type)
        if (b == types[type - 1])
            return !(drv::SaveAs(a, type, true, 15000));
    for (int id = IDOK; command == L"press" && argc == 4 && id <= IDNO; ++id)
        if (b == buttons[id - 1])
            return !(window && drv::PressButton(window, id));
    std::fwprintf(stderr, L"usage: PikutoDriver menu save|config|about|exit | wait|gone <caption-prefix> <ms> | "
                          L"close <caption-prefix> | click | saveas <path> jpeg|png|bmp | "
                          L"press <caption-prefix> ok|cancel|abort|retry|ignore|yes|no\n");
    return 2;
}
