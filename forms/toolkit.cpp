// The window toolkit layer: forms, windowless controls, picture box, timers, menus, message boxes.
#include "forms/toolkit.h"

#include <windowsx.h>

namespace tk {

Calls calls;

void EndProcessNow() { ExitProcess(0); }

void End() { calls.EndProcess(); }

// ---- Picture ----

std::unique_ptr<Picture> Picture::FromResource(int id, const wchar_t* type) {
    std::vector<BYTE> bytes = LoadResData(id, type);
    if (bytes.empty())
        return nullptr;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!memory)
        return nullptr;
    if (void* p = GlobalLock(memory)) {
        memcpy(p, bytes.data(), bytes.size());
        GlobalUnlock(memory);
    }
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        GlobalFree(memory);
        return nullptr;
    }
    auto result = std::unique_ptr<Picture>(new Picture);
    HRESULT hr = OleLoadPicture(stream, static_cast<LONG>(bytes.size()), FALSE, IID_IPicture,
                                reinterpret_cast<void**>(&result->picture_));
    stream->Release();
    if (FAILED(hr) || !result->picture_)
        return nullptr;
    OLE_XSIZE_HIMETRIC w = 0;
    OLE_YSIZE_HIMETRIC h = 0;
    result->picture_->get_Width(&w);
    result->picture_->get_Height(&h);
    // HIMETRIC to pixels at 96 dpi, rounded.
    result->size_ = {MulDiv(w, 96, 2540), MulDiv(h, 96, 2540)};
    return result;
}

Picture::~Picture() {
    if (picture_)
        picture_->Release();
}

void Picture::Draw(HDC dc, int x, int y) const {
    OLE_XSIZE_HIMETRIC w = 0;
    OLE_YSIZE_HIMETRIC h = 0;
    picture_->get_Width(&w);
    picture_->get_Height(&h);
    picture_->Render(dc, x, y, size_.cx, size_.cy, 0, h, w, -h, nullptr);
}

// ---- PictureBox ----

namespace {
HBITMAP CreateDib(HDC dc, int width, int height, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}
} // namespace

PictureBox::PictureBox(int width, int height, COLORREF backColor)
    : width_(width), height_(height), backColor_(backColor) {
    dc_ = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    bitmap_ = CreateDib(dc_, width, height, &bits);
    if (dc_ && bitmap_)
        oldBitmap_ = SelectObject(dc_, bitmap_);
    Cls();
}

PictureBox::~PictureBox() {
    if (dc_ && oldBitmap_)
        SelectObject(dc_, oldBitmap_);
    if (bitmap_)
        DeleteObject(bitmap_);
    if (dc_)
        DeleteDC(dc_);
}

void PictureBox::Cls() {
    if (!dc_)
        return;
    HBRUSH brush = CreateSolidBrush(backColor_);
    RECT all{0, 0, width_, height_};
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
}

HRESULT PictureBox::Image(IPictureDisp** picture) const {
    if (!picture)
        return E_POINTER;
    *picture = nullptr;
    if (!dc_ || !bitmap_)
        return E_FAIL;
    // A copy, so the picture's bitmap is selected into no device context while others read it.
    HDC copyDc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP copy = CreateDib(copyDc, width_, height_, &bits);
    if (!copyDc || !copy) {
        if (copy)
            DeleteObject(copy);
        if (copyDc)
            DeleteDC(copyDc);
        return E_OUTOFMEMORY;
    }
    GdiFlush();
    HGDIOBJ old = SelectObject(copyDc, copy);
    BOOL copied = BitBlt(copyDc, 0, 0, width_, height_, dc_, 0, 0, SRCCOPY);
    SelectObject(copyDc, old);
    DeleteDC(copyDc);
    if (!copied) {
        DeleteObject(copy);
        return E_FAIL;
    }
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof(desc);
    desc.picType = PICTYPE_BITMAP;
    desc.bmp.hbitmap = copy;
    HRESULT hr = OleCreatePictureIndirect(&desc, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(picture));
    if (FAILED(hr))
        DeleteObject(copy);
    return hr;
}

// ---- Timer ----

void Timer::Start(HWND owner, UINT_PTR id, UINT interval) {
    Stop();
    if (calls.SetTimer(owner, id, interval)) {
        owner_ = owner;
        id_ = id;
    }
}

void Timer::Stop() {
    if (owner_)
        calls.KillTimer(owner_, id_);
    owner_ = nullptr;
}

// ---- ModalScope ----

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

// ---- Form ----

namespace {
HFONT MessageFont() {
    static HFONT font = [] {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof(metrics);
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
        // The forms are laid out for a 12-pixel (9 point) font, whatever the system's own size.
        metrics.lfMessageFont.lfHeight = -12;
        return CreateFontIndirectW(&metrics.lfMessageFont);
    }();
    return font;
}

short ShiftState() {
    short shift = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        shift |= 1;
    if (GetKeyState(VK_CONTROL) < 0)
        shift |= 2;
    if (GetKeyState(VK_MENU) < 0)
        shift |= 4;
    return shift;
}

bool Contains(const RECT& rect, POINT pt) { return PtInRect(&rect, pt) != FALSE; }
} // namespace

Form::~Form() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
    if (backBrush_)
        DeleteObject(backBrush_);
}

bool Form::Load() {
    if (hwnd_)
        return true;
    FormDefinition def = Define();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(instance, def.className, &wc)) {
        wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = def.className;
        RegisterClassExW(&wc);
    }
    backColor_ = def.backSysColor >= 0 ? GetSysColor(def.backSysColor) : def.backColor;
    if (backBrush_)
        DeleteObject(backBrush_);
    backBrush_ = CreateSolidBrush(backColor_);
    font_ = MessageFont();
    centred_ = def.centred;
    shownOnce_ = false;
    labels_.clear();
    images_.clear();
    pressedImage_ = nullptr;

    RECT frame{0, 0, def.clientWidth, def.clientHeight};
    AdjustWindowRectEx(&frame, def.style, FALSE, def.exStyle);
    hwnd_ = CreateWindowExW(def.exStyle, def.className, def.caption.c_str(), def.style, 0, 0, frame.right - frame.left,
                            frame.bottom - frame.top, nullptr, nullptr, instance, this);
    if (!hwnd_)
        return false;
    if (def.icon) {
        SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(def.icon));
        SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(def.icon));
    }
    CreateControls();
    Form_Load();
    return hwnd_ != nullptr;
}

void Form::Show() {
    if (!hwnd_ && !Load())
        return;
    if (!shownOnce_ && centred_) {
        RECT rect;
        GetWindowRect(hwnd_, &rect);
        int w = rect.right - rect.left, h = rect.bottom - rect.top;
        SetWindowPos(hwnd_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2,
                     0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    shownOnce_ = true;
    ShowWindow(hwnd_, SW_SHOW);
}

void Form::ShowModal() {
    if (!hwnd_ && !Load())
        return;
    HWND self = hwnd_;
    ModalScope scope(self);
    Show();
    SetForegroundWindow(self);
    // Our own loop, so the other windows' timers keep firing while the form is open.
    MSG msg;
    while (IsWindow(self)) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam)); // leave the quit for the outer loop
            break;
        }
        if (got == -1)
            break;
        if (!IsDialogMessageW(self, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

void Form::Unload() {
    if (!hwnd_)
        return;
    short cancel = 0;
    Form_Unload(cancel);
    if (!cancel && hwnd_)
        DestroyWindow(hwnd_);
}

bool Form::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

Label& Form::AddLabel(const Label& label) {
    labels_.push_back(std::make_unique<Label>(label));
    return *labels_.back();
}

Image& Form::AddImage(const Image& image) {
    images_.push_back(std::make_unique<Image>(image));
    return *images_.back();
}

HWND Form::AddControl(const wchar_t* className, const wchar_t* text, DWORD style, int x, int y, int w, int h, int id) {
    HWND control = CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, hwnd_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (control)
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return control;
}

LRESULT CALLBACK Form::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* form = static_cast<Form*>(create->lpCreateParams);
        form->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    try {
        return form->HandleMessage(msg, wParam, lParam);
    } catch (...) {
        // Nothing may unwind through USER32.
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (OnMessage(msg, wParam, lParam, result))
        return result;
    switch (msg) {
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(hwnd_, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, backBrush_);
        return 1;
    }
    case WM_PAINT:
        Paint();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        MouseDown(1, wParam, lParam);
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        MouseDown(2, wParam, lParam);
        return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        MouseDown(4, wParam, lParam);
        return 0;
    case WM_LBUTTONUP: {
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const Image* pressed = pressedImage_;
        pressedImage_ = nullptr;
        if (GetCapture() == hwnd_)
            ReleaseCapture();
        if (pressed && ImageAt(pt) == pressed && pressed->Click)
            pressed->Click();
        return 0;
    }
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && reinterpret_cast<HWND>(wParam) == hwnd_) {
            POINT pt;
            GetCursorPos(&pt);
            ScreenToClient(hwnd_, &pt);
            if (const Image* image = ImageAt(pt); image && image->mousePointer) {
                SetCursor(image->mousePointer);
                return TRUE;
            }
        }
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, kDarkBlue);
        SetBkColor(dc, backColor_);
        return reinterpret_cast<LRESULT>(backBrush_);
    }
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_CLOSE:
        Unload();
        return 0;
    case WM_NCDESTROY: {
        HWND gone = hwnd_;
        hwnd_ = nullptr;
        SetWindowLongPtrW(gone, GWLP_USERDATA, 0);
        OnDestroyed();
        return DefWindowProcW(gone, msg, wParam, lParam);
    }
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

void Form::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    for (const auto& image : images_)
        if (image->picture)
            image->picture->Draw(dc, image->rect.left, image->rect.top);
    HGDIOBJ oldFont = SelectObject(dc, font_);
    for (const auto& label : labels_) {
        if (label->caption.empty() && label->transparent)
            continue;
        RECT rect = label->rect;
        if (!label->transparent) {
            HBRUSH brush = CreateSolidBrush(label->backColor);
            FillRect(dc, &rect, brush);
            DeleteObject(brush);
        }
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, label->foreColor);
        DrawTextW(dc, label->caption.c_str(), static_cast<int>(label->caption.size()), &rect,
                  label->align | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    }
    SelectObject(dc, oldFont);
    EndPaint(hwnd_, &ps);
}

const Image* Form::ImageAt(POINT pt) const {
    for (auto it = images_.rbegin(); it != images_.rend(); ++it)
        if (Contains((*it)->rect, pt))
            return it->get();
    return nullptr;
}

void Form::MouseDown(short button, WPARAM, LPARAM lParam) {
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    // Labels lie in front of images: the topmost label under the pointer takes the press.
    for (auto it = labels_.rbegin(); it != labels_.rend(); ++it) {
        if (Contains((*it)->rect, pt)) {
            if ((*it)->MouseDown)
                (*it)->MouseDown(button, ShiftState(), pt.x, pt.y);
            return;
        }
    }
    if (button == 1) {
        pressedImage_ = ImageAt(pt);
        if (pressedImage_)
            SetCapture(hwnd_);
    }
}

// ---- PopupMenu ----

PopupMenu::PopupMenu(const std::vector<MenuItem>& items) {
    // A hidden top-level menu holding the popup: never attached to a window as a menu bar.
    bar_ = CreateMenu();
    menu_ = CreatePopupMenu();
    for (const MenuItem& item : items) {
        if (item.id == 0)
            AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuW(menu_, MF_STRING, item.id, item.caption);
    }
    AppendMenuW(bar_, MF_POPUP, reinterpret_cast<UINT_PTR>(menu_), kAppTitle);
}

PopupMenu::~PopupMenu() { DestroyMenu(bar_); } // destroys the popup with it

void PopupMenu::Enable(UINT id, bool enabled) {
    EnableMenuItem(menu_, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void PopupMenu::PopupAtPointer(HWND owner) {
    POINT pt;
    GetCursorPos(&pt);
    // Without the owner in the foreground, the menu would not close on a click outside it.
    SetForegroundWindow(owner);
    calls.TrackPopupMenu(menu_, TPM_RIGHTBUTTON | TPM_LEFTALIGN, pt.x, pt.y, owner);
    PostMessageW(owner, WM_NULL, 0, 0);
}

// ---- Message box ----

int MsgBox(const std::wstring& prompt, UINT flags) {
    ModalScope scope;
    return calls.MessageBox(nullptr, prompt.c_str(), kAppTitle, flags);
}

// ---- Application information ----

bool PrevInstance() {
    // Held for the life of the process; "Local\" makes the guard per logon session.
    // The last error is read at once: the guard of a function-local static may change it.
    static const bool existed = [] {
        HANDLE mutex = CreateMutexW(nullptr, FALSE, L"Local\\Pikuto.Instance");
        return mutex && GetLastError() == ERROR_ALREADY_EXISTS;
    }();
    return existed;
}

std::wstring DirectoryOfModulePath(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return path;
    std::wstring directory = path.substr(0, slash);
    // "C:" alone names the current directory of the drive, not its root.
    if (directory.size() == 2 && directory[1] == L':')
        directory += L'\\';
    return directory;
}

std::wstring AppPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return L"";
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return DirectoryOfModulePath(path);
}

bool AppVersion(Version& version) {
    HRSRC info = FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16) /* RT_VERSION */);
    HGLOBAL loaded = info ? LoadResource(nullptr, info) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        return false;
    // VerQueryValue wants a writable copy of the block.
    DWORD size = SizeofResource(nullptr, info);
    std::vector<BYTE> copy(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!VerQueryValueW(copy.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) || fixedSize < sizeof(*fixed))
        return false;
    version = {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
               LOWORD(fixed->dwFileVersionLS)};
    return true;
}

std::vector<BYTE> LoadResData(int id, const wchar_t* type) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), type);
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!data)
        return {};
    return std::vector<BYTE>(data, data + SizeofResource(nullptr, found));
}

} // namespace tk
