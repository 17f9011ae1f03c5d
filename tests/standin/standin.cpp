// The stand-in browser: builds on command the window trees of the browsers and Java hosts the
// finder knows, with their real class names and titles, and moves, hides, hangs or breaks them.
// Commands and the protocol are described in standin_client.h.
#include <windows.h>
#include <richedit.h>
#include <shellapi.h>

#include "pattern.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// One window of a tree: its role, its parent's role ("" for a top-level window), class and title.
struct Node {
    std::wstring role, parent, cls, title;
    int x = 0, y = 0, w = 820, h = 660; // by default the top-level size: a level covers its parent
};
using Nodes = std::vector<Node>;

// The trees, one table of rows per browser and per Java host; a kind of tree joins them.
// clang-format off
const Nodes kIe = {{L"top", L"", L"IEFrame", L"Standin - Internet Explorer", 40, 40},
                   {L"view", L"top", L"Shell DocObject View", L""},
                   {L"page", L"view", L"Internet Explorer_Server", L""}};
const Nodes kMoz = {{L"top", L"", L"MozillaWindowClass", L"Standin - Mozilla Firefox", 40, 40},
                    {L"moz1", L"top", L"MozillaWindowClass", L""},  {L"moz2", L"moz1", L"MozillaWindowClass", L""},
                    {L"moz3", L"moz2", L"MozillaWindowClass", L""}, {L"moz4", L"moz3", L"MozillaWindowClass", L""},
                    {L"moz5", L"moz4", L"MozillaWindowClass", L""}, {L"moz6", L"moz5", L"MozillaWindowClass", L""}};
const Nodes kSleipnir = {{L"top", L"", L"StandinSleipnir", L"Sleipnir - Standin", 40, 40},
                         {L"tab", L"top", L"StandinTab", L""},
                         {L"sview", L"tab", L"AfxFrameOrView42", L"Sleipnir_IEView"},
                         {L"embedding", L"sview", L"Shell Embedding", L""},
                         {L"view", L"embedding", L"Shell DocObject View", L""},
                         {L"page", L"view", L"Internet Explorer_Server", L""}};
const Nodes kVm = {{L"vmhost", L"page", L"Microsoft VM For Java(TM) Host Window Class", L"", 20, 20, 800, 420},
                   {L"canvas", L"vmhost", L"MSAWT_Comp_Class", L"", 0, 0, 790, 400}};
const Nodes kPlugin = {{L"control", L"page", L"Java Plug-in Control Window", L"", 20, 20, 740, 560},
                       {L"embed", L"control", L"sun.plugin.viewer.frame.IExplorerEmbeddedFrame", L""}};
const Nodes kMozPlugin = {{L"embed", L"moz6", L"sun.plugin.viewer.frame.WNetscapeEmbeddedFrame", L"", 20, 20, 740, 560}};
const Nodes kApplet = {{L"awt1", L"embed", L"SunAwtCanvas", L""},
                       {L"awt2", L"awt1", L"SunAwtCanvas", L""},
                       {L"awt3", L"awt2", L"SunAwtCanvas", L""},
                       {L"panel1", L"awt3", L"SunAwtCanvas", L"", 0, 0, 730, 20},
                       {L"panel2", L"awt3", L"SunAwtCanvas", L"", 0, 20, 730, 20},
                       {L"panel3", L"awt3", L"SunAwtCanvas", L"", 0, 40, 730, 500},
                       {L"chatlog", L"panel3", L"RichEdit20W", L"", 10, 390, 710, 60},
                       {L"canvas", L"panel3", L"SunAwtCanvas", L"", 10, 0, 710, 380}};
// The browser, then the page's Java host ("both": the Plug-in and the VM on one page).
const std::map<std::wstring, std::vector<const Nodes*>> kKinds = {
    {L"ie-vm", {&kIe, &kVm}}, {L"ie-sun", {&kIe, &kPlugin, &kApplet}}, {L"ie-none", {&kIe}},
    {L"ie-both", {&kIe, &kPlugin, &kApplet, &kVm}}, {L"moz-sun", {&kMoz, &kMozPlugin, &kApplet}}, {L"moz-none", {&kMoz}},
    {L"sleipnir-vm", {&kSleipnir, &kVm}}, {L"sleipnir-sun", {&kSleipnir, &kPlugin, &kApplet}},
    {L"sleipnir-both", {&kSleipnir, &kPlugin, &kApplet, &kVm}}, {L"sleipnir-none", {&kSleipnir}}};
// clang-format on

struct Tree {
    Nodes nodes;                          // parents before their children
    std::map<std::wstring, HWND> windows; // by role
    DWORD exStyle = 0;
    bool hidden = false;
};
std::map<std::wstring, Tree> trees;
HWND control;
std::wstring autoLinesTree;

// Canvases show the pattern; every other window is plain.
LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    bool canvas = GetPropW(hwnd, L"StandinPattern") != nullptr;
    if (msg == WM_ERASEBKGND && canvas)
        return 1; // the pattern covers it all
    if (msg != WM_PAINT || !canvas)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    constexpr int w = 800, h = 420; // covers both canvases
    std::vector<DWORD> bits;        // cheap enough to make for every paint
    for (int i = 0; i < w * h; ++i) // COLORREF is 0x00BBGGRR, a DIB's pixel 0x00RRGGBB
        bits.push_back(_byteswap_ulong(StandinPatternPixel(i % w, i / w)) >> 8);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    BITMAPINFO info{{sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    StretchDIBits(dc, 0, 0, w, h, 0, 0, w, h, bits.data(), &info, DIB_RGB_COLORS, SRCCOPY);
    EndPaint(hwnd, &ps);
    return 0;
}

// Creates node i of the tree and, below it, every node whose parent it is.
HWND Create(Tree& tree, size_t i) {
    const Node& n = tree.nodes[i];
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const bool log = n.cls == L"RichEdit20W";
    WNDCLASSW wc{0,       WindowProc,   0, 0, instance, nullptr, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                 nullptr, n.cls.c_str()};
    if (!log) // the system's own; a second registration of ours simply fails
        RegisterClassW(&wc);
    HWND parent = n.parent.empty() ? nullptr : tree.windows[n.parent];
    DWORD style = !parent ? WS_OVERLAPPEDWINDOW
                          : WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS |
                                (log ? ES_MULTILINE | ES_READONLY | WS_VSCROLL : 0);
    HWND hwnd = tree.windows[n.role] = CreateWindowExW(parent ? 0 : tree.exStyle, n.cls.c_str(), n.title.c_str(), style,
                                                       n.x, n.y, n.w, n.h, parent, nullptr, instance, nullptr);
    if (n.role == L"canvas")
        SetPropW(hwnd, L"StandinPattern", hwnd);
    if (log)
        SendMessageW(hwnd, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
    for (size_t j = i + 1; j < tree.nodes.size(); ++j)
        if (tree.nodes[j].parent == n.role)
            Create(tree, j);
    if (!parent && !tree.hidden) { // on top of the others, as a new window the user opens, but not active
        SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        // Painted now, so a capture right after the command sees the finished windows.
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
    return hwnd;
}

// build NAME KIND [omit=ROLE]... [cut=ROLE]... [title=TEXT]
// window NAME X Y W H [title=TEXT] [topmost] [hidden]
HWND Build(const std::vector<std::wstring>& w) {
    Tree tree;
    if (w[0] == L"window") {
        tree.nodes = {{L"top", L"", L"StandinWindow", L"Standin other window", _wtoi(w[2].c_str()), _wtoi(w[3].c_str()),
                       _wtoi(w[4].c_str()), _wtoi(w[5].c_str())}};
    } else if (auto kind = kKinds.find(w[2]); kind != kKinds.end()) {
        for (const Nodes* part : kind->second)
            tree.nodes.insert(tree.nodes.end(), part->begin(), part->end());
    } else {
        return nullptr;
    }
    Nodes& nodes = tree.nodes;
    for (size_t k = w[0] == L"window" ? 6 : 3; k < w.size(); ++k) {
        std::wstring key = w[k].substr(0, w[k].find(L'=')), value = w[k].substr(std::min(key.size() + 1, w[k].size()));
        if (key == L"title")
            nodes[0].title = value;
        tree.exStyle |= key == L"topmost" ? WS_EX_TOPMOST : 0;
        tree.hidden = tree.hidden || key == L"hidden";
        auto it = std::find_if(nodes.begin(), nodes.end(), [&](const Node& n) { return n.role == value; });
        if (it != nodes.end() && key == L"omit") { // the level goes; its children hang from its parent
            for (Node& n : nodes)
                if (n.parent == value)
                    n.parent = it->parent;
            nodes.erase(it);
        }
        if (key == L"cut") { // the window goes with everything below it
            std::set<std::wstring> gone{value};
            std::erase_if(nodes, [&](const Node& n) {
                if (gone.count(n.parent))
                    gone.insert(n.role);
                return gone.count(n.role) > 0;
            });
        }
    }
    Tree& made = trees[w[1]] = tree;
    HWND first = nullptr; // with omit=top, several top-level windows
    for (size_t i = 0; i < made.nodes.size(); ++i)
        if (HWND root = made.nodes[i].parent.empty() ? Create(made, i) : nullptr; root && !first)
            first = root;
    return first;
}

// Sets the chat log to exactly `count` lines; returns the control's own count.
LRESULT SetLines(HWND log, int count) {
    std::wstring text;
    for (int i = 1; i <= count; ++i)
        text += (i > 1 ? L"\rline " : L"line ") + std::to_wstring(i);
    SetWindowTextW(log, text.c_str());
    return SendMessageW(log, EM_GETLINECOUNT, 0, 0);
}

LRESULT Run(const std::wstring& command) {
    // Words as on a command line; the first word of a command line is parsed by other rules.
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW((L"standin " + command).c_str(), &count);
    std::vector<std::wstring> w(argv + 1, argv + count);
    LocalFree(argv);
    w.resize(std::max<size_t>(w.size(), 6)); // missing words read as empty
    auto arg = [&](size_t k) { return _wtoi(w[k].c_str()); };
    const std::wstring& verb = w[0];
    if (verb == L"hang") // answered first, then the one GUI thread stops: nothing is answered meanwhile
        ReplyMessage(1), Sleep(static_cast<DWORD>(arg(1)));
    if (verb == L"sync" || verb == L"hang")
        return 1;
    if (verb == L"build" || verb == L"window")
        return reinterpret_cast<LRESULT>(Build(w));
    std::wstring name = w[1].substr(0, w[1].find(L'.')); // NAME or NAME.ROLE
    std::wstring role = name.size() < w[1].size() ? w[1].substr(name.size() + 1) : L"top";
    Tree& tree = trees[name];
    HWND hwnd = IsWindow(tree.windows[role]) ? tree.windows[role] : nullptr, log = tree.windows[L"chatlog"];
    if (verb == L"lines" && log)
        return SetLines(log, arg(2));
    if (verb == L"autolines" && log) {
        autoLinesTree = name;
        return arg(2) ? SetTimer(control, 1, arg(2), nullptr) : KillTimer(control, 1);
    }
    auto node = std::find_if(tree.nodes.begin(), tree.nodes.end(), [&](const Node& n) { return n.role == role; });
    if (verb == L"rebuild" && node != tree.nodes.end()) // made again at its first place, with what was below it
        return DestroyWindow(hwnd), reinterpret_cast<LRESULT>(Create(tree, node - tree.nodes.begin()));
    if (!hwnd)
        return 0;
    if (verb == L"minimize" || verb == L"hide")
        return ShowWindow(hwnd, verb == L"hide" ? SW_HIDE : SW_MINIMIZE), 1;
    if (verb == L"move")
        return SetWindowPos(hwnd, nullptr, arg(2), arg(3), 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
    if (verb == L"raise")
        return SetForegroundWindow(hwnd) && GetForegroundWindow() == hwnd;
    if (verb == L"destroy")
        return DestroyWindow(hwnd);
    return verb == L"hwnd" ? reinterpret_cast<LRESULT>(hwnd) : 0;
}

LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COPYDATA) {
        auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        return Run(std::wstring(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t)));
    }
    if (msg != WM_TIMER)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (HWND log = trees[autoLinesTree].windows[L"chatlog"]; IsWindow(log)) // autolines: one line more
        SetLines(log, GetWindowTextLengthW(log) ? static_cast<int>(SendMessageW(log, EM_GETLINECOUNT, 0, 0)) + 1 : 1);
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    LoadLibraryW(L"riched20.dll"); // registers RichEdit20W
    WNDCLASSW wc{0, ControlProc, 0, 0, instance, nullptr, nullptr, nullptr, nullptr, L"StandinControl"};
    RegisterClassW(&wc);
    // Message-only, so no window search but the client's ever meets it.
    control = CreateWindowExW(0, wc.lpszClassName, (L"Standin " + std::to_wstring(GetCurrentProcessId())).c_str(), 0, 0,
                              0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 1; i < argc; ++i)
        Run(argv[i]);
    LocalFree(argv);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    return 0;
}
