#pragma once
// The window that owns the main window and so carries the program's taskbar button: the
// button shows this window's text (the application title) and icon while the main window
// keeps its own caption. It has no size and stands off the screen, so nothing of it is
// ever seen; minimising the program minimises this window, which hides the main window
// with it, and restoring or activating it hands the activation back to the main window.
#include "ui/BaseWindow.h"

#include <windows.h>

#include <exception>

namespace tessaly {

class TaskbarOwner : public BaseWindow<TaskbarOwner> {
public:
    explicit TaskbarOwner(HICON icon);
    ~TaskbarOwner();

    // The owned window that gets the activation and close requests.
    void SetMainWindow(HWND main) noexcept { main_ = main; }
    // Gives the program its taskbar button, without taking the activation.
    void ShowButton();
    void Minimise();

private:
    friend class BaseWindow<TaskbarOwner>;
    static constexpr UINT WM_ACTIVATEMAIN = WM_USER + 1;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Nothing this window handles throws.
    void HandleException(std::exception_ptr) noexcept {}
    void ActivateMain();

    HWND main_ = nullptr;
};

} // namespace tessaly
