// The save command's order of steps, apart from the dialogs and files that carry them out.
#include "core/save_flow.h"

#include "core/version_text.h"

namespace core {

void RunSaveCommand(const SaveSteps& steps) {
    for (bool afterQuestion = false;; afterQuestion = true) {
        CaptureResult result = steps.capture(afterQuestion);
        if (result == kNothingCaptured) {
            steps.tell(SaveMessage::CannotSave);
            return;
        }
        Answer answer = Answer::Ignore;
        if (Overlapped(result))
            answer = steps.ask(Question::Overlap);
        if (answer == Answer::Ignore && OffView(result))
            answer = steps.ask(Question::OffView);
        if (answer == Answer::Retry)
            continue;
        if (answer != Answer::Ignore)
            return;
        break;
    }
    std::wstring path;
    FileType type = FileType::None;
    if (!steps.chooseFile(path, type)) {
        steps.tell(SaveMessage::CannotSave);
        return;
    }
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

std::wstring FreshFileName(const DateTime& t) {
    return L"pikuto_" + DecimalText(t.year, 4) + DecimalText(t.month, 2) + DecimalText(t.day, 2) + L'_' +
           DecimalText(t.hour, 2) + DecimalText(t.minute, 2) + DecimalText(t.second, 2);
}

} // namespace core
