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

struct Node {
    std::wstring role, parent, cls, title;
    int x = 0, y = 0, w = -1, h = -1; // w < 0: fill the parent's client area
};
using Nodes = std::vector<Node>;

const Nodes kIe = {{L"top", L"", L"IEFrame", L"Standin - Internet Explorer", 40, 40, 820, 660},
                   {L"view", L"top", L"Shell DocObject View", L""},
                   {L"page", L"view", L"Internet Explorer_Server", L""}};
const Nodes kMoz = {{L"top", L"", L"MozillaWindowClass", L"Standin - Mozilla Firefox", 40, 40, 820, 660},
                    {L"moz1", L"top", L"MozillaWindowClass", L""},
                    {L"moz2", L"moz1", L"MozillaWindowClass", L""},
                    {L"moz3", L"moz2", L"MozillaWindowClass", L""},
                    {L"moz4", L"moz3", L"MozillaWindowClass", L""},
                    {L"moz5", L"moz4", L"MozillaWindowClass", L""},
                    {L"moz6", L"moz5", L"MozillaWindowClass", L""}};
const Nodes kMozPlugin = {
    {L"embed", L"moz6", L"sun.plugin.viewer.frame.WNetscapeEmbeddedFrame", L"", 20, 20, 740, 560}};
const Nodes kSleipnir = {{L"top", L"", L"StandinSleipnir", L"Sleipnir - Standin", 40, 40, 820, 660},
                         {L"tab", L"top", L"StandinTab", L""},
                         {L"sview", L"tab", L"AfxFrameOrView42", L"Sleipnir_IEView"},
                         {L"embedding", L"sview", L"Shell Embedding", L""},
                         {L"view", L"embedding", L"Shell DocObject View", L""},
                         {L"page", L"view", L"Internet Explorer_Server", L""}};
const Nodes kVm = {{L"vmhost", L"page", L"Microsoft VM For Java(TM) Host Window Class", L"", 20, 20, 800, 420},
                   {L"canvas", L"vmhost", L"MSAWT_Comp_Class", L"", 0, 0, 790, 400}};
const Nodes kPlugin = {{L"control", L"page", L"Java Plug-in Control Window", L"", 20, 20, 740, 560},
                       {L"embed", L"control", L"sun.plugin.viewer.frame.IExplorerEmbeddedFrame", L""}};
const Nodes kApplet = {{L"awt1", L"embed", L"SunAwtCanvas", L""},
                       {L"awt2", L"awt1", L"SunAwtCanvas", L""},
                       {L"awt3", L"awt2", L"SunAwtCanvas", L""},
                       {L"panel1", L"awt3", L"SunAwtCanvas", L"", 0, 0, 730, 20},
                       {L"panel2", L"awt3", L"SunAwtCanvas", L"", 0, 20, 730, 20},
                       {L"panel3", L"awt3", L"SunAwtCanvas", L"", 0, 40, 730, 500},
                       {L"chatlog", L"panel3", L"RichEdit20W", L"", 10, 390, 710, 60},
                       {L"canvas", L"panel3", L"SunAwtCanvas", L"", 10, 0, 710, 380}};

struct Tree {
    Nodes nodes;
    std::map<std::wstring, HWND> windows; // by role; "top" is the top-level window
};
std::map<std::wstring, Tree> trees;
HWND control;
std::wstring autoLinesTree;
constexpr wchar_t kPatternProp[] = L"StandinPattern";

void PaintPattern(HDC dc) {
    constexpr int w = 800, h = 420;
    static std::vector<DWORD> bits;
    if (bits.empty())
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                COLORREF c = StandinPatternPixel(x, y);
                bits.push_back(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c));
            }
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    StretchDIBits(dc, 0, 0, w, h, 0, 0, w, h, bits.data(), &info, DIB_RGB_COLORS, SRCCOPY);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (GetPropW(hwnd, kPatternProp))
            PaintPattern(dc);
        else
            FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
        EndPaint(hwnd, &ps);
        return 0;
    }
    if (msg == WM_ERASEBKGND)
        return 1;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void Register(const std::wstring& cls) {
    static std::set<std::wstring> done;
    if (cls == L"RichEdit20W" || !done.insert(cls).second)
        return;
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = cls.c_str();
    RegisterClassW(&wc);
}

// Creates node i of the tree and, below it, every node whose parent it is.
void CreateSubtree(Tree& tree, size_t i, DWORD exStyle = 0, bool show = true) {
    const Node& n = tree.nodes[i];
    Register(n.cls);
    HWND parent = n.parent.empty() ? nullptr : tree.windows[n.parent];
    RECT area = {0, 0, 800, 600};
    if (parent)
        GetClientRect(parent, &area);
    int w = n.w < 0 ? area.right : n.w, h = n.h < 0 ? area.bottom : n.h;
    DWORD style = parent ? WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS : WS_OVERLAPPEDWINDOW;
    if (n.cls == L"RichEdit20W")
        style |= ES_MULTILINE | ES_READONLY | WS_VSCROLL;
    HWND hwnd = CreateWindowExW(exStyle, n.cls.c_str(), n.title.c_str(), style, n.x, n.y, w, h, parent, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    tree.windows[n.role] = hwnd;
    if (n.role == L"canvas")
        SetPropW(hwnd, kPatternProp, reinterpret_cast<HANDLE>(1));
    if (n.cls == L"RichEdit20W")
        SendMessageW(hwnd, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
    for (size_t j = i + 1; j < tree.nodes.size(); ++j)
        if (tree.nodes[j].parent == n.role)
            CreateSubtree(tree, j);
    if (!parent && show) // on top of the others, as a new window the user opens, but not active
        SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

// Paints now, so a capture right after a command sees the finished windows.
HWND Painted(HWND hwnd) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    return hwnd;
}

std::vector<std::wstring> Split(const std::wstring& text) {
    std::vector<std::wstring> words;
    std::wstring word;
    bool quoted = false, any = false;
    for (wchar_t c : text) {
        if (c == L'"')
            quoted = !quoted, any = true;
        else if (c == L' ' && !quoted) {
            if (any)
                words.push_back(word);
            word.clear(), any = false;
        } else
            word += c, any = true;
    }
    if (any)
        words.push_back(word);
    return words;
}

Nodes TreeOfKind(const std::wstring& kind) {
    size_t dash = kind.find(L'-');
    std::wstring browser = kind.substr(0, dash), host = dash == std::wstring::npos ? L"" : kind.substr(dash + 1);
    Nodes nodes = browser == L"ie" ? kIe : browser == L"moz" ? kMoz : browser == L"sleipnir" ? kSleipnir : Nodes{};
    if (host == L"sun" || host == L"both") {
        const Nodes& plugin = browser == L"moz" ? kMozPlugin : kPlugin;
        nodes.insert(nodes.end(), plugin.begin(), plugin.end());
        nodes.insert(nodes.end(), kApplet.begin(), kApplet.end());
    }
    if (host == L"vm" || host == L"both")
        nodes.insert(nodes.end(), kVm.begin(), kVm.end());
    return nodes;
}

// build NAME KIND [omit=ROLE] [cut=ROLE] [title=TEXT]
HWND Build(const std::vector<std::wstring>& w) {
    Tree tree{TreeOfKind(w[2]), {}};
    if (tree.nodes.empty())
        return nullptr;
    for (size_t k = 3; k < w.size(); ++k) {
        size_t eq = w[k].find(L'=');
        std::wstring key = w[k].substr(0, eq), value = eq == std::wstring::npos ? L"" : w[k].substr(eq + 1);
        Nodes& nodes = tree.nodes;
        if (key == L"title")
            nodes[0].title = value;
        auto it = std::find_if(nodes.begin(), nodes.end(), [&](const Node& n) { return n.role == value; });
        if (it == nodes.end())
            continue;
        if (key == L"omit") { // the level goes; its children hang from its parent
            std::wstring up = it->parent;
            nodes.erase(it);
            for (Node& n : nodes)
                if (n.parent == value)
                    n.parent = up;
        }
        if (key == L"cut") { // the window goes with everything below it
            std::set<std::wstring> gone;
            std::erase_if(nodes, [&](const Node& n) {
                bool below = n.role == value || gone.count(n.parent);
                if (below)
                    gone.insert(n.role);
                return below;
            });
        }
    }
    Tree& made = trees[w[1]] = tree;
    HWND first = nullptr;
    for (size_t i = 0; i < made.nodes.size(); ++i)
        if (made.nodes[i].parent.empty()) {
            CreateSubtree(made, i);
            HWND root = Painted(made.windows[made.nodes[i].role]);
            first = first ? first : root;
        }
    return first;
}

// window NAME X Y W H [title=TEXT] [class=CLASS] [topmost] [hidden]
HWND OrdinaryWindow(const std::vector<std::wstring>& w) {
    Node n{L"top",
           L"",
           L"StandinWindow",
           L"Standin other window",
           _wtoi(w[2].c_str()),
           _wtoi(w[3].c_str()),
           _wtoi(w[4].c_str()),
           _wtoi(w[5].c_str())};
    DWORD exStyle = 0;
    bool show = true;
    for (size_t k = 6; k < w.size(); ++k) {
        if (w[k].rfind(L"title=", 0) == 0)
            n.title = w[k].substr(6);
        if (w[k].rfind(L"class=", 0) == 0)
            n.cls = w[k].substr(6);
        if (w[k] == L"topmost")
            exStyle |= WS_EX_TOPMOST;
        if (w[k] == L"hidden")
            show = false;
    }
    Tree& tree = trees[w[1]] = Tree{{n}, {}};
    CreateSubtree(tree, 0, exStyle, show);
    return Painted(tree.windows[L"top"]);
}

// NAME is a tree's top-level window, NAME.ROLE one of its windows.
HWND Lookup(const std::wstring& name, Tree** tree = nullptr, std::wstring* role = nullptr) {
    size_t dot = name.find(L'.');
    auto t = trees.find(name.substr(0, dot));
    if (t == trees.end())
        return nullptr;
    std::wstring r = dot == std::wstring::npos ? L"top" : name.substr(dot + 1);
    if (tree)
        *tree = &t->second;
    if (role)
        *role = r;
    auto found = t->second.windows.find(r);
    return found == t->second.windows.end() ? nullptr : found->second;
}

// Sets the chat log to exactly `count` lines; returns the control's own count.
LRESULT SetLines(HWND log, int count) {
    std::wstring text;
    for (int i = 1; i <= count; ++i)
        text += (i > 1 ? L"\rline " : L"line ") + std::to_wstring(i);
    SetWindowTextW(log, text.c_str());
    return SendMessageW(log, EM_GETLINECOUNT, 0, 0);
}

LRESULT AddLine(HWND log) {
    LRESULT lines = SendMessageW(log, EM_GETLINECOUNT, 0, 0);
    return SetLines(log, GetWindowTextLengthW(log) ? static_cast<int>(lines) + 1 : 1);
}

LRESULT Run(const std::wstring& command) {
    std::vector<std::wstring> w = Split(command);
    if (w.empty())
        return 0;
    const std::wstring& verb = w[0];
    auto arg = [&](size_t k) { return k < w.size() ? _wtoi(w[k].c_str()) : 0; };
    if (verb == L"sync")
        return 1;
    if (verb == L"hang") { // answered first, then the one GUI thread stops: nothing is answered meanwhile
        ReplyMessage(1);
        Sleep(static_cast<DWORD>(arg(1)));
        return 1;
    }
    if (w.size() < 2)
        return 0;
    if (verb == L"build" && w.size() >= 3)
        return reinterpret_cast<LRESULT>(Build(w));
    if (verb == L"window" && w.size() >= 6)
        return reinterpret_cast<LRESULT>(OrdinaryWindow(w));
    Tree* tree = nullptr;
    std::wstring role;
    HWND hwnd = Lookup(w[1], &tree, &role);
    HWND log = tree ? Lookup(w[1].substr(0, w[1].find(L'.')) + L".chatlog") : nullptr;
    if (verb == L"lines" && log)
        return SetLines(log, arg(2));
    if (verb == L"addline" && log)
        return AddLine(log);
    if (verb == L"autolines" && log) {
        autoLinesTree = w[1];
        return arg(2) ? SetTimer(control, 1, arg(2), nullptr) : KillTimer(control, 1);
    }
    if (verb == L"rebuild" && tree) {
        for (size_t i = 0; i < tree->nodes.size(); ++i)
            if (tree->nodes[i].role == role) {
                Node saved = tree->nodes[i];
                if (IsWindow(hwnd)) { // at the same place as the window it replaces
                    RECT r;
                    GetWindowRect(hwnd, &r);
                    MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
                    tree->nodes[i].x = r.left, tree->nodes[i].y = r.top;
                    tree->nodes[i].w = r.right - r.left, tree->nodes[i].h = r.bottom - r.top;
                    DestroyWindow(hwnd);
                }
                CreateSubtree(*tree, i);
                tree->nodes[i] = saved;
                return reinterpret_cast<LRESULT>(Painted(tree->windows[role]));
            }
        return 0;
    }
    if (!hwnd)
        return 0;
    constexpr UINT kKeep = SWP_NOZORDER | SWP_NOACTIVATE;
    if (verb == L"hwnd")
        return reinterpret_cast<LRESULT>(hwnd);
    if (verb == L"move")
        return SetWindowPos(hwnd, nullptr, arg(2), arg(3), 0, 0, kKeep | SWP_NOSIZE);
    if (verb == L"size")
        return SetWindowPos(hwnd, nullptr, 0, 0, arg(2), arg(3), kKeep | SWP_NOMOVE);
    if (verb == L"raise") {
        SetForegroundWindow(hwnd);
        return GetForegroundWindow() == hwnd;
    }
    if (verb == L"minimize")
        return ShowWindow(hwnd, SW_MINIMIZE), 1;
    if (verb == L"restore")
        return ShowWindow(hwnd, SW_RESTORE), 1;
    if (verb == L"hide")
        return ShowWindow(hwnd, SW_HIDE), 1;
    if (verb == L"show")
        return ShowWindow(hwnd, SW_SHOWNA), 1;
    if (verb == L"destroy") {
        if (role == L"top")
            trees.erase(w[1]);
        return DestroyWindow(hwnd);
    }
    return 0;
}

LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COPYDATA) {
        auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        return Run(std::wstring(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t)));
    }
    if (msg == WM_TIMER) {
        if (HWND log = Lookup(autoLinesTree + L".chatlog"))
            AddLine(log);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    LoadLibraryW(L"riched20.dll"); // registers RichEdit20W
    WNDCLASSW wc{};
    wc.lpfnWndProc = ControlProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"StandinControl";
    RegisterClassW(&wc);
    // Message-only, so no window search but the client's ever meets it.
    std::wstring title = L"Standin " + std::to_wstring(GetCurrentProcessId());
    control =
        CreateWindowExW(0, wc.lpszClassName, title.c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 1; i < argc; ++i)
        Run(argv[i]);
    LocalFree(argv);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
