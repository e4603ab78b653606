#include "ProgramRun.h"

#include "base/FileHelpers.h"
#include "base/WinHandles.h"

#include <stdexcept>

namespace tessaly::test {

void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA found{};
    UniqueFindHandle search(::FindFirstFileA((folder + "*").c_str(), &found));
    if (search) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(folder + name + "\\");
            else
                (void)ForceDeleteFile(folder + name);
        } while (::FindNextFileA(search.get(), &found));
    }
    search.reset();
    ::SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryA(folder.c_str());
}

std::string BinFolder()
{
    return ExecutableFolder();
}

ProgramFolder::ProgramFolder()
{
    // Under the build tree (drive Z:), so the host's tools can reach it by its Unix path.
    const std::string root = BinFolder() + "..\\e2e\\";
    ::CreateDirectoryA(root.c_str(), nullptr);
    char unique[MAX_PATH];
    ::GetTempFileNameA(root.c_str(), "ct", 0, unique); // creates the file: reuse its name for a folder
    ::DeleteFileA(unique);
    char full[MAX_PATH];
    ::GetFullPathNameA(unique, MAX_PATH, full, nullptr);
    path_ = std::string(full) + " program\\"; // a blank in the path, as under "Program Files"
    if (!::CreateDirectoryA(path_.c_str(), nullptr))
        throw std::runtime_error("cannot create " + path_);
    if (!::CopyFileA((BinFolder() + "CorvaneTessaly.exe").c_str(), Executable().c_str(), FALSE))
        throw std::runtime_error("cannot copy the program into " + path_);
}

ProgramFolder::~ProgramFolder()
{
    RunHostCommand("/usr/bin/chattr -R -i \"" + UnixPath(path_) + "\""); // in case a test left it locked
    RemoveTree(path_);
}

std::string UnixPath(const std::string& windowsPath)
{
    std::string path = windowsPath;
    if (path.size() >= 2 && (path[0] == 'Z' || path[0] == 'z') && path[1] == ':')
        path.erase(0, 2);
    for (char& c : path)
        if (c == '\\')
            c = '/';
    if (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

void RunHostCommand(const std::string& commandLine)
{
    // Wine starts a host program when the command names one by its Unix path.
    DWORD exitCode = 0;
    ChildProcess child(commandLine);
    child.Wait(30000, exitCode);
}

ChildProcess::ChildProcess(const std::string& commandLine)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string mutableLine = commandLine;
    if (!::CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        throw std::runtime_error("cannot start: " + commandLine);
    ::CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
}

ChildProcess::~ChildProcess()
{
    Kill();
    ::CloseHandle(process_);
}

bool ChildProcess::Wait(DWORD timeoutMs, DWORD& exitCode)
{
    if (::WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0)
        return false;
    ::GetExitCodeProcess(process_, &exitCode);
    return true;
}

void ChildProcess::Kill()
{
    if (::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(process_, 255);
        ::WaitForSingleObject(process_, 10000);
    }
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD started = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - started > timeoutMs)
            return false;
        ::Sleep(10);
    }
    return true;
}

namespace {
struct WindowSearch {
    DWORD processId;
    const std::string* className;
    HWND found;
};

BOOL CALLBACK FindTopLevel(HWND window, LPARAM parameter)
{
    auto& search = *reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId || !::IsWindowVisible(window))
        return TRUE;
    char name[256] = {};
    ::GetClassNameA(window, name, sizeof name);
    if (!search.className->empty() && *search.className != name)
        return TRUE;
    search.found = window;
    return FALSE;
}

struct CaptionSearch {
    const std::string* caption;
    HWND found;
};

BOOL CALLBACK FindCaption(HWND window, LPARAM parameter)
{
    auto& search = *reinterpret_cast<CaptionSearch*>(parameter);
    char text[256] = {};
    ::GetWindowTextA(window, text, sizeof text);
    if (*search.caption == text) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindStaticText(HWND window, LPARAM parameter)
{
    char name[32] = {};
    ::GetClassNameA(window, name, sizeof name);
    char text[1024] = {};
    ::GetWindowTextA(window, text, sizeof text);
    if (lstrcmpiA(name, "Static") == 0 && text[0] != '\0') {
        *reinterpret_cast<std::string*>(parameter) = text;
        return FALSE;
    }
    return TRUE;
}
} // namespace

HWND WaitForProcessWindow(DWORD processId, const std::string& className, DWORD timeoutMs)
{
    WindowSearch search{processId, &className, nullptr};
    WaitUntil(
        [&] {
            ::EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeoutMs);
    return search.found;
}

std::string WindowText(HWND window)
{
    std::string text;
    ::EnumChildWindows(window, FindStaticText, reinterpret_cast<LPARAM>(&text));
    if (text.empty()) {
        char own[1024] = {};
        ::GetWindowTextA(window, own, sizeof own);
        text = own;
    }
    return text;
}

HWND FindChildByCaption(HWND parent, const std::string& caption)
{
    CaptionSearch search{&caption, nullptr};
    ::EnumChildWindows(parent, FindCaption, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void ProgramFolder::WriteSettings(const std::string& source, const std::string& user, const std::string& password,
                                  const std::string& folder, int emailClient, int removeLimit) const
{
    SaveTextFile("[Corvane Tessaly]\r\nSource=" + source + "\r\nUser=" + user + "\r\nPSW=" + password +
                     "\r\nFolder=" + folder + "\r\nEmailClient=" + std::to_string(emailClient) +
                     "\r\nInterval=1\r\nStartTime=15:00:00\r\n" +
                     (removeLimit > 0 ? "RemoveLimit=" + std::to_string(removeLimit) + "\r\n" : std::string()),
                 SettingsFile());
}

std::string ProgramFolder::ReadSettings() const
{
    return FileExists(SettingsFile()) ? ReadTextFile(SettingsFile()) : std::string();
}

} // namespace tessaly::test
