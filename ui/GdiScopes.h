#pragma once
// Scoped device contexts and selections: each gives back what it took, once, on every
// way out of the scope.
#include <windows.h>

namespace tessaly {

// A window's (or the screen's, for null) device context, released on destruction.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~WindowDC()
    {
        if (dc_)
            ::ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// A memory device context compatible with another, deleted on destruction.
class MemoryDC {
public:
    explicit MemoryDC(HDC compatible) : dc_(::CreateCompatibleDC(compatible)) {}
    ~MemoryDC()
    {
        if (dc_)
            ::DeleteDC(dc_);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// An object selected into a device context; the previous one is put back on destruction.
// A null device context or object selects nothing.
class SelectObjectScope {
public:
    SelectObjectScope(HDC dc, HGDIOBJ object) : dc_(dc), previous_(dc && object ? ::SelectObject(dc, object) : nullptr)
    {
    }
    ~SelectObjectScope()
    {
        if (previous_)
            ::SelectObject(dc_, previous_);
    }
    SelectObjectScope(const SelectObjectScope&) = delete;
    SelectObjectScope& operator=(const SelectObjectScope&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A window's device context with a font selected, both given back on destruction.
class FontDC {
public:
    FontDC(HWND window, HFONT font) : dc_(window), font_(dc_.get(), font) {}
    HDC get() const { return dc_.get(); }

private:
    WindowDC dc_;
    SelectObjectScope font_;
};

} // namespace tessaly
