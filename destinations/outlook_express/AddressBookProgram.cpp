#include "destinations/outlook_express/AddressBookProgram.h"

#include "base/FileHelpers.h"
#include "base/TextHelpers.h"
#include "base/WinHandles.h"

namespace tessaly {

namespace {
constexpr char kBrowseWindowClass[] = "WABBrowseView";
constexpr int kClassNameBuffer = 201;
constexpr DWORD kIdleWait = 2000;
constexpr DWORD kWindowPoll = 20;

} // namespace

BOOL CALLBACK FindBrowseWindow(HWND window, LPARAM search)
{
    auto* target = reinterpret_cast<BrowseWindowSearch*>(search);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != target->processId)
        return TRUE;
    char className[kClassNameBuffer] = {};
    ::GetClassNameA(window, className, kClassNameBuffer);
    if (!SameTextIgnoringAsciiCase(className, kBrowseWindowClass))
        return TRUE;
    target->window = window;
    return FALSE;
}

bool CloseBrowseWindow(DWORD processId)
{
    BrowseWindowSearch search;
    search.processId = processId;
    ::EnumWindows(FindBrowseWindow, reinterpret_cast<LPARAM>(&search));
    if (!search.window || !::IsWindow(search.window))
        return false;
    ::PostMessageA(search.window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return true;
}

bool StartAndCloseAddressBook(const std::string& path)
{
    if (!FileExists(path))
        return false;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessA(path.c_str(), nullptr, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                          &startup, &process))
        return false;
    UniqueKernelHandle thread(process.hThread);
    UniqueKernelHandle processHandle(process.hProcess);
    const DWORD started = ::GetTickCount();
    ::WaitForInputIdle(processHandle.get(), kIdleWait);
    // A process can report itself idle before its main window exists (a helper window
    // created first pumps messages): look again until the wait is used up.
    while (!CloseBrowseWindow(process.dwProcessId) && ::GetTickCount() - started < kIdleWait &&
           ::WaitForSingleObject(processHandle.get(), kWindowPoll) == WAIT_TIMEOUT) {
    }
    thread.reset();
    processHandle.reset();
    return true;
}

static_assert(sizeof(STARTUPINFOA) == (sizeof(void*) == 4 ? 68 : 104), "STARTUPINFO is 68 bytes on 32-bit and 104 on 64-bit Windows");

} // namespace tessaly
