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

core::Answer Ask(core::Question question) {
    switch (win32::MsgBox(question == core::Question::Overlap ? kOverlapMessage : kOffViewMessage, kOverlapFlags)) {
    case IDABORT:
        return core::Answer::Abort;
    case IDRETRY:
        return core::Answer::Retry;
    case IDIGNORE:
        return core::Answer::Ignore;
    default:
        return core::Answer::Closed;
    }
}

// The name Save As proposes: the local time of the click.
std::wstring ProposedName() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return core::FreshFileName({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond});
}

} // namespace

bool WritePicture(PictureBuffer& picBuffer, core::FileType type, const std::wstring& path) {
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

void SaveCommand(HWND camera, PictureBuffer& picBuffer, void (*showQualityDialog)()) {
    const std::wstring proposedName = ProposedName();
    core::SaveSteps steps;
    steps.capture = [&](bool afterQuestion) {
        picBuffer.Cls();
        return static_cast<core::CaptureResult>(CaptureCanvas(picBuffer.hDC(), afterQuestion));
    };
    steps.ask = Ask;
    steps.chooseFile = [&](std::wstring& path, core::FileType& type) {
        SaveAsChoice choice = capture::calls.ShowSaveDialog(camera, proposedName);
        path = choice.path;
        type = static_cast<core::FileType>(choice.bytFilterIndex);
        return choice.outcome != SaveAsOutcome::Failed;
    };
    steps.qualityDialogSkipped = [] { return core::SkipsQualityDialog(bytHideDialog); };
    steps.askQuality = showQualityDialog;
    steps.write = [&](core::FileType type, const std::wstring& path) { return WritePicture(picBuffer, type, path); };
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
