// The Address Book program: one top-level window of the browse class that lists the
// folders and their entries, and ends when it is closed (the system Close command too).
#include "destinations/outlook_express/WabTags.h"
#include "standins/wab/WabStore.h"

#include <windows.h>

using namespace wabstandin;

namespace {

constexpr char kClassName[] = "WABBrowseView";

void FillList(HWND list)
{
    Store store;
    store.Open(Store::DefaultPath(), false);
    for (const StoredEntry* folder : store.Folders()) {
        const std::string line = folder->Text(PR_DISPLAY_NAME);
        ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        for (const StoredEntry* entry : store.Children(folder->id)) {
            const std::string item = "    " + entry->Text(PR_DISPLAY_NAME);
            ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        }
    }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: {
        HWND list = ::CreateWindowExA(0, "LISTBOX", nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 0,
                                      0, 0, 0, window, reinterpret_cast<HMENU>(1), nullptr, nullptr);
        FillList(list);
        return 0;
    }
    case WM_SIZE:
        ::MoveWindow(::GetDlgItem(window, 1), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kClassName;
    if (!::RegisterClassA(&windowClass))
        return 1;
    HWND window = ::CreateWindowExA(0, kClassName, "Address Book", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 480,
                                    360, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    ::ShowWindow(window, show);
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return 0;
}
