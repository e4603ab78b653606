// sync_bench CODE ROWS URL [rerun]: one unattended synchronisation of ROWS generated
// contacts into an empty destination CODE, timed from start to exit, with the program's
// peak working set. Prints "sync_seconds", "sync_contacts_per_s" and "sync_peak_mb" lines;
// for Outlook also "sync_calls_per_contact", the GetIDsOfNames and Invoke calls the
// stand-in received. With "rerun", two more runs into the same folder follow, as the
// next days would bring them: the same list ("unchanged_" lines), then one with 1 % of
// its rows edited, removed or added ("changed_" lines).
#include "Expected.h"
#include "ProcessOutput.h"
#include "ProgramRun.h"

#include "base/WinHandles.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

using namespace tessaly;
using namespace tessaly::test;

namespace {

// The run's session as the stand-in recorded it: "calls<TAB>n<TAB>lookups<TAB>invokes",
// and the calls of guarded members since the store was reset: "protected<TAB>n".
void PrintOutlookCalls(const char* prefix, int rows)
{
    std::string command(1, '"');
    command += BinFolder();
    command += "outlookdump.exe\" --calls";
    const ProcessResult dump = RunProcess(command, 60000);
    int session = 0, lookups = 0, invokes = 0, guarded = 0;
    for (const std::string& line : Lines(dump.output)) {
        if (std::sscanf(line.c_str(), "calls\t%d\t%d\t%d", &session, &lookups, &invokes) == 3)
            std::printf("%s_calls_per_contact %.3f\n", prefix, double(lookups + invokes) / rows);
        else if (std::sscanf(line.c_str(), "protected\t%d", &guarded) == 1)
            std::printf("%s_protected_calls %d\n", prefix, guarded);
    }
}

// One unattended run as the scheduled task starts it; false when it failed to start or
// did not exit with 0.
bool TimeRun(const ProgramFolder& program, const char* prefix, int code, int rows)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string line(1, '"');
    line += program.Executable();
    line += "\" -a";
    LARGE_INTEGER frequency, started, ended;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&started);
    {
        // Outlook's guard as hardened PCs set it: the run's server denies what it protects.
        const ScopedEnvironment guard("TESSALY_OUTLOOK_GUARD", "deny");
        if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
            return false;
    }
    UniqueKernelHandle process(info.hProcess), thread(info.hThread);
    // The peak is read while the program runs: once it has ended there is nothing to ask.
    SIZE_T peak = 0;
    while (::WaitForSingleObject(process.get(), 20) == WAIT_TIMEOUT) {
        PROCESS_MEMORY_COUNTERS memory{};
        memory.cb = sizeof memory;
        if (::GetProcessMemoryInfo(process.get(), &memory, sizeof memory) && memory.PeakWorkingSetSize > peak)
            peak = memory.PeakWorkingSetSize;
    }
    ::QueryPerformanceCounter(&ended);
    DWORD exitCode = 1;
    ::GetExitCodeProcess(process.get(), &exitCode);
    const double seconds = double(ended.QuadPart - started.QuadPart) / double(frequency.QuadPart);
    std::printf("%s_exit %lu\n", prefix, exitCode);
    std::printf("%s_seconds %.2f\n", prefix, seconds);
    std::printf("%s_contacts_per_s %.0f\n", prefix, rows / seconds);
    std::printf("%s_peak_mb %.1f\n", prefix, peak / 1048576.0);
    if (code == 10 && rows > 0)
        PrintOutlookCalls(prefix, rows);
    std::fflush(stdout);
    return exitCode == 0;
}

} // namespace

int main(int argc, char** argv)
{
    const bool rerun = argc == 5 && std::string(argv[4]) == "rerun";
    if (argc != 4 && !rerun) {
        std::fprintf(stderr, "usage: sync_bench CODE ROWS URL [rerun]\n");
        return 2;
    }
    const int code = std::atoi(argv[1]);
    const int rows = std::atoi(argv[2]);
    const std::string url = std::string(argv[3]) + (std::string(argv[3]).find('?') == std::string::npos ? "?" : "&") +
                            "generate=" + std::to_string(rows);

    ProgramFolder program;
    const std::string data = program.Path().substr(0, program.Path().size() - 1) + " data\\";
    ::CreateDirectoryA(data.c_str(), nullptr);
    ::CreateDirectoryA((data + "profile").c_str(), nullptr);
    bool passed = false;
    {
        ScopedEnvironment outlook("TESSALY_OUTLOOK_STORE", data + "outlook.journal");
        ScopedEnvironment wab("WAB_STANDIN_STORE", data + "address-book.wablog");
        ScopedEnvironment profile("USERPROFILE", data + "profile");
        std::optional<ScopedProgramVersion> xp;
        if (code == 20)
            xp.emplace("winxp");
        program.WriteSettings(url, "bench", "bench", "Global Contacts", code);
        passed = TimeRun(program, "sync", code, rows);
        if (passed && rerun) {
            passed = TimeRun(program, "unchanged", code, rows);
            program.WriteSettings(url + "&change=1", "bench", "bench", "Global Contacts", code);
            passed = TimeRun(program, "changed", code, rows) && passed;
        }
    }
    RemoveTree(data);
    return passed ? 0 : 1;
}
