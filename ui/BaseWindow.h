#pragma once
// A top-level or child window owned by a C++ object. The object is attached to its
// window when WM_NCCREATE arrives and detached before it goes (WM_NCDESTROY, or the
// object's destruction), so no message ever reaches a half-destroyed object. Messages go
// to Derived::HandleMessage; an exception thrown there stops at the window procedure and
// goes to Derived::HandleException instead of unwinding into Windows.
//
// Derived provides:
//   LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
//   void HandleException(std::exception_ptr error) noexcept;
#include <windows.h>

#include <exception>

namespace tessaly {

template <typename Derived>
class BaseWindow {
public:
    BaseWindow(const BaseWindow&) = delete;
    BaseWindow& operator=(const BaseWindow&) = delete;

    HWND Handle() const noexcept { return window_; }

protected:
    BaseWindow() = default;
    // Derived classes call DestroyHandle in their own destructor; this one only
    // catches windows left behind.
    ~BaseWindow() { DestroyHandle(); }

    // Registers the class once per process (a second registration of the same name is no error).
    static void RegisterWindowClass(const char* className, HICON icon = nullptr)
    {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.hIcon = icon;
        wc.lpszClassName = className;
        ::RegisterClassExA(&wc);
    }

    // Creates the window for this object; false when Windows refused.
    bool CreateHandle(const char* className, const char* caption, DWORD style, DWORD exStyle, int x, int y, int width,
                      int height, HWND parent = nullptr)
    {
        return ::CreateWindowExA(exStyle, className, caption, style, x, y, width, height, parent, nullptr,
                                 ::GetModuleHandleA(nullptr), this) != nullptr;
    }

    // Destroys the window without letting its last messages reach this object.
    void DestroyHandle() noexcept
    {
        if (HWND window = window_) {
            ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            window_ = nullptr;
            ::DestroyWindow(window);
        }
    }

    LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam)
    {
        return ::DefWindowProcA(window_, message, wParam, lParam);
    }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        BaseWindow* self = nullptr;
        if (message == WM_NCCREATE) {
            self = static_cast<BaseWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
            self->window_ = window;
            ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        } else {
            self = reinterpret_cast<BaseWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        }
        if (!self)
            return ::DefWindowProcA(window, message, wParam, lParam);

        auto* derived = static_cast<Derived*>(self);
        LRESULT result = 0;
        try {
            result = derived->HandleMessage(message, wParam, lParam);
        } catch (...) {
            derived->HandleException(std::current_exception());
            result = message == WM_NCCREATE ? FALSE : 0;
        }
        if (message == WM_NCDESTROY) {
            ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            self->window_ = nullptr;
        }
        return result;
    }

    HWND window_ = nullptr;
};

} // namespace tessaly
