#include "destinations/wab/ExecApp.h"

#include "app/FileHelpers.h"
#include "app/TextHelpers.h"
#include "app/WinHandles.h"

namespace tessaly {

namespace {
constexpr char kBrowseWindowClass[] = "WABBrowseView";
constexpr int kClassNameBuffer = 201;
constexpr DWORD kIdleWait = 2000;

} // namespace

BOOL CALLBACK FindBrowseWindow(HWND window, LPARAM search)
{
    auto* target = reinterpret_cast<TBrowseWindowSearch*>(search);
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

void CloseBrowseWindow(DWORD processId)
{
    TBrowseWindowSearch search;
    search.processId = processId;
    ::EnumWindows(FindBrowseWindow, reinterpret_cast<LPARAM>(&search));
    if (search.window && ::IsWindow(search.window))
        ::PostMessageA(search.window, WM_SYSCOMMAND, SC_CLOSE, 0);
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
    ::WaitForInputIdle(processHandle.get(), kIdleWait);
    CloseBrowseWindow(process.dwProcessId);
    thread.reset();
    processHandle.reset();
    return true;
}

static_assert(sizeof(STARTUPINFOA) == 68, "STARTUPINFO is 68 bytes on 32-bit Windows");

} // namespace tessaly
