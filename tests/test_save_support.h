// Shared by the Save As dialog and save command tests: a scratch folder, file bytes, and prompts
// worked from a helper thread while the test thread waits in them.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace save_testing {

// How long one driven step (a prompt appearing, a dialog closing) may take.
inline constexpr DWORD kStepMs = 15000;

// A scratch folder, emptied and removed at the end.
struct TempDir {
    TempDir();
    ~TempDir();
    std::vector<std::wstring> Files() const; // names, in no particular order
    std::wstring path;                       // ends with a backslash
};

std::string ReadBytes(const std::wstring& path); // empty when missing
bool WriteBytes(const std::wstring& path, const std::string& bytes);

// Runs `modal` on this thread while `drive` runs on a helper thread; returns what `drive` returned.
// When `drive` fails, the helper closes whatever prompt of this process is still open, so a failed
// step ends the test instead of hanging it.
bool WhileModal(const std::function<void()>& modal, const std::function<bool()>& drive);

// Waits (bounded) until `window` is gone.
bool WaitGone(HWND window, DWORD timeoutMs = kStepMs);

} // namespace save_testing
