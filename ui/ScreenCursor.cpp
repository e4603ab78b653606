#include "ui/ScreenCursor.h"

namespace tessaly {

namespace {
HCURSOR g_screenCursor = nullptr; // only ever touched on the window thread
}

HCURSOR ScreenCursor()
{
    return g_screenCursor;
}

void SetScreenCursor(HCURSOR cursor)
{
    g_screenCursor = cursor;
    ::SetCursor(cursor ? cursor : ::LoadCursorA(nullptr, IDC_ARROW));
}

bool ApplyScreenCursor()
{
    if (!g_screenCursor)
        return false;
    ::SetCursor(g_screenCursor);
    return true;
}

} // namespace tessaly
