#pragma once
// What the window tests read back from a real window: its text, class and font.
#include <windows.h>

#include <string>

namespace tessaly::test {

inline std::string WindowText(HWND window)
{
    char text[1024] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

inline std::string ClassOf(HWND window)
{
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

inline LOGFONTA FontOf(HWND window)
{
    LOGFONTA font{};
    ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

} // namespace tessaly::test
