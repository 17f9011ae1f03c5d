// The save command: the steps carried out with the capture, the prompts and the writers; the
// order of the steps is the core's.
#include "capture/save_command.h"

#include "capture/bmp_writer.h"
#include "capture/capture.h"
#include "capture/encoder_client.h"
#include "capture/save_dialog.h"
#include "core/save_flow.h"
#include "core/settings_text.h"
#include "state/shared_state.h"
#include "win32/handles.h"
#include "win32/message_box.h"

namespace capture {
Calls calls{ShowSaveDialog};
}

namespace {

core::OverlapAnswer AskOverlap() {
    switch (win32::MsgBox(kOverlapMessage, kOverlapFlags)) {
    case IDABORT:
        return core::OverlapAnswer::Abort;
    case IDRETRY:
        return core::OverlapAnswer::Retry;
    case IDIGNORE:
        return core::OverlapAnswer::Ignore;
    default:
        return core::OverlapAnswer::Closed;
    }
}

bool Write(PictureBuffer& picBuffer, core::FileType type, const std::wstring& path) {
    if (type == core::FileType::Bmp) {
        core::Pixels pixels;
        return SUCCEEDED(picBuffer.Pixels(pixels)) && SUCCEEDED(SaveBitmapFile(pixels, path));
    }
    win32::ComPtr<IPictureDisp> picture;
    if (FAILED(picBuffer.Image(picture.put())))
        return false;
    // bytQuality is read now, after the quality dialog.
    return SUCCEEDED(type == core::FileType::Jpeg ? SaveJpegThroughEncoder(picture.get(), path, bytQuality)
                                                  : SavePngThroughEncoder(picture.get(), path));
}

} // namespace

void SaveCommand(HWND camera, PictureBuffer& picBuffer, void (*showQualityDialog)()) {
    core::SaveSteps steps;
    steps.capture = [&] {
        picBuffer.Cls();
        return static_cast<core::CaptureResult>(CaptureCanvas(picBuffer.hDC()));
    };
    steps.askOverlap = AskOverlap;
    steps.chooseFile = [camera](std::wstring& path, core::FileType& type) {
        BYTE bytFilterIndex = 0;
        path = capture::calls.ShowSaveDialog(camera, bytFilterIndex);
        type = static_cast<core::FileType>(bytFilterIndex);
    };
    steps.qualityDialogSkipped = [] { return core::SkipsQualityDialog(bytHideDialog); };
    steps.askQuality = showQualityDialog;
    steps.write = [&](core::FileType type, const std::wstring& path) { return Write(picBuffer, type, path); };
    steps.tell = [](core::SaveMessage message) {
        if (message == core::SaveMessage::CannotSave)
            win32::MsgBox(kCannotSaveMessage, kCannotSaveFlags);
        else
            win32::MsgBox(kDllMessage, kDllFlags);
    };
    try {
        core::RunSaveCommand(steps);
    } catch (...) {
        // Any failure of the save (out of memory, most likely) ends in the one message.
        win32::MsgBox(kDllMessage, kDllFlags);
    }
}
