// The save command's order of steps, apart from the dialogs and files that carry them out.
#include "core/save_flow.h"

namespace core {

void RunSaveCommand(const SaveSteps& steps) {
    for (;;) {
        CaptureResult result = steps.capture();
        if (result == kNothingCaptured) {
            steps.tell(SaveMessage::CannotSave);
            return;
        }
        if (result != kCapturedOverlapped)
            break;
        OverlapAnswer answer = steps.askOverlap();
        if (answer == OverlapAnswer::Retry)
            continue;
        if (answer != OverlapAnswer::Ignore)
            return;
        break;
    }
    std::wstring path;
    FileType type = FileType::None;
    steps.chooseFile(path, type);
    if (path.empty())
        return;
    switch (type) {
    case FileType::Jpeg:
        // The quality is read by the writer, after the dialog.
        if (!steps.qualityDialogSkipped())
            steps.askQuality();
        break;
    case FileType::Png:
    case FileType::Bmp:
        break;
    default:
        return;
    }
    if (!steps.write(type, path))
        steps.tell(SaveMessage::WriterFailed);
}

} // namespace core
