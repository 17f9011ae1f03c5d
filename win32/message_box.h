// Message boxes titled "Pikuto", and keeping the program's windows from input while one is open.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace win32 {

// Disables every enabled top-level window of this thread (but `except`) and enables them again
// at the end: what a modal prompt owned by no window needs.
class ModalScope {
public:
    explicit ModalScope(HWND except = nullptr);
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

private:
    std::vector<HWND> disabled_;
};

// A message box titled "Pikuto"; other windows of the program take no input while it is open.
int MsgBox(const std::wstring& prompt, UINT flags);

} // namespace win32
