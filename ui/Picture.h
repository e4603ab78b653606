#pragma once
// A static control showing a bitmap from the program's resources, at the bitmap's size.
#include "base/WinHandles.h"
#include "ui/Control.h"

namespace tessaly {

class Picture : public Control {
public:
    void Create(HWND parent, int id, int bitmapResource, HFONT font);
    // The bitmap shown, owned by this object; null when it could not be loaded.
    HBITMAP Bitmap() const { return static_cast<HBITMAP>(bitmap_.get()); }

private:
    UniqueGdiObject bitmap_;
};

} // namespace tessaly
