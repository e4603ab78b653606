#include "ui/Edit.h"

namespace tessaly {

void Edit::Create(HWND parent, int id, HFONT font)
{
    Control::Create(parent, id, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
                    font);
}

PixelSize Edit::OwnSize() const
{
    // 4 pixels of border and margin above and below the text.
    return PixelSize{0, TextHeightOf(hwnd_, font_) + 8};
}

void Edit::Focus()
{
    Control::Focus();
    ::SendMessageA(hwnd_, EM_SETSEL, 0, -1);
}

} // namespace tessaly
