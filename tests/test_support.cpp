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
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring self(path, length);
    std::wstring dir = self.substr(0, self.find_last_of(L'\\')); // .../tests
    dir = dir.substr(0, dir.find_last_of(L'\\'));                // the build tree
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
    if (!CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, directory, &startup, &info_))
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

TempDir::TempDir() {
    static int serial = 0;
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    path = base + (L"pikuto-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial) + L"\\");
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
    ChildProcess run(L"regsvr32.exe /s " + options + L" \"" + full + L"\"");
    DWORD code = 1;
    return run.WaitForExit(60000, &code) && code == 0;
}

bool WhileModal(const std::function<void()>& modal, const std::function<bool()>& drive) {
    std::atomic<bool> ok{false}, modalDone{false};
    std::thread helper([&] {
        if ((ok = drive()))
            return;
        // Cancel ends the Save As dialog and most message boxes, Abort the overlap question, WM_CLOSE
        // the others; each close may bring up the next prompt, so go on until the test thread is
        // out of them all.
        for (DWORD start = GetTickCount(); !modalDone && GetTickCount() - start < 4 * kStepMs; Sleep(100))
            for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, nullptr, nullptr)) != nullptr;) {
                DWORD pid = 0;
                wchar_t caption[8] = {};
                GetWindowThreadProcessId(w, &pid);
                InternalGetWindowText(w, caption, 8); // sends nothing: the test thread may no longer answer
                if (pid == GetCurrentProcessId() && IsWindowVisible(w) &&
                    std::wstring(caption).rfind(L"Pikuto", 0) == 0) {
                    PostMessageW(w, WM_COMMAND, GetDlgItem(w, IDABORT) ? IDABORT : IDCANCEL, 0);
                    PostMessageW(w, WM_CLOSE, 0, 0);
                }
            }
    });
    modal();
    modalDone = true;
    helper.join();
    return ok;
}

} // namespace testing_support
