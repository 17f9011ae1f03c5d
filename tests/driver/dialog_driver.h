// Works the program's modal prompts from outside their loops (another thread or another process):
// the Save As dialog, its overwrite question, the quality dialog and message boxes.
#pragma once

#include <windows.h>

#include <string>

namespace dialog_driver {

// Control ids of the common Save As dialog's own template.
inline constexpr int kFileNameBox = 0x47c; // cmb13: under Wine a ComboBoxEx whose inner edit takes the text
inline constexpr int kFileTypeBox = 0x470; // cmb1

// The first visible top-level window with exactly this caption, of process `pid` (any when 0),
// waited for up to `timeoutMs`; null when none came.
HWND WaitForCaption(const std::wstring& caption, DWORD timeoutMs, DWORD pid = 0);

// A visible message box (or other dialog-class window) owned by `owner`, waited for; null when none came.
HWND WaitForOwnedDialog(HWND owner, DWORD timeoutMs);

// The text of a message box.
std::wstring MessageBoxText(HWND box);

// Types a name into the Save As dialog's name box.
bool SetSaveName(HWND dialog, const std::wstring& name);

// Picks entry `index` (1 the first) of the type list, as a user's choice does.
bool SelectSaveType(HWND dialog, int index);

// Presses a button by its id, as a click does (IDOK is Save or OK, IDCANCEL Cancel, IDYES Yes).
// Posted, so it returns at once even when the press opens a prompt of its own.
bool PressButton(HWND window, int id);

// Closes a window as Alt+F4 does: the keystroke, which the window turns into SC_CLOSE.
bool PressAltF4(HWND window);

// The Save As dialog: waits for it, types `name`, picks `type` (0 leaves the selection) and presses
// Save; when `overwrite` is true and the dialog asks about an existing file, answers Yes.
// False when a step could not be done in time.
bool SaveAs(const std::wstring& name, int type, bool overwrite, DWORD timeoutMs, DWORD pid = 0);

} // namespace dialog_driver
