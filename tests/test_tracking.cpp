// The applet finder and the tracking tick against the stand-in browser under Wine: the window
// trees walked for real, and the tick's placements applied to a camera window of this process.
// Which placement a snapshot calls for, and where docking lands near an edge, are tested natively.
#include <gtest/gtest.h>

#include "standin/standin_client.h"
#include "state/shared_state.h"
#include "test_support.h"
#include "tracking/calls.h"
#include "tracking/tracking.h"

#include <algorithm>
#include <sstream>
#include <tuple>
#include <vector>

namespace {

using testing_support::WaitUntil;
// What the tick asked of the camera window through the recording layer: insert-after, x, y, flags.
using Placement = std::tuple<HWND, long, long, UINT>;
using Moves = std::vector<Placement>;
const Placement kPark{HWND_TOPMOST, 0, 0, 0x51}, kShow{HWND_TOP, 0, 0, 0x53}, kHide{HWND_TOP, 0, 0, 0x83};

struct Seen {
    Moves placements{};
    std::vector<FLASHWINFO> flashes{};
    bool fakeForeground = false;
    HWND front = nullptr;
} seen;

// The docking move below this canvas window as it is now: (dx, dy) from its bottom-left corner.
Placement Docking(HWND canvas, long dx = -53, long dy = 77) {
    RECT r{};
    GetWindowRect(canvas, &r);
    return {HWND_TOPMOST, r.left + dx, r.bottom + dy, 0x51};
}

VOID CALLBACK Tick(HWND camera, UINT, UINT_PTR, DWORD) {
    TrackTarget(camera);
}

class Tracking : public ::testing::Test {
protected:
    void SetUp() override {
        tracking::calls.SetWindowPos = [](HWND hwnd, HWND after, int x, int y, UINT flags) {
            seen.placements.push_back({after, x, y, flags});
            return SetWindowPos(hwnd, after, x, y, 0, 0, flags);
        };
        tracking::calls.FlashWindowEx = [](FLASHWINFO* info) { return seen.flashes.push_back(*info), TRUE; };
        tracking::calls.GetForegroundWindow = [] { return seen.fakeForeground ? seen.front : GetForegroundWindow(); };
        seen = {};
        intLineCount = intLastLineCount = 0;
        rctLast = {};
        // A camera window of the program's size and styles, shown at the origin as start-up leaves it.
        camera = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_BORDER | WS_VISIBLE, 0, 0, 50, 22,
                                 nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(camera && b.Started());
    }
    void TearDown() override {
        DestroyWindow(camera);
        tracking::calls = {};
    }
    HWND Build(const std::wstring& command) { return reinterpret_cast<HWND>(b.Send(L"build " + command)); }
    // Runs a command in the stand-in, then one tick.
    void TickAfter(const std::wstring& command) {
        ASSERT_TRUE(b.Send(command)) << command;
        TrackTarget(camera);
    }
    // Ticks until `done` holds (bounded). A chat-log query that times out on a busy machine changes
    // nothing, so the next tick asks again; tests wait for the answer rather than count on one tick.
    bool TickUntil(const std::function<bool()>& done) {
        return WaitUntil([&] { return TrackTarget(camera), done(); });
    }
    // For each case, builds its trees ("NAME KIND...", comma-separated), each in front of the ones
    // before, and runs the finder: it must find tree A under `mode`, or nothing when `mode` is "NO".
    // The trees stay hidden: the finder reads no visibility, and a shown window is restacked by
    // Wine whenever its X window is mapped, at times of its own, which could reorder two trees
    // in the middle of a search.
    void ExpectFinds(const std::wstring& mode, std::initializer_list<const wchar_t*> cases) {
        const bool found = mode != L"NO";
        for (std::wstring trees : cases) {
            SCOPED_TRACE(trees);
            std::wistringstream list(trees);
            std::vector<HWND> tops, order; // front to back
            for (std::wstring tree; std::getline(list, tree, L',');)
                tops.insert(tops.begin(), Build(tree + L" hidden"));
            for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
                if (std::find(tops.begin(), tops.end(), w) != tops.end())
                    order.push_back(w);
            ASSERT_EQ(order, tops) << "each tree is made, in front of the ones before";
            strMode = L"SUN"; // whatever an earlier search left
            hwndChatLog = reinterpret_cast<HWND>(0x1234);
            EXPECT_EQ(FindTarget(camera), found);
            EXPECT_EQ(std::tuple(strMode, hwndCanvas), std::tuple(mode, found ? b.Hwnd(L"A.canvas") : nullptr));
            // After a search that finds nothing these two mean nothing.
            EXPECT_TRUE(!found || (hwndBrowser == b.Hwnd(L"A") &&
                                   hwndChatLog == (mode == L"SUN" ? b.Hwnd(L"A.chatlog") : nullptr)));
            EXPECT_TRUE(seen.placements.empty()); // the camera window is at the origin and shown already
            for (const wchar_t* name : {L"A", L"B", L"X"})
                b.Send(std::wstring(L"destroy ") + name);
        }
    }
    HWND camera = nullptr;
    StandinBrowser b;
};

using Finder = Tracking;

} // namespace

// Windows of the chains' classes lie at the top level throughout: a search that went on from a
// missing level with a parent of 0 would take them for the rest of the chain.
TEST_F(Finder, FindsTheAppletInEveryTreeAndNowhereElse) {
    ASSERT_TRUE(Build(L"D1 ie-vm omit=top omit=view hidden") && Build(L"D2 ie-vm omit=top hidden") &&
                Build(L"D3 ie-sun omit=top omit=view omit=page omit=control omit=embed hidden"));
    // clang-format off
    ExpectFinds(L"VM", {L"A ie-vm", L"A ie-both", L"A sleipnir-vm", L"A sleipnir-both",
                        L"A sleipnir-vm \"title=Sleipnir - \"", L"A sleipnir-vm \"title=Sleipnir - Standin page\""});
    // Internet Explorer before Mozilla before Sleipnir, whichever lies in front. A frame or window in
    // front that breaks before any Java host holds no applet: the search goes on.
    ExpectFinds(L"SUN", {L"A ie-sun", L"A moz-sun", L"A sleipnir-sun", L"A ie-sun, B moz-sun, X sleipnir-sun",
        L"A moz-sun, X sleipnir-sun", L"A ie-sun, X ie-none", L"A ie-sun, X ie-sun cut=page",
        L"A ie-sun, X ie-vm cut=view", L"A ie-sun, X ie-sun omit=view", L"A moz-sun, X moz-none",
        L"A moz-sun, X moz-sun omit=moz3", L"A moz-sun, X moz-sun omit=moz6"});
    // Chains broken at every level. A page whose host chain breaks decides the search, although
    // another frame or browser holds an applet. Other titles. Only the first Sleipnir window is
    // walked. One with no descendants at all.
    ExpectFinds(L"NO", {L"X ie-sun omit=view", L"X ie-sun omit=page", L"X ie-sun omit=embed", L"X ie-sun omit=awt1",
        L"X ie-sun omit=awt3", L"X ie-sun omit=panel2", L"X ie-sun cut=canvas", L"X ie-sun cut=chatlog omit=panel3",
        L"X ie-vm omit=vmhost", L"X ie-vm cut=canvas", L"X moz-sun omit=moz3", L"X moz-sun omit=awt2",
        L"X moz-sun omit=panel1", L"X sleipnir-sun omit=sview", L"X sleipnir-sun omit=embedding",
        L"X sleipnir-vm omit=view", L"X sleipnir-sun omit=page", L"X sleipnir-vm cut=canvas", L"X sleipnir-none",
        L"B ie-sun, X ie-vm cut=canvas", L"B moz-sun, X ie-sun cut=panel3", L"B sleipnir-sun, X moz-sun cut=awt2",
        L"A sleipnir-vm title=Sleipnir", L"A sleipnir-vm \"title=Sleipnir -\"",
        L"A sleipnir-vm \"title=sleipnir - Standin\"", L"A sleipnir-vm \"title=SLEIPNIR - Standin\"",
        L"B sleipnir-sun, X sleipnir-none", L"X sleipnir-sun cut=tab"});
    // clang-format on
}

// Docked from the canvas as read (the VM's from its drawing area), the focus left in the browser,
// nothing asked while steady, re-docked after a move, kept in the work area off the canvas, parked
// when lost (and shown there again when hidden), docked at once when back at the same place.
TEST_F(Tracking, DocksBelowTheCanvasParksAndDocksAgain) {
    ASSERT_TRUE(Build(L"V ie-vm"));
    TickAfter(L"raise V");
    // Under the VM at (L + 7, T + 527) of the 790 x 400 canvas window.
    const Placement vm = Docking(b.Hwnd(L"V.canvas"), 7, 527 - 400);
    ASSERT_TRUE(b.Send(L"destroy V") && Build(L"A ie-sun"));
    TickAfter(L"raise A");
    const Placement docked = Docking(b.Hwnd(L"A.canvas"));
    EXPECT_EQ(GetForegroundWindow(), b.Hwnd(L"A"));
    ASSERT_TRUE(TickUntil([] { return intLastLineCount == 1; })); // an empty log has one line
    TrackTarget(camera), TrackTarget(camera);
    TickAfter(L"move A 200 150");
    const Placement moved = Docking(b.Hwnd(L"A.canvas"));
    // Near the right edge and the bottom-left corner of the work area (the 1280 x 1024 desktop under
    // Wine): within reach, off the canvas; then back. The other edges are tested natively. Each
    // coordinate is absolute, or from the canvas's left (L), right (R) or bottom (B).
    const std::tuple<const wchar_t*, char, long, char, long> edges[] = {
        {L"1340 150", 0, 1230, 'B', 77}, {L"-60 700", 'R', 0, 0, 1002}, {L"200 150", 'L', -53, 'B', 77}};
    Moves reached{vm, docked, moved};
    for (const auto& [at, xFrom, x, yFrom, y] : edges) {
        TickAfter(std::wstring(L"move A ") + at);
        RECT c{};
        GetWindowRect(b.Hwnd(L"A.canvas"), &c);
        auto from = [&](char e) { return e == 'L' ? c.left : e == 'R' ? c.right : e == 'B' ? c.bottom : 0L; };
        reached.push_back({HWND_TOPMOST, from(xFrom) + x, from(yFrom) + y, 0x51});
    }
    TickAfter(L"destroy A.canvas");
    ShowWindow(camera, SW_HIDE);
    TrackTarget(camera);
    HWND rebuilt = reinterpret_cast<HWND>(b.Send(L"rebuild A.canvas"));
    TrackTarget(camera);
    EXPECT_EQ(hwndCanvas, rebuilt);
    reached.insert(reached.end(), {kPark, kPark, moved});
    EXPECT_EQ(seen.placements, reached);
    EXPECT_EQ(seen.flashes.size(), 1u);
}

TEST_F(Tracking, HidesBehindOthersAndShowsInPlace) {
    ASSERT_TRUE(Build(L"A ie-sun") && b.Send(L"window O 300 300 200 100") &&
                b.Send(L"window P 500 500 200 100 \"title=Pikuto test\""));
    TickAfter(L"raise A");
    TickAfter(L"raise O"); // another window in front: hidden, and asked again on every tick
    TrackTarget(camera);
    TickAfter(L"raise P"); // one of our own windows in front: left alone
    TickAfter(L"raise A"); // back: shown where it was
    EXPECT_EQ(seen.placements, (Moves{Docking(b.Hwnd(L"A.canvas")), kHide, kHide, kShow}));

    // The camera window itself in front: left alone while the browser is visible, even minimised;
    // hidden once the browser is hidden, and with no foreground window at all.
    seen = {.fakeForeground = true, .front = camera};
    TickAfter(L"minimize A");
    TickAfter(L"hide A");
    seen.front = nullptr;
    TrackTarget(camera);
    EXPECT_EQ(seen.placements, (Moves{kHide, kHide}));
}

TEST_F(Tracking, FlashesOncePerChangeOfTheLineCountAndNeverWaitsOnAHungBrowser) {
    ASSERT_TRUE(Build(L"A ie-sun"));
    // Hung: unanswered queries change nothing, and the timer's ticks go on (with no window in front,
    // each hides the camera window).
    ASSERT_TRUE(TickUntil([] { return intLineCount == 1; })); // an empty log has one line
    ASSERT_TRUE(b.Send(L"lines A 4") && b.Send(L"hang 6000"));
    seen = {.fakeForeground = true};
    ASSERT_TRUE(SetTimer(camera, 1, 100, Tick));
    WaitUntil([] { return false; }, 3000);
    KillTimer(camera, 1);
    EXPECT_GE(seen.placements.size(), 5u); // ten a second when well; a blocked query would allow one
    EXPECT_TRUE(seen.flashes.empty() && intLineCount == 1);

    // Answered again: one flash per change, up, down, and beyond 32,767 lines: 65,537 is 1 again in
    // 16 bits, and must still flash.
    for (int lines : {120, 121, 119, 1, 65537}) {
        ASSERT_EQ(b.Send(L"lines A " + std::to_wstring(lines)), lines);
        EXPECT_TRUE(TickUntil([&] { return intLastLineCount == lines; })) << lines;
        TrackTarget(camera), TrackTarget(camera); // steady
    }
    ASSERT_EQ(seen.flashes.size(), 5u);
    const FLASHWINFO& f = seen.flashes[0];
    EXPECT_TRUE(f.cbSize == 20 && f.hwnd == b.Hwnd(L"A") && f.dwFlags == 14 && f.uCount == 2 && f.dwTimeout == 0);
}
