// The program's shared state: set at start-up, read and written by the tick, the capture and the
// dialogs, all on the one GUI thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// Which applet host the finder found: "NO", "VM" or "SUN".
extern std::wstring strMode;
extern HWND hwndCanvas;  // the canvas window whose pixels are copied
extern HWND hwndBrowser; // the browser's top-level window that holds the applet
extern HWND hwndChatLog; // the applet's chat log (a RichEdit20W control)
// Chat-log line counts. Held in 32 bits so that logs beyond 32,767 lines still flash on every change.
extern int32_t intLineCount;
extern int32_t intLastLineCount;
extern RECT rctLast;   // rctCanvas at the last docking move
extern RECT rctCanvas; // the canvas on the screen
extern BYTE bytQuality;
extern BYTE bytHideDialog;           // settings key "Show": nonzero skips the quality dialog before JPEG saves
extern std::wstring strAppPath;      // the program's directory, always ending in a backslash
extern std::vector<BYTE> bytShutter; // the shutter sound: a complete RIFF WAVE image

// The directory with exactly one trailing backslash; a drive root already has it.
std::wstring WithTrailingBackslash(const std::wstring& directory);
