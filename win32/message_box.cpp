// Message boxes and the modal scope around them.
#include "win32/message_box.h"

#include "win32/app_info.h"
#include "win32/calls.h"

namespace win32 {

Calls calls;

namespace {
struct DisableWalk {
    std::vector<HWND>* disabled;
    HWND except;
};

BOOL CALLBACK CollectEnabledWindow(HWND hwnd, LPARAM param) {
    auto* walk = reinterpret_cast<DisableWalk*>(param);
    if (hwnd != walk->except && IsWindowEnabled(hwnd))
        walk->disabled->push_back(hwnd);
    return TRUE;
}
} // namespace

ModalScope::ModalScope(HWND except) {
    DisableWalk walk{&disabled_, except};
    EnumThreadWindows(GetCurrentThreadId(), CollectEnabledWindow, reinterpret_cast<LPARAM>(&walk));
    for (HWND hwnd : disabled_)
        EnableWindow(hwnd, FALSE);
}

ModalScope::~ModalScope() {
    for (HWND hwnd : disabled_)
        if (IsWindow(hwnd))
            EnableWindow(hwnd, TRUE);
}

int MsgBox(const std::wstring& prompt, UINT flags) {
    ModalScope scope;
    return calls.MessageBox(nullptr, prompt.c_str(), kAppTitle, flags);
}

} // namespace win32
