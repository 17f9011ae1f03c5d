// The applet window finder: walks the browsers' window trees by class name down to the canvas.
#include "tracking/tracking.h"

#include "core/tick.h"
#include "state/shared_state.h"
#include "tracking/calls.h"

#include <climits>
#include <cwchar>

namespace {

constexpr wchar_t kSunAwtCanvas[] = L"SunAwtCanvas";

// One step of a chain. A step below a step that found nothing finds nothing too: searching with
// a parent of 0 would look among the top-level windows and could mix up two browsers.
HWND Child(HWND parent, const wchar_t* className, HWND after = nullptr, const wchar_t* title = nullptr) {
    return parent ? FindWindowExW(parent, after, className, title) : nullptr;
}

// From the VM host to its canvas.
bool VmChain(HWND host) {
    hwndChatLog = nullptr; // the VM applet has no chat log we know; never watch one left from a Plug-in find
    hwndCanvas = Child(host, L"MSAWT_Comp_Class");
    if (!hwndCanvas)
        return false;
    strMode = L"VM";
    return true;
}

// From the Plug-in's embedded frame: three levels down, then the third of the sibling panels,
// which holds the chat log and the canvas.
bool SunTail(HWND frame) {
    HWND a = frame;
    for (int level = 0; level < 3; ++level)
        a = Child(a, kSunAwtCanvas);
    HWND b = Child(a, kSunAwtCanvas);
    for (int sideways = 0; sideways < 2 && b; ++sideways)
        b = Child(a, kSunAwtCanvas, b);
    hwndChatLog = Child(b, L"RichEdit20W");
    hwndCanvas = Child(b, kSunAwtCanvas);
    if (!hwndCanvas)
        return false;
    strMode = L"SUN";
    return true;
}

bool PluginChain(HWND control) {
    return SunTail(Child(control, L"sun.plugin.viewer.frame.IExplorerEmbeddedFrame"));
}

// The first Java host met decides the whole search, found or not: its chain's outcome is final.
enum class Outcome { NoApplet, Found, NotFound };
Outcome Final(bool found) {
    return found ? Outcome::Found : Outcome::NotFound;
}

Outcome SearchPage(HWND page) {
    if (HWND host = Child(page, L"Microsoft VM For Java(TM) Host Window Class"))
        return Final(VmChain(host));
    if (HWND control = Child(page, L"Java Plug-in Control Window"))
        return Final(PluginChain(control));
    return Outcome::NoApplet;
}

Outcome SearchInternetExplorer() {
    while ((hwndBrowser = FindWindowExW(nullptr, hwndBrowser, L"IEFrame", nullptr)) != nullptr) {
        HWND page = Child(Child(hwndBrowser, L"Shell DocObject View"), L"Internet Explorer_Server");
        Outcome outcome = SearchPage(page);
        if (outcome != Outcome::NoApplet)
            return outcome;
    }
    return Outcome::NoApplet;
}

Outcome SearchMozilla() {
    constexpr wchar_t kMozilla[] = L"MozillaWindowClass";
    while ((hwndBrowser = FindWindowExW(nullptr, hwndBrowser, kMozilla, nullptr)) != nullptr) {
        HWND w = hwndBrowser;
        for (int level = 0; level < 6; ++level)
            w = Child(w, kMozilla);
        if (HWND frame = Child(w, L"sun.plugin.viewer.frame.WNetscapeEmbeddedFrame"))
            return Final(SunTail(frame));
    }
    return Outcome::NoApplet;
}

Outcome SearchSleipnir() {
    hwndBrowser = nullptr;
    EnumWindows(EnumTopWindowsProc, 0);
    if (!hwndBrowser)
        return Outcome::NotFound;
    // Empty, so a window with no descendants at all ends as not found, not as an earlier result.
    strMode.clear();
    EnumChildWindows(hwndBrowser, EnumBrowserChildProc, 0);
    return Final(strMode == L"VM" || strMode == L"SUN");
}

// Not found: forget the canvas and park the camera window at the screen origin, shown.
void NotFound(HWND camera) {
    hwndCanvas = nullptr;
    strMode = L"NO";
    // No canvas has this rectangle, so a target found again at its old place is docked at once.
    rctLast = {INT_MIN, INT_MIN, INT_MIN, INT_MIN};
    if (!camera)
        return;
    RECT rect{};
    GetWindowRect(camera, &rect);
    if (core::DecideParking({rect.left, rect.top, rect.right, rect.bottom}, IsWindowVisible(camera) != FALSE) ==
        core::Placement::Park)
        tracking::calls.SetWindowPos(camera, HWND_TOPMOST, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

} // namespace

bool FindTarget(HWND camera) {
    hwndBrowser = nullptr;
    Outcome outcome = SearchInternetExplorer();
    if (outcome == Outcome::NoApplet)
        outcome = SearchMozilla();
    if (outcome == Outcome::NoApplet)
        outcome = SearchSleipnir();
    bool found = outcome == Outcome::Found;
    if (!found)
        NotFound(camera);
    return found;
}

BOOL CALLBACK EnumTopWindowsProc(HWND hwnd, LPARAM) {
    // The first 11 characters of the title, compared as the whole 12-character buffer.
    wchar_t title[12] = {};
    if (GetWindowTextW(hwnd, title, 12) == 0)
        return TRUE;
    static constexpr wchar_t kPrefix[12] = L"Sleipnir - ";
    if (std::wmemcmp(title, kPrefix, 12) != 0)
        return TRUE;
    hwndBrowser = hwnd;
    return FALSE;
}

BOOL CALLBACK EnumBrowserChildProc(HWND hwnd, LPARAM) {
    HWND view = Child(hwnd, L"AfxFrameOrView42", nullptr, L"Sleipnir_IEView");
    HWND page = Child(Child(Child(view, L"Shell Embedding"), L"Shell DocObject View"), L"Internet Explorer_Server");
    switch (SearchPage(page)) {
    case Outcome::NoApplet:
        strMode.clear();
        return TRUE;
    case Outcome::Found:
        return FALSE; // the chain has set strMode
    case Outcome::NotFound:
        strMode = L"NO";
        return FALSE;
    }
    return FALSE;
}
