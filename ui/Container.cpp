#include "ui/Container.h"

#include <commctrl.h>

namespace tessaly {

namespace {

constexpr const char* kPanelClass = "TessalyPanel";

bool IsChildNotification(UINT message)
{
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK ForwardingSubclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if (message == WM_ERASEBKGND) {
        // A group box paints only its frame and caption; the face under the controls is ours.
        RECT client{};
        ::GetClientRect(hwnd, &client);
        ::FillRect(reinterpret_cast<HDC>(wParam), &client, ::GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    if (IsChildNotification(message)) {
        if (HWND root = ::GetAncestor(hwnd, GA_ROOT); root && root != hwnd)
            return ::SendMessageA(root, message, wParam, lParam);
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

void RegisterPanelClass()
{
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSA existing{};
    if (::GetClassInfoA(instance, kPanelClass, &existing))
        return;
    WNDCLASSA wc{};
    wc.lpfnWndProc = PanelProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kPanelClass;
    ::RegisterClassA(&wc);
}

} // namespace

Container::~Container()
{
    // The window may go with its parent; only the subclass must not outlive the program's code.
    if (hwnd_ && ::IsWindow(hwnd_))
        ::RemoveWindowSubclass(hwnd_, ForwardingSubclass, 0);
}

void Container::Create(HWND parent, int id, Kind kind, const char* caption, HFONT font)
{
    kind_ = kind;
    bool made = false;
    if (kind == Kind::Panel) {
        RegisterPanelClass();
        made = Control::Create(parent, id, kPanelClass, caption, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                               WS_EX_CONTROLPARENT, font);
    } else {
        made = Control::Create(parent, id, "BUTTON", caption, WS_CHILD | WS_VISIBLE | BS_GROUPBOX | WS_CLIPCHILDREN,
                               WS_EX_CONTROLPARENT, font);
    }
    if (made)
        ::SetWindowSubclass(hwnd_, ForwardingSubclass, 0, 0);
}

} // namespace tessaly
