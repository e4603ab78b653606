#pragma once
// The program's one font: Tahoma, 11 pixels high up to 96 pixels per inch, 14 above,
// drawn in the system's window-text colour (the controls' default text colour).
#include "base/WinHandles.h"

#include <windows.h>

namespace tessaly {

// The screen's pixels per inch.
int ScreenPixelsPerInch();

// Character height of the default font (negative: the cell's internal leading excluded).
constexpr int DefaultFontHeight(int pixelsPerInch)
{
    return pixelsPerInch <= 96 ? -11 : -14;
}

LOGFONTA DefaultLogFont(int pixelsPerInch);

// A font object of the default font; `bold` adds weight. Throws when none can be made.
UniqueGdiObject CreateDefaultFont(int pixelsPerInch, bool bold = false);

// Gives the window the font without redrawing it yet.
inline void SetWindowFont(HWND window, HFONT font)
{
    ::SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

} // namespace tessaly
