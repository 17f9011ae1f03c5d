// The common Save As dialog, wide-character, with the three file types and PNG preselected.
#include "capture/save_dialog.h"

#include "win32/message_box.h"

#include <commdlg.h>

std::wstring ShowSaveDialog(HWND owner, BYTE& bytFilterIndex) {
    // Each string ends with one NUL and the list with one more.
    static const wchar_t filter[] = L"JPEG 形式 (*.jpg)\0*.jpg\0"
                                    L"Portable Network Graphics (*.png)\0*.png\0"
                                    L"Windows Bitmap (*.bmp)\0*.bmp\0";
    wchar_t file[256] = {};
    wchar_t fileTitle[256] = {};
    OPENFILENAMEW ofn{};
    // The 76-byte form: sizeof is larger where the headers add the Windows 2000 members.
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = 2;
    ofn.lpstrFile = file;
    ofn.nMaxFile = 256;
    ofn.lpstrFileTitle = fileTitle;
    ofn.nMaxFileTitle = 256;
    ofn.lpstrInitialDir = L"";
    ofn.lpstrTitle = kSaveDialogTitle;
    ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    // Empty, not null: a name typed without an extension gets the selected type's one.
    ofn.lpstrDefExt = L"";

    BOOL chosen;
    {
        win32::ModalScope scope;
        chosen = GetSaveFileNameW(&ofn);
    }
    bytFilterIndex = static_cast<BYTE>(ofn.nFilterIndex);
    // After a failure the buffer may hold anything (a required size, for a name too long): no path.
    if (!chosen)
        return L"";
    return std::wstring(file, wcsnlen(file, 256));
}
