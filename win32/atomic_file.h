// Writing a whole file so that a failed save never destroys the file already at that path.
#pragma once

#include <windows.h>

#include <string>

// Writes data to a temporary file beside path and moves it over path once it is complete. On
// failure an existing file at path is left as it was and no temporary file stays behind. Where
// the folder takes no temporary file, a path with no file yet is written directly (and removed
// again if that fails); an existing file is then left as it was and the write fails.
HRESULT WriteFileReplacing(const std::wstring& path, const void* data, size_t size);

// The absolute form of path with the \\?\ prefix, which lifts the MAX_PATH limit; empty on failure.
std::wstring ToLongPath(const std::wstring& path);
