// Works the program's modal prompts from outside their loops; shared by PikutoDriver and the tests.
#include "dialog_driver.h"

#include <commctrl.h>

namespace dialog_driver {

namespace {

// Calls into the dialog's thread are bounded, so a hung dialog fails the step instead of the run.
constexpr UINT kCallTimeoutMs = 5000;

LRESULT Call(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, bool* ok = nullptr) {
    DWORD_PTR result = 0;
    bool answered = SendMessageTimeoutW(window, msg, wParam, lParam, SMTO_NORMAL, kCallTimeoutMs, &result) != 0;
    if (ok)
        *ok = answered;
    return static_cast<LRESULT>(result);
}

struct CaptionSearch {
    const std::wstring* caption;
    DWORD pid;
    HWND found;
};

BOOL CALLBACK MatchCaption(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<CaptionSearch*>(param);
    if (!IsWindowVisible(hwnd))
        return TRUE;
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (search->pid && owner != search->pid)
        return TRUE;
    wchar_t caption[256] = {};
    GetWindowTextW(hwnd, caption, 256);
    if (*search->caption != caption)
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

struct OwnedSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK MatchOwned(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<OwnedSearch*>(param);
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    if (IsWindowVisible(hwnd) && GetWindow(hwnd, GW_OWNER) == search->owner && std::wstring(cls) == L"#32770") {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindOwned(HWND owner) {
    OwnedSearch search{owner, nullptr};
    EnumWindows(MatchOwned, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

template <typename Find> HWND Poll(Find find, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND found = find())
            return found;
        if (GetTickCount() - start >= timeoutMs)
            return nullptr;
        Sleep(20);
    }
}

} // namespace

HWND WaitForCaption(const std::wstring& caption, DWORD timeoutMs, DWORD pid) {
    return Poll(
        [&] {
            CaptionSearch search{&caption, pid, nullptr};
            EnumWindows(MatchCaption, reinterpret_cast<LPARAM>(&search));
            return search.found;
        },
        timeoutMs);
}

HWND WaitForOwnedDialog(HWND owner, DWORD timeoutMs) {
    return Poll([&] { return FindOwned(owner); }, timeoutMs);
}

namespace {
BOOL CALLBACK FirstStaticText(HWND child, LPARAM param) {
    wchar_t cls[16] = {}, text[1024] = {};
    GetClassNameW(child, cls, 16);
    if (lstrcmpiW(cls, L"Static") != 0 || (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
        return TRUE;
    GetWindowTextW(child, text, 1024);
    *reinterpret_cast<std::wstring*>(param) = text;
    return *text == 0;
}
} // namespace

std::wstring MessageBoxText(HWND box) {
    // The one static control with text: its id differs between Windows (0xFFFF) and Wine.
    std::wstring text;
    EnumChildWindows(box, FirstStaticText, reinterpret_cast<LPARAM>(&text));
    return text;
}

bool SetSaveName(HWND dialog, const std::wstring& name) {
    HWND box = GetDlgItem(dialog, kFileNameBox);
    if (!box)
        return false;
    // The ComboBoxEx hands out its edit control; an older template's plain edit takes the text itself.
    HWND edit = reinterpret_cast<HWND>(Call(box, CBEM_GETEDITCONTROL, 0, 0));
    bool ok = false;
    Call(edit ? edit : box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()), &ok);
    return ok;
}

bool SelectSaveType(HWND dialog, int index) {
    HWND types = GetDlgItem(dialog, kFileTypeBox);
    if (!types || Call(types, CB_SETCURSEL, static_cast<WPARAM>(index - 1), 0) != index - 1)
        return false;
    // Setting the selection alone notifies nobody; the dialog takes a new type on CBN_SELENDOK.
    bool ok = false;
    Call(dialog, WM_COMMAND, MAKEWPARAM(kFileTypeBox, CBN_SELENDOK), reinterpret_cast<LPARAM>(types), &ok);
    return ok;
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
    const DWORD start = GetTickCount();
    auto left = [&] {
        DWORD spent = GetTickCount() - start;
        return spent < timeoutMs ? timeoutMs - spent : 0;
    };
    HWND dialog = WaitForCaption(L"Pikuto - 保存", timeoutMs, pid);
    if (!dialog || !SetSaveName(dialog, name) || (type && !SelectSaveType(dialog, type)) || !PressButton(dialog, IDOK))
        return false;
    // The dialog closes, or asks first whether to replace an existing file. Poll wants a window:
    // the dialog's own handle, once it is no longer a window, stands for "closed".
    HWND next = Poll([&] { return IsWindow(dialog) ? FindOwned(dialog) : dialog; }, left());
    if (!next)
        return false;
    if (next == dialog)
        return true;
    if (!overwrite || !PressButton(next, IDYES))
        return false;
    return Poll([&] { return IsWindow(dialog) ? nullptr : dialog; }, left()) != nullptr;
}

} // namespace dialog_driver
