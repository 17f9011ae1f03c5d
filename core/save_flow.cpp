// The save command's order of steps, apart from the dialogs and files that carry them out.
#include "core/save_flow.h"

#include <cwchar>

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
    wchar_t name[64];
    std::swprintf(name, 64, L"pikuto_%04u%02u%02u_%02u%02u%02u", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return name;
}

} // namespace core
