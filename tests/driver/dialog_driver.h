// Works the program's modal prompts from outside their loops (another thread or another process):
// the Save As dialog, its overwrite question, the quality dialog and message boxes; and gives real
// keyboard and mouse input, as the user does.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace dialog_driver {

// Checks `condition` every 20 ms until it holds (true) or `timeoutMs` passes (false).
bool Poll(const std::function<bool()>& condition, DWORD timeoutMs);

// The first visible top-level window whose caption is `caption` (or begins with it, when `prefix`),
// of process `pid` (any when 0); null when there is none.
HWND FindCaption(const std::wstring& caption, bool prefix = false, DWORD pid = 0);

// The same with the exact caption, waited for up to `timeoutMs`; null when none came.
HWND WaitForCaption(const std::wstring& caption, DWORD timeoutMs, DWORD pid = 0);

// A visible dialog-class window (a message box, say) owned by `owner`, waited for; null when none came.
HWND WaitForOwnedDialog(HWND owner, DWORD timeoutMs);

// The text of a window, up to 1023 characters.
std::wstring Text(HWND window);

// The text of a message box.
std::wstring MessageBoxText(HWND box);

// Types a name into the Save As dialog's name box.
bool SetSaveName(HWND dialog, const std::wstring& name);

// Presses a button by its id, as a click does (IDOK is Save or OK, IDCANCEL Cancel, IDYES Yes).
// Posted, so it returns at once even when the press opens a prompt of its own.
bool PressButton(HWND window, int id);

// Closes a window as Alt+F4 does: the keystroke, which the window turns into SC_CLOSE.
bool PressAltF4(HWND window);

// The Save As dialog: waits for it, types `name`, picks `type` (1 the first; 0 leaves the selection)
// and presses Save; when `overwrite` is true and the dialog asks about an existing file, answers Yes.
// False when a step could not be done in time.
bool SaveAs(const std::wstring& name, int type, bool overwrite, DWORD timeoutMs, DWORD pid = 0);

// Presses and releases a key.
void Tap(BYTE vk);

// Moves the pointer to a screen point, with the buttons in `flags` (MOUSEEVENTF_LEFTDOWN, ...) there.
// Each press and release carries its own position: Wine's desktop process feeds pointer moves from
// the X server, sometimes late, and one of those between a move and a press would land the press
// elsewhere.
void MouseAt(POINT screen, DWORD flags = 0);

} // namespace dialog_driver
