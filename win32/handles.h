// Owners of Windows handles and COM references: each releases what it holds on every path.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <unknwn.h>

#include <utility>

namespace win32 {

// How one kind of handle is closed and what its empty value is.
template <typename H, void (*CloseFn)(H)> struct CloseWith {
    using Handle = H;
    static H Empty() { return H{}; }
    static void Close(H h) { CloseFn(h); }
};

// A handle with its closing function; moves, never copies.
template <typename Traits> class Holder {
public:
    using H = typename Traits::Handle;
    Holder() = default;
    explicit Holder(H h) : h_(h) {}
    ~Holder() { reset(); }
    Holder(Holder&& other) noexcept : h_(std::exchange(other.h_, Traits::Empty())) {}
    Holder& operator=(Holder&& other) noexcept {
        if (this != &other) {
            reset();
            h_ = std::exchange(other.h_, Traits::Empty());
        }
        return *this;
    }
    H get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::Empty(); }
    H release() { return std::exchange(h_, Traits::Empty()); }
    void reset(H h = Traits::Empty()) {
        if (h_ != Traits::Empty())
            Traits::Close(h_);
        h_ = h;
    }

private:
    H h_ = Traits::Empty();
};

template <typename T> void DeleteGdiObject(T o) {
    ::DeleteObject(o);
}
inline void CloseKernelHandle(HANDLE h) {
    ::CloseHandle(h);
}
inline void CloseKey(HKEY k) {
    ::RegCloseKey(k);
}
inline void DestroyMenuHandle(HMENU m) {
    ::DestroyMenu(m);
}
inline void DeleteMemoryDc(HDC dc) {
    ::DeleteDC(dc);
}
inline void FreeBstr(BSTR s) {
    ::SysFreeString(s);
}

// CreateFile's failure value is INVALID_HANDLE_VALUE, not null.
struct FileTraits {
    using Handle = HANDLE;
    static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};

using MemoryDc = Holder<CloseWith<HDC, DeleteMemoryDc>>;                          // from CreateCompatibleDC
template <typename T> using GdiObject = Holder<CloseWith<T, DeleteGdiObject<T>>>; // bitmaps, brushes, fonts
using KernelHandle = Holder<CloseWith<HANDLE, CloseKernelHandle>>;                // processes, threads, events, mutexes
using FileHandle = Holder<FileTraits>;
using RegKey = Holder<CloseWith<HKEY, CloseKey>>;
using Menu = Holder<CloseWith<HMENU, DestroyMenuHandle>>;
using Bstr = Holder<CloseWith<BSTR, FreeBstr>>;

// A DC from GetDC, released to its window.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
    ~WindowDc() {
        if (dc_)
            ::ReleaseDC(hwnd_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// An object selected into a DC, with the one it replaced put back at the end.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
    ~SelectedObject() {
        if (old_ && old_ != HGDI_ERROR)
            ::SelectObject(dc_, old_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// One COM reference. `put()` hands out the slot for an out parameter.
template <typename T> class ComPtr {
public:
    ComPtr() = default;
    explicit ComPtr(T* p) : p_(p) {} // takes over a reference
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    T** put() {
        reset();
        return &p_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }
    void reset() {
        if (p_)
            std::exchange(p_, nullptr)->Release();
    }

private:
    T* p_ = nullptr;
};

} // namespace win32
