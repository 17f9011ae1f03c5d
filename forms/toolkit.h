// A thin layer over the window toolkit: forms with load and unload events, modal showing,
// windowless labels and images, the off-screen picture box, timers, popup menus, message
// boxes and a few application services. Just what the three forms need.
#pragma once

#include <windows.h>
#include <mmsystem.h>
#include <ocidl.h>
#include <olectl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tk {

void EndProcessNow();

// The calls that tests watch or steer. Real in the product. Plain function pointers, so that
// tests can plug in lambdas.
struct Calls {
    UINT_PTR (*SetTimer)(HWND, UINT_PTR, UINT) = [](HWND hwnd, UINT_PTR id, UINT interval) {
        return ::SetTimer(hwnd, id, interval, nullptr);
    };
    BOOL (*KillTimer)(HWND, UINT_PTR) = [](HWND hwnd, UINT_PTR id) { return ::KillTimer(hwnd, id); };
    BOOL (*TrackPopupMenu)(HMENU, UINT, int, int, HWND) = [](HMENU menu, UINT flags, int x, int y, HWND owner) {
        return ::TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr);
    };
    int (*MessageBox)(HWND, LPCWSTR, LPCWSTR, UINT) = [](HWND owner, LPCWSTR text, LPCWSTR caption, UINT flags) {
        return ::MessageBoxW(owner, text, caption, flags);
    };
    BOOL (*PlaySound)(LPCWSTR, HMODULE, DWORD) = [](LPCWSTR sound, HMODULE module, DWORD flags) {
        return ::PlaySoundW(sound, module, flags);
    };
    void (*EndProcess)() = EndProcessNow;
};
extern Calls calls;

inline constexpr wchar_t kAppTitle[] = L"Pikuto";

// Colour and pixel helpers shared by the forms.
inline constexpr COLORREF kDarkBlue = RGB(46, 64, 109);

// A bitmap-backed picture loaded from a resource (GIF), drawn at its own size.
class Picture {
public:
    static std::unique_ptr<Picture> FromResource(int id, const wchar_t* type);
    ~Picture();
    SIZE Size() const { return size_; }
    void Draw(HDC dc, int x, int y) const;

private:
    IPicture* picture_ = nullptr;
    SIZE size_{};
};

// Windowless controls, drawn by their form and hit-tested by it, in the order added (later on top).
struct Label {
    RECT rect{};
    std::wstring caption;
    UINT align = DT_LEFT; // DT_LEFT, DT_CENTER or DT_RIGHT
    COLORREF foreColor = RGB(0, 0, 0);
    bool transparent = true;       // false: filled with backColor
    COLORREF backColor = RGB(255, 255, 255);
    // Button 1 left, 2 right, 4 middle; Shift 1 Shift, 2 Ctrl, 4 Alt; X, Y in pixels.
    std::function<void(short button, short shift, int x, int y)> MouseDown;
};

struct Image {
    RECT rect{};
    const Picture* picture = nullptr;
    HCURSOR mousePointer = nullptr; // the pointer over the image; null keeps the form's
    std::function<void()> Click;
};

// The off-screen picture box: a persistent 710 x 380 (or other) drawing surface.
class PictureBox {
public:
    PictureBox(int width, int height, COLORREF backColor);
    ~PictureBox();
    PictureBox(const PictureBox&) = delete;
    PictureBox& operator=(const PictureBox&) = delete;

    void Cls();                  // fill with the background colour
    HDC hDC() const { return dc_; }
    void Refresh() {}            // nothing on screen to update: the surface is never shown
    // A picture object holding a copy of the surface's bitmap; the caller releases it.
    HRESULT Image(IPictureDisp** picture) const;

private:
    int width_, height_;
    COLORREF backColor_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
};

// A timer owned by a form window.
class Timer {
public:
    void Start(HWND owner, UINT_PTR id, UINT interval);
    void Stop();

private:
    HWND owner_ = nullptr;
    UINT_PTR id_ = 0;
};

// Keeps the program's other windows from taking input while a modal thing is open:
// disables every enabled top-level window of this thread, and re-enables them after.
class ModalScope {
public:
    explicit ModalScope(HWND except = nullptr);
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

private:
    std::vector<HWND> disabled_;
};

struct FormDefinition {
    const wchar_t* className;
    std::wstring caption;
    DWORD style;
    DWORD exStyle;
    int clientWidth, clientHeight;
    COLORREF backColor;
    int backSysColor = -1; // a COLOR_* index instead of backColor, or -1
    bool centred = false;  // centred on the screen when first shown; else at (0, 0)
    HICON icon = nullptr;
};

class Form {
public:
    Form() = default;
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    HWND hWnd() const { return hwnd_; }
    // Creates the window hidden, then runs Form_Load. False when the window could not be made.
    bool Load();
    void Show();      // modeless
    void ShowModal(); // returns once the form has been unloaded
    // Unloads as a close request does: Form_Unload may refuse; otherwise the window goes away.
    void Unload();

protected:
    virtual FormDefinition Define() const = 0;
    virtual void CreateControls() {}
    virtual void Form_Load() {}
    virtual void Form_Unload(short& cancel) { (void)cancel; }
    virtual void OnTimer(UINT_PTR id) { (void)id; }
    virtual void OnCommand(WORD id, WORD code, HWND control) { (void)id, (void)code, (void)control; }
    // Anything else; return true with `result` set when handled.
    virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    virtual void OnDestroyed() {}

    Label& AddLabel(const Label& label);
    Image& AddImage(const Image& image);
    // A child control of a system class, with the form's font.
    HWND AddControl(const wchar_t* className, const wchar_t* text, DWORD style, int x, int y, int w, int h, int id);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void Paint();
    void MouseDown(short button, WPARAM wParam, LPARAM lParam);
    const Image* ImageAt(POINT pt) const;

    HWND hwnd_ = nullptr;
    bool centred_ = false;
    bool shownOnce_ = false;
    COLORREF backColor_ = RGB(255, 255, 255);
    HBRUSH backBrush_ = nullptr;
    HFONT font_ = nullptr;
    std::vector<std::unique_ptr<Label>> labels_;
    std::vector<std::unique_ptr<Image>> images_;
    const Image* pressedImage_ = nullptr;
};

// A hidden menu opened as a popup at the pointer. Items post WM_COMMAND with their id to the owner.
struct MenuItem {
    UINT id;                // 0 for a separator
    const wchar_t* caption; // "-" for a separator
};
class PopupMenu {
public:
    explicit PopupMenu(const std::vector<MenuItem>& items);
    ~PopupMenu();
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;
    void Enable(UINT id, bool enabled);
    // Opens at the pointer, left-aligned, items chosen with either button (flags 2); waits until it closes.
    void PopupAtPointer(HWND owner);

private:
    HMENU bar_ = nullptr;
    HMENU menu_ = nullptr;
};

// A message box titled "Pikuto"; other windows take no input while it is open.
int MsgBox(const std::wstring& prompt, UINT flags);

// Application information.
bool PrevInstance();                                          // another instance in this logon session
std::wstring AppPath();                                       // directory, backslash only at a drive root
std::wstring DirectoryOfModulePath(const std::wstring& path); // the rule above, for any module path
struct Version {
    unsigned major, minor, build, revision;
};
bool AppVersion(Version& version); // from the program's own version resource

// A custom resource of this module as bytes; empty when missing.
std::vector<BYTE> LoadResData(int id, const wchar_t* type);

// Ends the process at once: no unload events run.
void End();

} // namespace tk
