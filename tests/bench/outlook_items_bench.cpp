// outlook_items_bench N [add|write]: where the cost of an Outlook contact grows. Asks the
// automation server in the prefix for N new contact items of its default Contacts folder,
// one after the other, and releases each at once; "write" also asks each for its contact
// interface, sets the 18 properties and saves it, as a synchronisation does. Prints "items_tenth_ms K MS" for each
// tenth of the run, with the private memory of this process and of the server then
// ("items_tenth_kb K CLIENT SERVER"): flat times mean a contact costs the same however
// many came before, and flat memory that neither side keeps anything of a released item,
// which a busy machine cannot blur. With "add" nothing is stored, so growth there lies in
// handing out and taking back objects between the two processes, not in the server's store.
#include "destinations/outlook/DispatchCalls.h"
#include "destinations/outlook/OutlookDestination.h"
#include "destinations/outlook/OutlookMembers.h"

#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

using namespace tessaly;
using namespace tessaly::outlook;
using Microsoft::WRL::ComPtr;

namespace {

enum Kind { kApplicationKind, kNameSpaceKind, kFolderKind, kItemsKind, kContactKind };

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

size_t PrivateKilobytes(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters))
        return 0;
    return counters.PagefileUsage / 1024;
}

// User and kernel time the process has used: unlike the clock, not lengthened by what
// else runs on the machine.
double CpuMilliseconds(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    const auto ticks = [](const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
}

// The automation server's process, found by its executable's name.
HANDLE OpenServerProcess()
{
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return nullptr;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    HANDLE process = nullptr;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more && !process; more = ::Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, L"OutlookStandIn.exe") == 0)
            process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, entry.th32ProcessID);
    }
    ::CloseHandle(snapshot);
    return process;
}

int Run(int count, bool write)
{
    ComPtr<IDispatch> application;
    if (FAILED(CreateOutlookApplication(application.GetAddressOf()))) {
        std::fprintf(stderr, "outlook_items_bench: no automation server\n");
        return 1;
    }
    MemberIds ids;
    ComPtr<IDispatch> session = AsDispatch(DispGet(ids, kApplicationKind, application.Get(), kSession));
    ComPtr<IDispatch> contacts =
        AsDispatch(DispCall(ids, kNameSpaceKind, session.Get(), kGetDefaultFolder, {Variant(olFolderContacts)}));
    ComPtr<IDispatch> items = AsDispatch(DispGet(ids, kFolderKind, contacts.Get(), kItems));
    const std::wstring value = L"Someone Example";
    HANDLE server = OpenServerProcess();
    const int tenth = count / 10 > 0 ? count / 10 : 1;
    LARGE_INTEGER started;
    ::QueryPerformanceCounter(&started);
    for (int i = 1; i <= count; ++i) {
        ComPtr<IDispatch> item = AsDispatch(DispCall(ids, kItemsKind, items.Get(), kAdd, {Variant(olContactItem)}));
        if (write) {
            ComPtr<IUnknown> contact;
            if (FAILED(item->QueryInterface(IID__ContactItem, reinterpret_cast<void**>(contact.GetAddressOf()))))
                throw std::runtime_error("not a contact item");
            contact.Reset();
            for (const wchar_t* property : kContactProperties)
                DispPut(ids, kContactKind, item.Get(), property, Variant(value));
            DispCall(ids, kContactKind, item.Get(), kSave);
        }
        item.Reset();
        if (i % tenth == 0) {
            LARGE_INTEGER now;
            ::QueryPerformanceCounter(&now);
            std::printf("items_tenth_ms %d %.0f\n", i / tenth, Milliseconds(started, now));
            std::printf("items_tenth_kb %d %zu %zu\n", i / tenth, PrivateKilobytes(::GetCurrentProcess()),
                        server ? PrivateKilobytes(server) : 0);
            std::printf("items_tenth_cpu_ms %d %.0f %.0f\n", i / tenth, CpuMilliseconds(::GetCurrentProcess()),
                        server ? CpuMilliseconds(server) : 0);
            std::fflush(stdout);
            started = now;
        }
    }
    if (server)
        ::CloseHandle(server);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    const bool write = argc > 2 && std::string(argv[2]) == "write";
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    int status = 1;
    try {
        status = Run(count, write);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "outlook_items_bench: %s\n", error.what());
    }
    ::CoUninitialize();
    return status;
}
