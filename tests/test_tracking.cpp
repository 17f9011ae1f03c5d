// The applet finder and the tracking tick, against the stand-in browser under Wine.
#include <gtest/gtest.h>

#include "app/modMain.h"
#include "forms/frmMain.h"
#include "standin/standin_client.h"
#include "tracking/track_calls.h"
#include "tracking/tracking.h"

#include <functional>
#include <vector>

namespace {

// Pumps this thread's messages until `condition` holds or `timeoutMs` passes.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    for (DWORD start = GetTickCount();;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        if (condition() || GetTickCount() - start >= timeoutMs)
            return condition();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

struct Placement {
    HWND after;
    int x, y;
    UINT flags;
};
struct Seen {
    std::vector<Placement> placements; // SetWindowPos on the camera window
    std::vector<FLASHWINFO> flashes;
    int foregroundReads = 0; // one per tick that got past the target check
    bool fakeForeground = false;
    HWND front = nullptr;
} seen;

BOOL WINAPI RecordSetWindowPos(HWND hwnd, HWND after, int x, int y, int cx, int cy, UINT flags) {
    if (hwnd == frmMain.hWnd())
        seen.placements.push_back({after, x, y, flags});
    return SetWindowPos(hwnd, after, x, y, cx, cy, flags);
}
BOOL WINAPI RecordFlash(PFLASHWINFO info) {
    seen.flashes.push_back(*info);
    return FlashWindowEx(info);
}
HWND WINAPI ReadForeground() {
    ++seen.foregroundReads;
    return seen.fakeForeground ? seen.front : GetForegroundWindow();
}

// Ticks until `condition` holds (bounded). A chat-log query that times out on a busy machine changes
// nothing, so the next tick asks again; tests wait for the answer rather than count on one tick.
bool TickUntil(const std::function<bool()>& condition) {
    for (int tick = 0; tick < 100 && !condition(); ++tick)
        TrackTarget();
    return condition();
}

RECT WindowRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

class Tracking : public ::testing::Test {
protected:
    void SetUp() override {
        saved = trk::calls;
        trk::calls.SetWindowPos = RecordSetWindowPos;
        trk::calls.FlashWindowEx = RecordFlash;
        trk::calls.GetForegroundWindow = ReadForeground;
        seen = {};
        strMode = L"NO";
        hwndCanvas = hwndBrowser = hwndChatLog = nullptr;
        intLineCount = intLastLineCount = 0;
        rctLast = {};
        quitWhenCameraWindowCloses = false;
        ASSERT_TRUE(frmMain.Load());
        KillTimer(frmMain.hWnd(), FrmMain::timCheckId); // the tests make the ticks
        frmMain.Show();
        ASSERT_TRUE(b.Started());
    }
    void TearDown() override {
        DestroyWindow(frmMain.hWnd());
        trk::calls = saved;
    }
    void Raise(const std::wstring& name) {
        HWND hwnd = b.Hwnd(name);
        ASSERT_TRUE(b.Send(L"raise " + name)) << "raise " << std::string(name.begin(), name.end());
        ASSERT_TRUE(WaitUntil([hwnd] { return GetForegroundWindow() == hwnd; }, 5000));
    }
    void ExpectFound(const wchar_t* mode, const std::wstring& tree, bool chatLog) {
        ASSERT_TRUE(FindTarget());
        EXPECT_EQ(strMode, mode);
        EXPECT_EQ(hwndCanvas, b.Hwnd(tree + L".canvas"));
        EXPECT_EQ(hwndBrowser, b.Hwnd(tree));
        EXPECT_EQ(hwndChatLog, chatLog ? b.Hwnd(tree + L".chatlog") : nullptr);
    }
    void ExpectNotFound() {
        EXPECT_FALSE(FindTarget()) << hwndBrowser;
        EXPECT_EQ(strMode, L"NO");
        EXPECT_EQ(hwndCanvas, nullptr);
    }
    trk::Calls saved;
    StandinBrowser b;
};

using Finder = Tracking;

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

} // namespace

TEST_F(Finder, FindsEveryTree) {
    struct Case {
        const wchar_t* kind;
        const wchar_t* mode;
    } cases[] = {{L"ie-vm", L"VM"},       {L"ie-sun", L"SUN"},       {L"ie-both", L"VM"},      {L"moz-sun", L"SUN"},
                 {L"sleipnir-vm", L"VM"}, {L"sleipnir-sun", L"SUN"}, {L"sleipnir-both", L"VM"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.kind));
        ASSERT_TRUE(b.Send(std::wstring(L"build A ") + c.kind));
        // A chat log left from an earlier find must not survive a find under the VM.
        hwndChatLog = reinterpret_cast<HWND>(0x1234);
        ExpectFound(c.mode, L"A", std::wstring(c.mode) == L"SUN");
        b.Send(L"destroy A");
    }
}

TEST_F(Finder, BrowserOrderAndFinalOutcome) {
    ASSERT_TRUE(b.Send(L"build S sleipnir-sun"));
    ASSERT_TRUE(b.Send(L"build M moz-sun"));
    ASSERT_TRUE(b.Send(L"build I ie-sun"));
    ExpectFound(L"SUN", L"I", true);
    b.Send(L"destroy I");
    ExpectFound(L"SUN", L"M", true);
    b.Send(L"destroy M");
    ExpectFound(L"SUN", L"S", true);
    // A page whose host chain breaks decides the search, although a later browser holds an applet.
    for (const wchar_t* broken : {L"ie-vm cut=canvas", L"ie-sun cut=panel3", L"moz-sun cut=awt2"}) {
        SCOPED_TRACE(Narrow(broken));
        ASSERT_TRUE(b.Send(std::wstring(L"build X ") + broken));
        ExpectNotFound();
        b.Send(L"destroy X");
    }
}

TEST_F(Finder, SkipsBrowsersWithoutAnApplet) {
    for (const wchar_t* kind : {L"ie-sun", L"moz-sun"}) {
        std::wstring browser = std::wstring(kind) == L"ie-sun" ? L"ie" : L"moz";
        const wchar_t* cls = browser == L"ie" ? L"IEFrame" : L"MozillaWindowClass";
        ASSERT_TRUE(b.Send(L"build W " + std::wstring(kind)));
        std::vector<std::wstring> first =
            browser == L"ie"
                ? std::vector<std::wstring>{L"ie-none", L"ie-sun cut=page", L"ie-vm cut=view", L"ie-sun omit=view"}
                : std::vector<std::wstring>{L"moz-none", L"moz-sun omit=moz3", L"moz-sun omit=moz6"};
        for (const std::wstring& variant : first) {
            SCOPED_TRACE(Narrow(variant));
            HWND x = reinterpret_cast<HWND>(b.Send(L"build X " + variant));
            ASSERT_TRUE(WaitUntil([&] { return FindWindowExW(nullptr, nullptr, cls, nullptr) == x; }, 2000));
            ExpectFound(L"SUN", L"W", true);
            b.Send(L"destroy X");
        }
        b.Send(L"destroy W");
    }
}

TEST_F(Finder, BrokenChainsFindNothingElsewhere) {
    // Windows of the chains' classes at the top level: a search that went on from a missing level
    // with a parent of 0 would take them for the rest of the chain.
    ASSERT_TRUE(b.Send(L"build D1 ie-vm omit=top omit=view"));
    ASSERT_TRUE(b.Send(L"build D2 ie-vm omit=top"));
    ASSERT_TRUE(b.Send(L"build D3 ie-sun omit=top omit=view omit=page omit=control omit=embed"));
    ExpectNotFound();
    for (const wchar_t* variant :
         {L"ie-sun omit=view", L"ie-sun omit=page", L"ie-sun omit=embed", L"ie-sun omit=awt1", L"ie-sun omit=awt3",
          L"ie-sun omit=panel2", L"ie-sun cut=canvas", L"ie-sun cut=chatlog omit=panel3", L"ie-vm omit=vmhost",
          L"ie-vm cut=canvas", L"moz-sun omit=moz3", L"moz-sun omit=awt2", L"moz-sun omit=panel1",
          L"sleipnir-sun omit=sview", L"sleipnir-sun omit=embedding", L"sleipnir-vm omit=view",
          L"sleipnir-sun omit=page", L"sleipnir-vm cut=canvas", L"sleipnir-none"}) {
        SCOPED_TRACE(Narrow(variant));
        ASSERT_TRUE(b.Send(std::wstring(L"build X ") + variant));
        ExpectNotFound();
        b.Send(L"destroy X");
    }
}

TEST_F(Finder, SleipnirByTitleAndOnlyTheFirst) {
    for (const wchar_t* title : {L"Sleipnir - ", L"Sleipnir - Standin page"}) {
        ASSERT_TRUE(b.Send(std::wstring(L"build S sleipnir-vm \"title=") + title + L"\""));
        ExpectFound(L"VM", L"S", false);
        b.Send(L"destroy S");
    }
    for (const wchar_t* title : {L"Sleipnir", L"Sleipnir -", L"sleipnir - Standin", L"SLEIPNIR - Standin"}) {
        SCOPED_TRACE(Narrow(title));
        ASSERT_TRUE(b.Send(std::wstring(L"build S sleipnir-vm \"title=") + title + L"\""));
        ExpectNotFound();
        b.Send(L"destroy S");
    }
    // Only the first Sleipnir window is walked.
    ASSERT_TRUE(b.Send(L"build S2 sleipnir-sun"));
    HWND first = reinterpret_cast<HWND>(b.Send(L"build S1 sleipnir-none"));
    ASSERT_TRUE(WaitUntil([&] { return FindWindowExW(nullptr, nullptr, L"StandinSleipnir", nullptr) == first; }, 2000));
    ExpectNotFound();
    // A Sleipnir window with no descendants at all is not found, whatever an earlier search left.
    b.Send(L"destroy S1");
    b.Send(L"destroy S2");
    ASSERT_TRUE(b.Send(L"build S sleipnir-sun cut=tab"));
    strMode = L"SUN";
    ExpectNotFound();
}

TEST_F(Finder, ParksTheCameraWindowAtTheOrigin) {
    HWND camera = frmMain.hWnd();
    ASSERT_TRUE(IsWindowVisible(camera));
    ExpectNotFound();
    EXPECT_TRUE(seen.placements.empty()); // already at the origin and shown

    SetWindowPos(camera, HWND_NOTOPMOST, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    ExpectNotFound();
    ASSERT_EQ(seen.placements.size(), 1u);
    EXPECT_EQ(seen.placements[0].after, HWND_TOPMOST);
    EXPECT_EQ(seen.placements[0].flags, 0x51u);
    RECT r = WindowRect(camera);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right - r.left, 50);
    EXPECT_EQ(r.bottom - r.top, 22);
    EXPECT_TRUE(GetWindowLongW(camera, GWL_EXSTYLE) & WS_EX_TOPMOST);

    ShowWindow(camera, SW_HIDE); // hidden at the origin: shown again
    ExpectNotFound();
    EXPECT_EQ(seen.placements.size(), 2u);
    EXPECT_TRUE(IsWindowVisible(camera));
}

TEST_F(Tracking, DocksBelowTheCanvasAndLeavesTheFocus) {
    ASSERT_TRUE(b.Send(L"build A ie-sun"));
    Raise(L"A");
    TrackTarget();
    HWND camera = frmMain.hWnd(), browser = b.Hwnd(L"A");
    RECT canvas = WindowRect(b.Hwnd(L"A.canvas"));
    RECT r = WindowRect(camera);
    EXPECT_EQ(r.left, canvas.left - 53);
    EXPECT_EQ(r.top, canvas.bottom + 77);
    ASSERT_EQ(seen.placements.size(), 1u);
    EXPECT_EQ(seen.placements[0].after, HWND_TOPMOST);
    EXPECT_EQ(seen.placements[0].flags, 0x51u);
    WaitUntil([] { return false; }, 0); // deliver what the move caused
    EXPECT_EQ(GetForegroundWindow(), browser);

    // Steady: nothing is asked of any window.
    ASSERT_TRUE(TickUntil([] { return intLastLineCount == 1; })); // an empty log has one line
    seen.placements.clear(), seen.flashes.clear();
    TrackTarget(), TrackTarget();
    EXPECT_TRUE(seen.placements.empty());
    EXPECT_TRUE(seen.flashes.empty());

    // A moved browser re-docks on the next tick.
    ASSERT_TRUE(b.Send(L"move A 200 150"));
    TrackTarget();
    canvas = WindowRect(b.Hwnd(L"A.canvas"));
    r = WindowRect(camera);
    EXPECT_EQ(r.left, canvas.left - 53);
    EXPECT_EQ(r.top, canvas.bottom + 77);
    EXPECT_EQ(rctLast.left, canvas.left);
    EXPECT_EQ(rctLast.bottom, canvas.bottom);
    EXPECT_EQ(GetForegroundWindow(), browser);

    // A resize that keeps the canvas's top-left corner does not move it.
    seen.placements.clear();
    ASSERT_TRUE(b.Send(L"size A.canvas 600 300"));
    TrackTarget();
    EXPECT_TRUE(seen.placements.empty());
    EXPECT_EQ(WindowRect(camera).top, r.top);
}

TEST_F(Tracking, DocksUnderTheVm) {
    ASSERT_TRUE(b.Send(L"build A ie-vm"));
    Raise(L"A");
    TrackTarget();
    RECT canvas = WindowRect(b.Hwnd(L"A.canvas")), r = WindowRect(frmMain.hWnd());
    EXPECT_EQ(r.left, canvas.left + 7);
    EXPECT_EQ(r.top, canvas.top + 527);
}

TEST_F(Tracking, HidesBehindOthersAndShowsInPlace) {
    HWND camera = frmMain.hWnd();
    ASSERT_TRUE(b.Send(L"build A ie-sun"));
    ASSERT_TRUE(b.Send(L"window O 300 300 200 100"));
    ASSERT_TRUE(b.Send(L"window P 500 500 200 100 \"title=Pikuto test\""));
    Raise(L"A");
    TrackTarget();
    RECT docked = WindowRect(camera);

    Raise(L"P"); // one of our own windows in front: left alone
    seen.placements.clear();
    TrackTarget();
    EXPECT_TRUE(seen.placements.empty());
    EXPECT_TRUE(IsWindowVisible(camera));

    Raise(L"O"); // another window in front: hidden, and asked again on every tick
    TrackTarget(), TrackTarget();
    ASSERT_EQ(seen.placements.size(), 2u);
    for (const Placement& p : seen.placements) {
        EXPECT_EQ(p.after, HWND_TOP);
        EXPECT_EQ(p.flags, 0x83u);
    }
    EXPECT_FALSE(IsWindowVisible(camera));

    Raise(L"A"); // back: shown where it was
    seen.placements.clear();
    TrackTarget();
    ASSERT_EQ(seen.placements.size(), 1u);
    EXPECT_EQ(seen.placements[0].after, HWND_TOP);
    EXPECT_EQ(seen.placements[0].flags, 0x53u);
    EXPECT_TRUE(IsWindowVisible(camera));
    EXPECT_EQ(WindowRect(camera).left, docked.left);
    EXPECT_EQ(WindowRect(camera).top, docked.top);
    EXPECT_EQ(GetForegroundWindow(), b.Hwnd(L"A"));

    // The camera window itself in front: left alone while the browser is visible, even minimised.
    seen.fakeForeground = true, seen.front = camera;
    seen.placements.clear();
    ASSERT_TRUE(b.Send(L"minimize A"));
    TrackTarget();
    EXPECT_TRUE(seen.placements.empty());
    ASSERT_TRUE(b.Send(L"hide A"));
    TrackTarget();
    ASSERT_EQ(seen.placements.size(), 1u);
    EXPECT_EQ(seen.placements[0].flags, 0x83u);
    // No foreground window at all: hidden.
    seen.front = nullptr;
    TrackTarget();
    EXPECT_EQ(seen.placements.size(), 2u);
}

TEST_F(Tracking, ParksAndDocksAgainWhenTheCanvasComesBack) {
    HWND camera = frmMain.hWnd();
    ASSERT_TRUE(b.Send(L"build A ie-sun"));
    Raise(L"A");
    TrackTarget();
    RECT docked = WindowRect(camera);
    ASSERT_NE(docked.left, 0);

    ASSERT_TRUE(b.Send(L"destroy A.canvas"));
    TrackTarget();
    EXPECT_EQ(strMode, L"NO");
    EXPECT_EQ(WindowRect(camera).left, 0);
    EXPECT_EQ(WindowRect(camera).top, 0);

    HWND rebuilt = reinterpret_cast<HWND>(b.Send(L"rebuild A.canvas")); // a reload: same place
    ASSERT_TRUE(rebuilt);
    seen.placements.clear();
    TrackTarget();
    EXPECT_EQ(hwndCanvas, rebuilt);
    ASSERT_EQ(seen.placements.size(), 1u);
    EXPECT_EQ(seen.placements[0].flags, 0x51u);
    EXPECT_EQ(WindowRect(camera).left, docked.left);
    EXPECT_EQ(WindowRect(camera).top, docked.top);
}

TEST_F(Tracking, FlashesOncePerChangeOfTheLineCount) {
    ASSERT_TRUE(b.Send(L"build A ie-sun"));
    ASSERT_EQ(b.Send(L"lines A 120"), 120);
    // The first count differs from the 0 of the last flash.
    ASSERT_TRUE(TickUntil([] { return seen.flashes.size() == 1; }));
    const FLASHWINFO& f = seen.flashes[0];
    EXPECT_EQ(f.cbSize, 20u);
    EXPECT_EQ(f.hwnd, b.Hwnd(L"A"));
    EXPECT_EQ(f.dwFlags, 14u);
    EXPECT_EQ(f.uCount, 2u);
    EXPECT_EQ(f.dwTimeout, 0u);
    TrackTarget(), TrackTarget();
    EXPECT_EQ(seen.flashes.size(), 1u);

    // Up, down, and beyond 32,767 lines: 65,537 is 1 again in 16 bits, and must still flash.
    size_t flashes = 1;
    for (int lines : {121, 119, 1, 65537}) {
        ASSERT_EQ(b.Send(L"lines A " + std::to_wstring(lines)), lines);
        ++flashes;
        EXPECT_TRUE(TickUntil([&] { return seen.flashes.size() == flashes; })) << lines;
        TrackTarget(), TrackTarget();
        EXPECT_EQ(seen.flashes.size(), flashes) << lines;
        EXPECT_EQ(intLastLineCount, lines);
    }
}

TEST_F(Tracking, HungBrowserDoesNotStopTheTick) {
    ASSERT_TRUE(b.Send(L"build A ie-sun"));
    ASSERT_EQ(b.Send(L"lines A 3"), 3);
    ASSERT_TRUE(TickUntil([] { return intLineCount == 3; }));
    ASSERT_EQ(b.Send(L"lines A 4"), 4);
    ASSERT_TRUE(b.Send(L"hang 6000"));
    seen = {};
    ASSERT_TRUE(SetTimer(frmMain.hWnd(), FrmMain::timCheckId, FrmMain::timCheckInterval, nullptr));
    WaitUntil([] { return false; }, 3000);
    KillTimer(frmMain.hWnd(), FrmMain::timCheckId);
    EXPECT_GE(seen.foregroundReads, 5); // ten a second when well; a blocked query would allow one
    EXPECT_TRUE(seen.flashes.empty());  // unanswered queries change nothing
    EXPECT_EQ(intLineCount, 3);
}
