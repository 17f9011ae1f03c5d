// Helpers shared by the tests: the build's programs, child processes and bounded waits.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

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

    bool Started() const { return info_.hProcess != nullptr; }
    DWORD Id() const { return info_.dwProcessId; }
    bool Running() const;
    // Waits for the exit; false on timeout.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);

private:
    PROCESS_INFORMATION info_{};
};

// The first visible-or-not top-level window of `className` that belongs to process `pid`.
HWND FindProcessWindow(DWORD pid, const wchar_t* className);

} // namespace testing_support
