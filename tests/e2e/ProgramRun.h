#pragma once
// Runs the real program and the stand-ins' inspectors as separate processes, the way a
// user's machine or the Task Scheduler runs them.
#include "ProcessOutput.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace tessaly::test {

// A private copy of the program in a fresh folder under the build tree, so its settings file and its
// temporary download are this test's own. Removed again on destruction.
class ProgramFolder {
public:
    ProgramFolder();
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    const std::string& Path() const { return path_; } // with a trailing "\"
    std::string Executable() const { return path_ + "CorvaneTessaly.exe"; }
    std::string SettingsFile() const { return path_ + "CorvaneTessaly.ini"; }
    std::string TemporaryFile() const { return path_ + "CorvaneTessaly"; }

    // Writes the settings file with the given keys of the program's section; RemoveLimit
    // only when `removeLimit` is given.
    void WriteSettings(const std::string& source, const std::string& user, const std::string& password,
                       const std::string& folder, int emailClient, int removeLimit = 0) const;
    std::string ReadSettings() const;

private:
    std::string path_;
};

// Removes a folder with everything in it, read-only files included.
void RemoveTree(const std::string& folder);

// The Unix path of a folder under drive Z:, where the build tree lies.
std::string UnixPath(const std::string& windowsPath);

// Runs a program of the host system (for example chattr) and waits for it.
void RunHostCommand(const std::string& commandLine);

// A started process that is killed if the test leaves before it ended.
class ChildProcess {
public:
    explicit ChildProcess(const std::string& commandLine);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    DWORD Id() const { return id_; }
    // True when it ended within the time; its exit code then goes to `exitCode`.
    bool Wait(DWORD timeoutMs, DWORD& exitCode);
    void Kill();

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

// The first visible top-level window of that process whose class is `className`
// (any class when empty), waiting at most `timeoutMs` for it to appear; null if none.
HWND WaitForProcessWindow(DWORD processId, const std::string& className, DWORD timeoutMs);

// The text of the first STATIC child with text, or of the window itself.
std::string WindowText(HWND window);
// The child window whose caption is `caption`, searched through the whole tree.
HWND FindChildByCaption(HWND parent, const std::string& caption);

// Waits (bounded) until `condition` holds, checking whenever `event`-free polling allows:
// used only where the event lives in another process and gives no handle to wait on.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// The folder of this test executable, with a trailing "\": the build's bin folder.
std::string BinFolder();

} // namespace tessaly::test
