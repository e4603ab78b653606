#include "ui/TimePicker.h"

#include <commctrl.h>

namespace tessaly {

void TimePicker::Create(HWND parent, int id, HFONT font, const char* format)
{
    Control::Create(parent, id, DATETIMEPICK_CLASSA, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | DTS_TIMEFORMAT, 0, font);
    if (hwnd_)
        ::SendMessageA(hwnd_, DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>(format));
}

int TimePicker::SecondsAfterMidnight() const
{
    SYSTEMTIME time{};
    if (::SendMessageA(hwnd_, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) != GDT_VALID)
        return 0;
    return time.wHour * 3600 + time.wMinute * 60 + time.wSecond;
}

void TimePicker::SetSecondsAfterMidnight(int seconds)
{
    SYSTEMTIME time{};
    ::GetLocalTime(&time);
    const int value = ((seconds % 86400) + 86400) % 86400;
    time.wHour = static_cast<WORD>(value / 3600);
    time.wMinute = static_cast<WORD>(value / 60 % 60);
    time.wSecond = static_cast<WORD>(value % 60);
    time.wMilliseconds = 0;
    ::SendMessageA(hwnd_, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
}

} // namespace tessaly
