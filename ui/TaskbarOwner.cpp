#include "ui/TaskbarOwner.h"

#include <system_error>

namespace tessaly {

namespace {

const char* const kClassName = "TessalyTaskbarOwner";
// Off every screen, so that not even a pixel of it is drawn.
constexpr int kOffScreen = -32000;

} // namespace

TaskbarOwner::TaskbarOwner(HICON icon)
{
    RegisterWindowClass(kClassName, icon);
    // A caption, system menu and minimise box give the button its usual menu.
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS;
    if (!CreateHandle(kClassName, "", style, 0, kOffScreen, kOffScreen, 0, 0))
        throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), "CreateWindowEx");
}

TaskbarOwner::~TaskbarOwner()
{
    DestroyHandle();
}

void TaskbarOwner::ShowButton()
{
    ::ShowWindow(Handle(), SW_SHOWNA);
}

void TaskbarOwner::Minimise()
{
    // The system hides the owned main window with its owner, and shows it again on restore.
    ::SendMessageA(Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void TaskbarOwner::ActivateMain()
{
    if (!main_ || ::GetActiveWindow() != Handle() || ::IsIconic(Handle()) || !::IsWindowVisible(main_))
        return;
    // A message dialog over the main window keeps the activation while it shows.
    HWND target = ::GetLastActivePopup(main_);
    if (!target || !::IsWindowVisible(target) || !::IsWindowEnabled(target))
        target = main_;
    ::SetActiveWindow(target);
}

LRESULT TaskbarOwner::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ACTIVATE:
        // The taskbar button or the task switcher activated this window: the main window
        // takes over once the switch is done.
        if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) {
            ::PostMessageA(Handle(), WM_ACTIVATEMAIN, 0, 0);
            return 0;
        }
        break;
    case WM_ACTIVATEMAIN:
        ActivateMain();
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_RESTORE) {
            const LRESULT result = DefaultHandling(message, wParam, lParam);
            ActivateMain();
            return result;
        }
        break;
    case WM_CLOSE:
        // Closing from the taskbar is closing the main window, with its refusal while busy;
        // the default would destroy the main window with its owner, unasked.
        if (main_)
            ::SendMessageA(main_, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    default:
        break;
    }
    return DefaultHandling(message, wParam, lParam);
}

} // namespace tessaly
