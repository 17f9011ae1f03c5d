// Shared test helpers.
#include "test_support.h"

#include <gtest/gtest.h>
#include <ole2.h>

namespace testing_support {

std::wstring BuildFile(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring self(path, length);
    std::wstring dir = self.substr(0, self.find_last_of(L'\\')); // .../tests
    dir = dir.substr(0, dir.find_last_of(L'\\'));                 // the build tree
    return dir + L'\\' + name;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return condition();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

ChildProcess::ChildProcess(const std::wstring& commandLine, const wchar_t* directory) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    std::wstring mutableLine = commandLine;
    if (!CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, directory, &startup,
                        &info_))
        info_ = {};
}

ChildProcess::~ChildProcess() {
    if (!info_.hProcess)
        return;
    if (Running()) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

bool ChildProcess::Running() const {
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool ChildProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
    if (!info_.hProcess)
        return false;
    if (!WaitUntil([this] { return !Running(); }, timeoutMs))
        return false;
    if (exitCode)
        GetExitCodeProcess(info_.hProcess, exitCode);
    return true;
}

HWND FindProcessWindow(DWORD pid, const wchar_t* className) {
    HWND hwnd = nullptr;
    while ((hwnd = FindWindowExW(nullptr, hwnd, className, nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == pid)
            return hwnd;
    }
    return nullptr;
}

// Every test program runs on a single-threaded apartment, as the program's GUI thread does.
class OleEnvironment : public ::testing::Environment {
public:
    void SetUp() override { OleInitialize(nullptr); }
    void TearDown() override { OleUninitialize(); }
};
static ::testing::Environment* const oleEnvironment = ::testing::AddGlobalTestEnvironment(new OleEnvironment);

} // namespace testing_support
