// The save command's branching: capture, the questions, file choice, quality dialog, writer.
// The platform supplies each step; this decides which comes next.
#pragma once

#include "core/occlusion.h"

#include <cstdint>
#include <functional>
#include <string>

namespace core {

// The Save As dialog's file types, by filter index.
enum class FileType : uint8_t { None = 0, Jpeg = 1, Png = 2, Bmp = 3 };

// The two questions about a captured picture: a window lay over the canvas, or part of it was not on view.
enum class Question { Overlap, OffView };

// Their answers (Abort, Retry, Ignore); Closed for a box that went away otherwise.
enum class Answer { Abort, Retry, Ignore, Closed };

// The two messages the command can end with.
enum class SaveMessage { CannotSave, WriterFailed };

struct SaveSteps {
    // True when a question box has just closed: the canvas may still be repainting under it.
    std::function<CaptureResult(bool afterQuestion)> capture;
    std::function<Answer(Question)> ask;
    // Fills path and type; an empty path means the user cancelled. False when the dialog failed.
    std::function<bool(std::wstring& path, FileType& type)> chooseFile;
    // Opens the quality dialog before a JPEG save; reads the setting that says whether to.
    std::function<bool()> qualityDialogSkipped;
    std::function<void()> askQuality;
    std::function<bool(FileType type, const std::wstring& path)> write;
    std::function<void(SaveMessage)> tell;
};

// Runs one save command through the steps. Nothing captured, or a Save As dialog that failed,
// tells "cannot save"; a failed write tells the writer failure; an abort or a cancel ends silently.
// Overlap is asked before off view; Retry captures again and asks again.
void RunSaveCommand(const SaveSteps& steps);

// A local date and time, as the clock gives it.
struct DateTime {
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// The name Save As proposes for a picture taken at `t`: pikuto_YYYYMMDD_HHMMSS.
std::wstring FreshFileName(const DateTime& t);

} // namespace core
