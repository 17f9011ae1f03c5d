// Helpers shared by the tests: the build's programs, child processes and bounded waits.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// A file in the build tree's top directory (where Pikuto.exe lies), from the test's own location.
std::wstring BuildFile(const wchar_t* name);

// Pumps this thread's messages until `condition` holds or `timeoutMs` passes; returns the condition.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

// A child process that is always ended when the object goes.
class ChildProcess {
public:
    explicit ChildProcess(const std::wstring& commandLine, const wchar_t* directory = nullptr);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    DWORD Id() const { return info_.dwProcessId; }
    bool Running() const { return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }
    // Waits for the exit; false on timeout.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);

private:
    PROCESS_INFORMATION info_{};
};

// The first visible-or-not top-level window of `className` that belongs to process `pid`.
HWND FindProcessWindow(DWORD pid, const wchar_t* className);

// How long one driven step of a prompt (appearing, closing) may take.
inline constexpr DWORD kStepMs = 15000;

// A fresh scratch folder (the path ends with a backslash), removed with its files at the end.
struct TempDir {
    TempDir();
    ~TempDir();
    std::vector<std::wstring> Files() const; // names, in no particular order
    std::wstring path;
};

std::string ReadBytes(const std::wstring& path); // empty when missing

// Runs regsvr32 /s with these options on a DLL, given by a Windows path or by the build's Unix path
// (which Wine maps to drive Z:); true when it succeeded.
bool Regsvr32(const std::wstring& options, const std::wstring& dll);

// Runs `modal` on this thread while `drive` works its prompts from a helper thread; returns what
// `drive` returned. When `drive` fails, the helper closes this process's prompts, so a failed step
// ends the test instead of hanging it.
bool WhileModal(const std::function<void()>& modal, const std::function<bool()>& drive);

} // namespace testing_support
