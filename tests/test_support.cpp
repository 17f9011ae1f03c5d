// Shared test helpers.
#include "test_support.h"

#include <gtest/gtest.h>
#include <ole2.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace testing_support {

std::wstring BuildFile(const wchar_t* name) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH); // BUILD\tests\test_....exe
    return (std::filesystem::path(self).parent_path().parent_path() / name).wstring();
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    for (DWORD start = GetTickCount(); !condition(); MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT)) {
        if (GetTickCount() - start >= timeoutMs)
            return condition();
        for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); DispatchMessageW(&msg))
            TranslateMessage(&msg);
    }
    return true;
}

ChildProcess::ChildProcess(const std::wstring& commandLine, const wchar_t* directory) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    std::wstring line = commandLine; // CreateProcessW may write into it
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, directory, &startup, &info_))
        info_ = {};
}

ChildProcess::~ChildProcess() {
    if (Running() && TerminateProcess(info_.hProcess, 1))
        WaitForSingleObject(info_.hProcess, 5000);
    CloseHandle(info_.hThread); // both null when the start failed: refused, harmlessly
    CloseHandle(info_.hProcess);
}

bool ChildProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
    const bool ended = info_.hProcess && WaitUntil([this] { return !Running(); }, timeoutMs);
    return ended && (!exitCode || GetExitCodeProcess(info_.hProcess, exitCode));
}

HWND FindProcessWindow(DWORD pid, const wchar_t* className) {
    for (HWND hwnd = nullptr; (hwnd = FindWindowExW(nullptr, hwnd, className, nullptr)) != nullptr;) {
        DWORD owner = 0;
        if (GetWindowThreadProcessId(hwnd, &owner) && owner == pid)
            return hwnd;
    }
    return nullptr;
}

// Every test program runs on a single-threaded apartment, as the program's GUI thread does.
struct OleEnvironment : ::testing::Environment {
    void SetUp() override { OleInitialize(nullptr); }
    void TearDown() override { OleUninitialize(); }
};
static ::testing::Environment* const oleEnvironment = ::testing::AddGlobalTestEnvironment(new OleEnvironment);

TempDir::TempDir() {
    static int serial = 0;
    const std::wstring name = L"pikuto-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
    path = (std::filesystem::temp_directory_path() / name).wstring() + L"\\";
    CreateDirectoryW(path.c_str(), nullptr);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::vector<std::wstring> TempDir::Files() const {
    std::vector<std::wstring> names;
    for (const auto& entry : std::filesystem::directory_iterator(path))
        names.push_back(entry.path().filename().wstring());
    return names;
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

bool Regsvr32(const std::wstring& options, const std::wstring& dll) {
    wchar_t full[MAX_PATH];
    GetFullPathNameW(dll.c_str(), MAX_PATH, full, nullptr);
    DWORD code = 1;
    return ChildProcess(L"regsvr32.exe /s " + options + L" \"" + full + L"\"").WaitForExit(60000, &code) && code == 0;
}

// Cancel ends the Save As dialog and most message boxes, Abort the overlap question, WM_CLOSE the
// others.
BOOL CALLBACK ClosePrompt(HWND window, LPARAM) {
    PostMessageW(window, WM_COMMAND, GetDlgItem(window, IDABORT) ? IDABORT : IDCANCEL, 0);
    return PostMessageW(window, WM_CLOSE, 0, 0);
}

bool WhileModal(const std::function<void()>& modal, const std::function<bool()>& drive) {
    std::atomic<bool> ok{false}, modalDone{false};
    const DWORD thread = GetCurrentThreadId();
    std::thread helper([&] {
        if ((ok = drive()))
            return;
        // Each close may bring up the next prompt, so go on until the test thread is out of them all.
        // Its other windows close too: the test has failed already.
        for (DWORD start = GetTickCount(); !modalDone && GetTickCount() - start < 4 * kStepMs; Sleep(100))
            EnumThreadWindows(thread, ClosePrompt, 0);
    });
    modal();
    modalDone = true;
    helper.join();
    return ok;
}

} // namespace testing_support
