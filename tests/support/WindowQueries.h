#pragma once
// What the window tests and tools read back from a real window: its controls by id, their
// text, class and font.
#include <windows.h>

#include <string>

namespace tessaly::test {

namespace detail {
struct ChildSearch {
    int id;
    HWND found;
};

inline BOOL CALLBACK MatchChildId(HWND child, LPARAM data)
{
    auto* wanted = reinterpret_cast<ChildSearch*>(data);
    if (::GetDlgCtrlID(child) != wanted->id)
        return TRUE;
    wanted->found = child;
    return FALSE;
}
} // namespace detail

// The control with that id anywhere under the window (on it, a panel or a group box); null
// when there is none.
inline HWND FindChildById(HWND window, int id)
{
    detail::ChildSearch search{id, nullptr};
    ::EnumChildWindows(window, detail::MatchChildId, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

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
