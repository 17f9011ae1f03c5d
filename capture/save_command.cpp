// The save command: capture, overlap question, Save As, quality dialog for JPEG, then the writer.
#include "capture/save_command.h"

#include "app/modMain.h"
#include "capture/bmp_writer.h"
#include "capture/capture.h"
#include "capture/com_ref.h"
#include "capture/encoder_client.h"
#include "forms/frmMain.h"

SaveCalls saveCalls;

namespace {

// False when something failed; the caller shows the one failure message.
bool RunSave(tk::PictureBox& picBuffer) {
    for (;;) {
        picBuffer.Cls();
        short result = CaptureCanvas(picBuffer.hDC());
        picBuffer.Refresh();
        if (result == 0) {
            tk::MsgBox(kCannotSaveMessage, kCannotSaveFlags);
            return true;
        }
        if (result == 2) {
            int answer = tk::MsgBox(kOverlapMessage, kOverlapFlags);
            if (answer == IDRETRY)
                continue;
            if (answer != IDIGNORE)
                return true;
        }
        break;
    }

    BYTE bytFilterIndex = 0;
    std::wstring path = saveCalls.ShowSaveDialog(bytFilterIndex);
    if (path.empty())
        return true;

    ComRef<IPictureDisp> picture;
    switch (bytFilterIndex) {
    case 1:
        if (bytHideDialog == 0)
            saveCalls.ShowQualityDialog();
        // bytQuality is read now, after the dialog.
        return SUCCEEDED(picBuffer.Image(&picture.p)) && SUCCEEDED(SaveJpegThroughEncoder(picture.p, path, bytQuality));
    case 2:
        return SUCCEEDED(picBuffer.Image(&picture.p)) && SUCCEEDED(SavePngThroughEncoder(picture.p, path));
    case 3:
        return SUCCEEDED(picBuffer.Image(&picture.p)) && SUCCEEDED(SaveBitmapFile(picture.p, path));
    default:
        return true;
    }
}

} // namespace

void FrmMain::mnuSave_Click() {
    // The camera window is disabled while any prompt is open, so this cannot normally re-enter;
    // a command already queued must not start a second save inside the first.
    static bool saving = false;
    if (saving)
        return;
    saving = true;
    bool ok;
    try {
        ok = RunSave(picBuffer);
    } catch (...) {
        ok = false;
    }
    if (!ok)
        tk::MsgBox(kDllMessage, kDllFlags);
    saving = false;
}
