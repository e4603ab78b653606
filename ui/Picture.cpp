#include "ui/Picture.h"

namespace tessaly {

void Picture::Create(HWND parent, int id, int bitmapResource, HFONT font)
{
    if (!Control::Create(parent, id, "STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_BITMAP | WS_CLIPSIBLINGS, 0, font))
        return;
    bitmap_.reset(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(bitmapResource), IMAGE_BITMAP, 0, 0,
                               LR_CREATEDIBSECTION));
    ::SendMessageA(hwnd_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap_.get()));
}

} // namespace tessaly
