// Shared by the Save As dialog and save command tests.
#include "test_save_support.h"

#include "driver/dialog_driver.h"

#include <atomic>
#include <fstream>
#include <iterator>
#include <thread>

namespace save_testing {

TempDir::TempDir() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static int serial = 0;
    path = std::wstring(base) + L"pikuto-save-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++serial) + L"\\";
    CreateDirectoryW(path.c_str(), nullptr);
}

TempDir::~TempDir() {
    for (const std::wstring& name : Files()) {
        SetFileAttributesW((path + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW((path + name).c_str());
    }
    RemoveDirectoryW(path.c_str());
}

std::vector<std::wstring> TempDir::Files() const {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream file(path.c_str(), std::ios::binary);
    file << bytes;
    return file.good();
}

namespace {

BOOL CALLBACK CloseOwnPrompt(HWND hwnd, LPARAM) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t caption[64] = {};
    GetWindowTextW(hwnd, caption, 64);
    if (pid == GetCurrentProcessId() && IsWindowVisible(hwnd) && std::wstring(caption).rfind(L"Pikuto", 0) == 0) {
        // Cancel ends the Save As dialog and the message boxes; WM_CLOSE the quality dialog.
        dialog_driver::PressButton(hwnd, IDCANCEL);
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
    }
    return TRUE;
}

} // namespace

bool WhileModal(const std::function<void()>& modal, const std::function<bool()>& drive) {
    std::atomic<bool> ok{false}, modalDone{false};
    std::thread helper([&] {
        ok = drive();
        if (ok)
            return;
        // Until the test thread is out of its prompts; each close may bring up the next one.
        for (DWORD start = GetTickCount(); !modalDone && GetTickCount() - start < 4 * kStepMs; Sleep(100))
            EnumWindows(CloseOwnPrompt, 0);
    });
    modal();
    modalDone = true;
    helper.join();
    return ok;
}

bool WaitGone(HWND window, DWORD timeoutMs) {
    for (DWORD start = GetTickCount(); IsWindow(window); Sleep(20))
        if (GetTickCount() - start >= timeoutMs)
            return false;
    return true;
}

} // namespace save_testing
