// Move-only owners for Win32 handles, so that every handle is released on
// every path without a matching Close call in the code.
#pragma once
#include <windows.h>
#include <utility>

template <typename Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;
    UniqueHandle() = default;
    explicit UniqueHandle(Type value) : m_value(value) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_value(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    Type Get() const { return m_value; }
    bool Valid() const { return Traits::IsValid(m_value); }
    explicit operator bool() const { return Valid(); }
    Type Release() { return std::exchange(m_value, Traits::Invalid()); }
    void Reset(Type value = Traits::Invalid()) {
        if (Traits::IsValid(m_value)) Traits::Close(m_value);
        m_value = value;
    }

private:
    Type m_value = Traits::Invalid();
};

// Kernel objects (threads, processes, events, jobs): null means none.
struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Type h) { CloseHandle(h); }
};

// Files and devices from CreateFile: INVALID_HANDLE_VALUE means none.
struct FileHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Type h) { CloseHandle(h); }
};

// Handles for which null means none, released by `CloseFunction`: a function
// of the program's own, as an imported function's address is no constant.
template <typename HandleType, void (*CloseFunction)(HandleType)>
struct NullHandleTraits {
    using Type = HandleType;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { CloseFunction(h); }
};

inline void CloseRegKey(HKEY key) { RegCloseKey(key); }
inline void UnhookHook(HHOOK hook) { UnhookWindowsHookEx(hook); }
template <typename GdiType>
void DeleteGdiObject(GdiType object) { DeleteObject(object); }
template <typename GdiType>
using GdiHandle = UniqueHandle<NullHandleTraits<GdiType, DeleteGdiObject<GdiType>>>;

using KernelHandle = UniqueHandle<KernelHandleTraits>;
using FileHandle = UniqueHandle<FileHandleTraits>;
using RegKey = UniqueHandle<NullHandleTraits<HKEY, CloseRegKey>>;
using HookHandle = UniqueHandle<NullHandleTraits<HHOOK, UnhookHook>>;
using FontHandle = GdiHandle<HFONT>;
using BrushHandle = GdiHandle<HBRUSH>;
using PenHandle = GdiHandle<HPEN>;
using RegionHandle = GdiHandle<HRGN>;

// A device context obtained with GetDC, released with ReleaseDC.
class WindowDC {
public:
    explicit WindowDC(HWND window) : m_window(window), m_dc(GetDC(window)) {}
    ~WindowDC() { if (m_dc) ReleaseDC(m_window, m_dc); }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC Get() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// The paint context of WM_PAINT, from BeginPaint to EndPaint.
class PaintDC {
public:
    explicit PaintDC(HWND window) : m_window(window), m_dc(BeginPaint(window, &m_paint)) {}
    ~PaintDC() { EndPaint(m_window, &m_paint); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    HDC Get() const { return m_dc; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint{};
    HDC m_dc;
};

// An object selected into a device context until the end of the scope; a
// null object selects nothing.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(object ? SelectObject(dc, object) : nullptr) {}
    ~SelectedObject() { if (m_previous) SelectObject(m_dc, m_previous); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// A memory device context from CreateCompatibleDC, deleted with DeleteDC.
class MemoryDC {
public:
    MemoryDC() = default;
    ~MemoryDC() { Reset(); }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    void Reset(HDC dc = nullptr)
    {
        if (m_dc) DeleteDC(m_dc);
        m_dc = dc;
    }
    HDC Get() const { return m_dc; }

private:
    HDC m_dc = nullptr;
};
