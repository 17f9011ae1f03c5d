// The save command's branching: capture, overlap question, file choice, quality dialog, writer.
// The platform supplies each step; this decides which comes next.
#pragma once

#include "core/occlusion.h"

#include <cstdint>
#include <functional>
#include <string>

namespace core {

// The Save As dialog's file types, by filter index.
enum class FileType : uint8_t { None = 0, Jpeg = 1, Png = 2, Bmp = 3 };

// The overlap question's answers (Abort, Retry, Ignore); Closed for a box that went away otherwise.
enum class OverlapAnswer { Abort, Retry, Ignore, Closed };

// The two messages the command can end with.
enum class SaveMessage { CannotSave, WriterFailed };

struct SaveSteps {
    std::function<CaptureResult()> capture;
    std::function<OverlapAnswer()> askOverlap;
    // Fills path and type; an empty path means the user cancelled.
    std::function<void(std::wstring& path, FileType& type)> chooseFile;
    // Opens the quality dialog before a JPEG save; reads the setting that says whether to.
    std::function<bool()> qualityDialogSkipped;
    std::function<void()> askQuality;
    std::function<bool(FileType type, const std::wstring& path)> write;
    std::function<void(SaveMessage)> tell;
};

// Runs one save command through the steps. Nothing captured tells "cannot save"; a failed write
// tells the writer failure; an abort or a cancel ends silently.
void RunSaveCommand(const SaveSteps& steps);

} // namespace core
