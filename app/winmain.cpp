// Process entry: start-up, then the GUI thread's message loop until the last window is gone.
#include <windows.h>
#include <ole2.h>

#include "app/modMain.h"
#include "win32/system_library.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Before anything can load a DLL: nothing from the program's folder or the current directory.
    win32::RestrictDllSearchToSystem();
    // A single-threaded apartment: the common dialogs and the encoder objects need it.
    if (FAILED(OleInitialize(nullptr)))
        return 1;
    int exitCode = 0;
    if (Main()) {
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        exitCode = static_cast<int>(msg.wParam);
    }
    OleUninitialize();
    return exitCode;
}
