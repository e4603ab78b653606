#include "ui/Control.h"

#include "ui/FontHelpers.h"
#include "ui/GdiScopes.h"

namespace tessaly {

Control::~Control()
{
    if (hwnd_ && ::IsWindow(hwnd_))
        ::DestroyWindow(hwnd_);
}

bool Control::Create(HWND parent, int id, const char* className, const char* caption, DWORD style, DWORD exStyle,
                     HFONT font)
{
    font_ = font;
    hwnd_ = ::CreateWindowExA(exStyle, className, caption, style, 0, 0, 10, 10, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr), nullptr);
    if (hwnd_ && font_)
        SetWindowFont(hwnd_, font_);
    return hwnd_ != nullptr;
}

void Control::SetFont(HFONT font)
{
    font_ = font;
    if (hwnd_)
        SetWindowFont(hwnd_, font);
}

std::string Control::Text() const
{
    const int length = ::GetWindowTextLengthA(hwnd_);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(::GetWindowTextA(hwnd_, text.data(), length + 1)));
    return text;
}

void Control::SetText(const std::string& text)
{
    if (hwnd_)
        ::SetWindowTextA(hwnd_, text.c_str());
}

void Control::SetEnabled(bool enabled)
{
    if (hwnd_)
        ::EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

bool Control::IsEnabled() const
{
    return hwnd_ && ::IsWindowEnabled(hwnd_);
}

void Control::SetVisible(bool visible)
{
    if (hwnd_)
        ::ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

bool Control::IsVisible() const
{
    return hwnd_ && (::GetWindowLongA(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Control::Move(const PixelRect& rect)
{
    if (hwnd_)
        ::SetWindowPos(hwnd_, nullptr, rect.left, rect.top, rect.width, rect.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT Control::RectInParent() const
{
    RECT rect{};
    ::GetWindowRect(hwnd_, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(hwnd_), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

PixelSize Control::OwnSize() const
{
    RECT rect{};
    ::GetWindowRect(hwnd_, &rect);
    return PixelSize{rect.right - rect.left, rect.bottom - rect.top};
}

void Control::Focus()
{
    ::SetFocus(hwnd_);
}

void Control::RedrawNow()
{
    ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

int TextHeightOf(HWND control, HFONT font)
{
    FontDC dc(control, font);
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc.get(), &metrics);
    return metrics.tmHeight;
}

} // namespace tessaly
