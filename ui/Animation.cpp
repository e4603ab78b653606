#include "ui/Animation.h"

#include <commctrl.h>

namespace tessaly {

bool Animation::Create(HWND parent, int id, int clipResource, const PixelRect& rect)
{
    if (!Control::Create(parent, id, ANIMATE_CLASSA, nullptr, WS_CHILD | WS_CLIPSIBLINGS, 0, nullptr))
        return false;
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    ::SetWindowPos(hwnd_, nullptr, rect.left, rect.top, rect.width, rect.height, SWP_NOZORDER | SWP_NOACTIVATE);
    ::SendMessageA(hwnd_, ACM_OPENA, reinterpret_cast<WPARAM>(instance),
                   reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(clipResource)));
    ::SetWindowPos(hwnd_, HWND_TOP, rect.left, rect.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    return true;
}

void Animation::Play()
{
    ::ShowWindow(hwnd_, SW_SHOWNA);
    ::SendMessageA(hwnd_, ACM_PLAY, static_cast<WPARAM>(-1), MAKELONG(0, 0xFFFF));
}

void Animation::Stop()
{
    ::SendMessageA(hwnd_, ACM_STOP, 0, 0);
    ::ShowWindow(hwnd_, SW_HIDE);
}

} // namespace tessaly
