// The Save As dialog for the captured picture.
#pragma once

#include <windows.h>

#include <string>

enum class SaveAsOutcome { Cancelled, Chosen, Failed };

struct SaveAsChoice {
    SaveAsOutcome outcome = SaveAsOutcome::Cancelled;
    std::wstring path;       // the chosen path; empty unless Chosen
    BYTE bytFilterIndex = 0; // the selected type (1 JPEG, 2 PNG, 3 BMP), after a cancel too
};

// Shows the dialog owned by `owner` (the camera window) with `proposedName` in its name field.
// Failed: the dialog could not hand back a name (one too long for its buffer, say), which the
// caller must not take for a cancel.
SaveAsChoice ShowSaveDialog(HWND owner, const std::wstring& proposedName);

inline constexpr wchar_t kSaveDialogTitle[] = L"Pikuto - 保存";
