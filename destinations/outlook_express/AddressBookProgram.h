#pragma once
// Starting the Address Book program hidden and asking its main window to close, so the
// library sees folders created in this session when the address book is opened again.
#include <windows.h>

#include <string>

namespace tessaly {

// True when the program at `path` was started; it is never waited for to end.
bool StartAndCloseAddressBook(const std::string& path);

// Posts the system Close command to the Address Book window of that process, if it has
// one; false when it has none (yet).
bool CloseBrowseWindow(DWORD processId);

struct BrowseWindowSearch {
    DWORD processId = 0;
    HWND window = nullptr;
};

// Window enumeration step: `search` points at a BrowseWindowSearch. FALSE stops at the match.
BOOL CALLBACK FindBrowseWindow(HWND window, LPARAM search);

} // namespace tessaly
