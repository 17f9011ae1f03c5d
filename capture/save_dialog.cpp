// The common Save As dialog, wide-character, with the three file types and PNG preselected.
#include "capture/save_dialog.h"

#include "win32/message_box.h"

#include <commdlg.h>

SaveAsChoice ShowSaveDialog(HWND owner, const std::wstring& proposedName) {
    // Each string ends with one NUL and the list with one more.
    static const wchar_t filter[] = L"JPEG 形式 (*.jpg)\0*.jpg\0"
                                    L"Portable Network Graphics (*.png)\0*.png\0"
                                    L"Windows Bitmap (*.bmp)\0*.bmp\0";
    // A name of 256 to 260 characters fails with FNERR_BUFFERTOOSMALL. Wine's own dialog faults on
    // 261 or more, inside its code and whatever buffer it is given: nothing of ours can catch that.
    wchar_t file[256] = {};
    wchar_t fileTitle[256] = {};
    proposedName.copy(file, 255); // the dialog opens with it, selected, so typing replaces it
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

    SaveAsChoice choice;
    {
        win32::ModalScope scope;
        if (GetSaveFileNameW(&ofn))
            choice.outcome = SaveAsOutcome::Chosen;
        else if (CommDlgExtendedError() != 0)
            choice.outcome = SaveAsOutcome::Failed;
    }
    choice.bytFilterIndex = static_cast<BYTE>(ofn.nFilterIndex);
    // After a failure the buffer may hold anything (a required size, for a name too long): no path.
    if (choice.outcome == SaveAsOutcome::Chosen)
        choice.path.assign(file, wcsnlen(file, 256));
    return choice;
}
