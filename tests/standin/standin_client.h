// Starts and steers the stand-in browser (StandinBrowser.exe, built beside the test programs).
//
// Protocol. Each command-line argument of the stand-in is one command, run at start. After that
// it answers commands sent as UTF-16 text in WM_COPYDATA to its message-only window (class
// "StandinControl", title "Standin <process id>"); the message's result is the answer, 0 meaning
// failure or an unknown command or name. Words are split as on a command line: "double quotes"
// keep spaces. NAME is the top-level window of a tree (or an ordinary window) built under that
// name, NAME.ROLE one of its windows.
//
//   build NAME KIND [omit=ROLE]... [cut=ROLE]... [title=TEXT]        -> the top-level window
//       KIND: ie-vm ie-sun ie-both ie-none moz-sun moz-none sleipnir-vm sleipnir-sun sleipnir-both
//             sleipnir-none (browser, then the page's Java host: both = Plug-in and VM on one page)
//       omit=ROLE: that level is missing; what was below it hangs from its parent (omit=top makes
//                  the windows below top-level ones); cut=ROLE: that window and all below it are missing;
//       title=TEXT: the top-level window's title
//   window NAME X Y W H [title=TEXT] [topmost] [hidden]   -> an ordinary top-level window, class
//       "StandinWindow", default title "Standin other window"; shown without activation
//   hwnd NAME[.ROLE]                     -> the window, while it exists
//   move NAME[.ROLE] X Y                 (screen coordinates for top-level windows, the parent's
//                                         client coordinates otherwise)
//   raise NAME                           -> 1 when, after SetForegroundWindow, it is the foreground window
//   minimize | hide | destroy NAME[.ROLE]
//   rebuild NAME.ROLE                    -> destroys that window and makes it again, with what was below
//                                           it, at the place it was built; the answer is the new window
//   lines NAME N                         -> sets NAME's chat log to exactly N lines; answers its EM_GETLINECOUNT
//   autolines NAME MS                    -> a line more every MS milliseconds; 0 stops
//   hang MS                              -> answered at once, then the stand-in's one GUI thread sleeps MS ms
//   sync                                 -> 1, once everything sent before is done
//
// Roles. Every tree: top. ie: view page. moz: moz1 .. moz6 (nested), embed. sleipnir (title
// "Sleipnir - Standin"): tab sview embedding view page. VM host: vmhost, canvas (790 x 400).
// Plug-in host: control embed. Applet under the Plug-in: awt1 awt2 awt3 panel1 panel2 panel3,
// and in panel3 chatlog (RichEdit20W) and canvas (710 x 380). ie-both names the VM canvas "canvas".
// Both canvases paint StandinPatternPixel (pattern.h) in their own client coordinates.
#pragma once

#include <windows.h>

#include "../test_support.h"

#include <string>

class StandinBrowser {
public:
    // Starts the stand-in with `commands` as its command line and waits (bounded) until they have run.
    explicit StandinBrowser(const std::wstring& commands = L"", DWORD timeoutMs = 10000)
        : process_(L"\"" + testing_support::BuildFile(L"tests\\StandinBrowser.exe") + L"\" " + commands) {
        std::wstring title = L"Standin " + std::to_wstring(process_.Id());
        testing_support::WaitUntil(
            [&] {
                control_ = FindWindowExW(HWND_MESSAGE, nullptr, L"StandinControl", title.c_str());
                return control_ || !process_.Running();
            },
            timeoutMs);
        if (!Send(L"sync", timeoutMs))
            control_ = nullptr;
    }

    bool Started() const { return control_ != nullptr; }

    // Runs one command; its answer, or 0 when it failed or the stand-in did not answer in time.
    LRESULT Send(const std::wstring& command, UINT timeoutMs = 10000) {
        COPYDATASTRUCT data{0, static_cast<DWORD>(command.size() * sizeof(wchar_t)),
                            const_cast<wchar_t*>(command.data())};
        DWORD_PTR answer = 0;
        if (!control_ || !SendMessageTimeoutW(control_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL,
                                              timeoutMs, &answer))
            return 0;
        return static_cast<LRESULT>(answer);
    }
    HWND Hwnd(const std::wstring& name) { return reinterpret_cast<HWND>(Send(L"hwnd " + name)); }

private:
    testing_support::ChildProcess process_;
    HWND control_ = nullptr;
};
