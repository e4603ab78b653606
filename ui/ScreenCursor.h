#pragma once
// The program-wide cursor (hourglass while busy, arrow over a message). Windows ask for
// their cursor in WM_SETCURSOR; a window that honours this one answers with
// ApplyScreenCursor there. No cursor set means each window's own class cursor.
#include <windows.h>

namespace tessaly {

HCURSOR ScreenCursor();

// Remembers the cursor and shows it at once; nullptr returns to the class cursors.
void SetScreenCursor(HCURSOR cursor);

// For WM_SETCURSOR: true when a program-wide cursor is set and has been shown.
bool ApplyScreenCursor();

} // namespace tessaly
