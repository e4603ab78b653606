// The program itself: its version block, and the program started as the Task Scheduler or
// the user would start it.
#include "MainWindowFixture.h"

#include "TestServer.h"

#include <cstring>
#include <sstream>
#include <vector>

namespace tessaly::test {
namespace {

struct Started {
    UniqueKernelHandle process;
    DWORD id = 0;
};

Started Start(const std::string& arguments)
{
    const std::string exe = ExecutableFolder() + "CorvaneTessaly.exe";
    std::string commandLine = "\"" + exe + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    Started started;
    if (::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        ::CloseHandle(info.hThread);
        started.process.reset(info.hProcess);
        started.id = info.dwProcessId;
    }
    return started;
}

struct Search {
    DWORD process;
    HWND found;
    // Any shown window of the process counts, not only the main window.
    bool anyClass = false;
};

BOOL CALLBACK FindMainWindow(HWND hwnd, LPARAM data)
{
    auto* search = reinterpret_cast<Search*>(data);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    char name[32] = {};
    ::GetClassNameA(hwnd, name, sizeof name);
    const bool mainWindow = std::string(name) == "TForm1";
    if (owner != search->process || !(mainWindow || search->anyClass) || !::IsWindowVisible(hwnd))
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

HWND VisibleMainWindow(DWORD process, bool anyClass = false)
{
    Search search{process, nullptr, anyClass};
    ::EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Waits for the process to end, watching that it never shows a window meanwhile.
DWORD ExitCodeWithoutWindow(const Started& started, bool& windowSeen)
{
    windowSeen = false;
    for (int i = 0; i < 1200 && ::WaitForSingleObject(started.process.get(), 25) == WAIT_TIMEOUT; ++i)
        windowSeen = windowSeen || VisibleMainWindow(started.id, true) != nullptr;
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(started.process.get(), &code);
    return code;
}

TEST_F(MainWindowTest, UnattendedWithABlankLinkEndsByItselfWithoutAWindow)
{
    const std::string ini = "[Corvane Tessaly]\r\nSource=\r\nFolder=Team\r\nEmailClient=99\r\n";
    ReplaceFileContent(iniPath_, ini);
    ClearServerRequests();
    Started program = Start("-a");
    ASSERT_TRUE(program.process);
    bool windowSeen = false;
    EXPECT_EQ(ExitCodeWithoutWindow(program, windowSeen), 1u);
    EXPECT_FALSE(windowSeen);
    EXPECT_EQ(ReadTextFile(iniPath_), ini); // never written, invalid values and all
    EXPECT_TRUE(ServerRequests().empty());
}

TEST_F(MainWindowTest, AnyOtherFirstArgumentStartsTheWindow)
{
    for (const char* arguments : {"-A", "/a", "x -a"}) {
        SCOPED_TRACE(arguments);
        Started program = Start(arguments);
        ASSERT_TRUE(program.process);
        ::WaitForInputIdle(program.process.get(), 20000);
        HWND window = nullptr;
        for (int i = 0; i < 400 && !window; ++i) {
            window = VisibleMainWindow(program.id);
            if (!window)
                ::WaitForSingleObject(program.process.get(), 25);
        }
        ASSERT_TRUE(window);
        ::PostMessageA(window, WM_CLOSE, 0, 0);
        ASSERT_EQ(::WaitForSingleObject(program.process.get(), 20000), WAIT_OBJECT_0);
        DWORD code = STILL_ACTIVE;
        ::GetExitCodeProcess(program.process.get(), &code);
        EXPECT_EQ(code, 0u);
        // Closing the window writes the settings file.
        EXPECT_TRUE(FileExists(iniPath_));
        ASSERT_TRUE(ForceDeleteFile(iniPath_));
    }
}

// The numbers of a version as the version block holds them: "1.07" is 1,7,0,0.
std::vector<WORD> VersionNumbers(const std::string& version)
{
    std::vector<WORD> numbers;
    std::istringstream parts(version);
    for (std::string part; std::getline(parts, part, '.');)
        numbers.push_back(static_cast<WORD>(std::stoul(part)));
    numbers.resize(4, 0);
    return numbers;
}

std::string VersionString(const std::vector<char>& block, const std::string& name)
{
    char* text = nullptr;
    UINT length = 0;
    const std::string path = "\\StringFileInfo\\040904E4\\" + name;
    if (!::VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &length) || !text)
        return "(none)";
    return std::string(text, ::strnlen(text, length));
}

TEST(ProgramFileTest, TheVersionBlockSaysTheVersionTheProjectIsBuiltAs)
{
    const std::string exe = ExecutableFolder() + "CorvaneTessaly.exe";
    DWORD unused = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(exe.c_str(), &unused);
    ASSERT_NE(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(::GetFileVersionInfoA(exe.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_TRUE(fixed);

    const std::vector<WORD> numbers = VersionNumbers(TESSALY_PROJECT_VERSION);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(numbers[1], numbers[0]));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(numbers[3], numbers[2]));
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    EXPECT_EQ(VersionString(block, "FileVersion"), TESSALY_PROJECT_VERSION);
    EXPECT_EQ(VersionString(block, "ProductVersion"), TESSALY_PROJECT_VERSION);
    EXPECT_EQ(VersionString(block, "ProductName"), "Corvane Tessaly");
    EXPECT_EQ(VersionString(block, "FileDescription"), "Corvane Tessaly");
}

} // namespace
} // namespace tessaly::test
