// Works the program's modal prompts from outside their loops, and gives real input; shared by PikutoDriver
// and the tests.
#include "dialog_driver.h"

#include <commctrl.h>

namespace dialog_driver {

namespace {

// Control ids of the common Save As dialog's own template.
constexpr int kFileNameBox = 0x47c; // cmb13: under Wine a ComboBoxEx whose inner edit takes the text
constexpr int kFileTypeBox = 0x470; // cmb1

// Calls into the dialog's thread are bounded, so a hung dialog fails the step instead of the run.
bool Call(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, DWORD_PTR* result = nullptr) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(window, msg, wParam, lParam, SMTO_NORMAL, 5000, result ? result : &ignored) != 0;
}

HWND FindTopLevel(const std::function<bool(HWND)>& match) {
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, nullptr, nullptr)) != nullptr;)
        if (IsWindowVisible(w) && match(w))
            return w;
    return nullptr;
}

HWND FindOwnedDialog(HWND owner) {
    return FindTopLevel([&](HWND w) {
        wchar_t cls[8] = {};
        GetClassNameW(w, cls, 8);
        return GetWindow(w, GW_OWNER) == owner && std::wstring(cls) == L"#32770";
    });
}

// Picks entry `index` (1 the first) of the type list, as a user's choice does.
bool SelectSaveType(HWND dialog, int index) {
    HWND types = GetDlgItem(dialog, kFileTypeBox);
    DWORD_PTR selected = 0;
    // Setting the selection alone notifies nobody; the dialog takes a new type on CBN_SELENDOK.
    return types && Call(types, CB_SETCURSEL, index - 1, 0, &selected) && selected == DWORD_PTR(index - 1) &&
           Call(dialog, WM_COMMAND, MAKEWPARAM(kFileTypeBox, CBN_SELENDOK), reinterpret_cast<LPARAM>(types));
}

HWND WaitFor(const std::function<HWND()>& find, DWORD timeoutMs) {
    HWND found = nullptr;
    Poll([&] { return (found = find()) != nullptr; }, timeoutMs);
    return found;
}

} // namespace

std::wstring Text(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

bool Poll(const std::function<bool()>& condition, DWORD timeoutMs) {
    for (DWORD start = GetTickCount(); !condition(); Sleep(20))
        if (GetTickCount() - start >= timeoutMs)
            return false;
    return true;
}

HWND FindCaption(const std::wstring& caption, bool prefix, DWORD pid) {
    return FindTopLevel([&](HWND w) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        const std::wstring text = Text(w);
        return (!pid || owner == pid) && (prefix ? text.rfind(caption, 0) == 0 : text == caption);
    });
}

HWND WaitForCaption(const std::wstring& caption, DWORD timeoutMs, DWORD pid) {
    return WaitFor([&] { return FindCaption(caption, false, pid); }, timeoutMs);
}

HWND WaitForOwnedDialog(HWND owner, DWORD timeoutMs) {
    return WaitFor([&] { return FindOwnedDialog(owner); }, timeoutMs);
}

std::wstring MessageBoxText(HWND box) {
    // The one static control with text: its id differs between Windows (0xFFFF) and Wine.
    for (HWND c = nullptr; (c = FindWindowExW(box, c, L"Static", nullptr)) != nullptr;)
        if ((GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) != SS_ICON && !Text(c).empty())
            return Text(c);
    return L"";
}

bool SetSaveName(HWND dialog, const std::wstring& name) {
    HWND box = GetDlgItem(dialog, kFileNameBox);
    // The ComboBoxEx hands out its edit control; an older template's plain edit takes the text itself.
    DWORD_PTR edit = 0;
    Call(box, CBEM_GETEDITCONTROL, 0, 0, &edit);
    return Call(edit ? reinterpret_cast<HWND>(edit) : box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
}

bool PressButton(HWND window, int id) {
    return PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(GetDlgItem(window, id))) != 0;
}

bool PressAltF4(HWND window) {
    // Key down with the Alt flag (bit 29) and F4's scan code, as the keyboard sends it.
    const LPARAM keyDown = 1 | (static_cast<LPARAM>(MapVirtualKeyW(VK_F4, MAPVK_VK_TO_VSC)) << 16) | (LPARAM{1} << 29);
    return PostMessageW(window, WM_SYSKEYDOWN, VK_F4, keyDown) != 0;
}

bool SaveAs(const std::wstring& name, int type, bool overwrite, DWORD timeoutMs, DWORD pid) {
    HWND dialog = WaitForCaption(L"Pikuto - 保存", timeoutMs, pid);
    if (!dialog || !SetSaveName(dialog, name) || (type && !SelectSaveType(dialog, type)) || !PressButton(dialog, IDOK))
        return false;
    // The dialog closes, or first asks whether to replace an existing file.
    HWND question = nullptr;
    if (!Poll([&] { return !IsWindow(dialog) || (question = FindOwnedDialog(dialog)) != nullptr; }, timeoutMs))
        return false;
    return !question ||
           (overwrite && PressButton(question, IDYES) && Poll([&] { return !IsWindow(dialog); }, timeoutMs));
}

void Tap(BYTE vk) {
    keybd_event(vk, 0, 0, 0);
    keybd_event(vk, 0, KEYEVENTF_KEYUP, 0);
}

void MouseAt(POINT screen, DWORD flags) {
    // In 1/65536 of the screen, rounded up so that the position lands on the pixel.
    const LONG width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags, (screen.x * 65536 + width - 1) / width,
                (screen.y * 65536 + height - 1) / height, 0, 0);
}

} // namespace dialog_driver
