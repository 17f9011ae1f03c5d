// The Save As dialog for the captured picture.
#pragma once

#include <windows.h>

#include <string>

// Shows the dialog owned by `owner` (the camera window). Returns the chosen path, empty when the
// user cancelled or the dialog failed; bytFilterIndex gets the selected type (1 JPEG, 2 PNG, 3 BMP).
std::wstring ShowSaveDialog(HWND owner, BYTE& bytFilterIndex);

inline constexpr wchar_t kSaveDialogTitle[] = L"Pikuto - 保存";
