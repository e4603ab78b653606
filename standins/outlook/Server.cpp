// The stand-in as a local server, as Outlook itself is: COM starts it for a client's
// CoCreateInstance ("-Embedding"), its one thread serves every call in a single-threaded
// apartment, and it ends when the last object it handed out is released. Each start
// serves one activation, so a run has a server of its own and a server that died leaves
// no registration behind. "/RegServer" and "/UnregServer" (un)register it.
//
// TESSALY_OUTLOOK_BUSY makes it busy as Outlook is while it shows a modal dialog: its
// message filter refuses the object model's first n calls ("n"), or every call in its
// first t milliseconds ("tms"). While the guard's prompt shows (Guard.h), it refuses
// them too, as Outlook does behind a modal dialog.
//
// Under Wine the client starts the server itself, so the server's parent is its one
// client: when that process ends (killed by a task's time limit, say) nothing would
// release the objects it held, so the server ends too, as COM's clean-up of a dead
// client does on Windows.
#include "Guard.h"
#include "Module.h"

#include "destinations/outlook/OutlookMembers.h"
#include "standins/common/ClassRegistration.h"
#include "standins/common/EnvironmentText.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <cwchar>
#include <memory>
#include <string>

using namespace outlook_standin;

namespace {

// The server's answer to every incoming call. Busy, it refuses the automation calls on
// its objects (IDispatch) and lets COM's own through (activation, reference counting,
// interface queries): a refused activation or release would leave a server running
// for ever.
// It refuses with SERVERCALL_REJECTED, since Wine serves a SERVERCALL_RETRYLATER call
// anyway; a caller on Windows is asked through its filter about either answer.
class BusyFilter final : public IMessageFilter {
public:
    // `setting` as TESSALY_OUTLOOK_BUSY holds it; empty or unreadable is never busy.
    explicit BusyFilter(const std::wstring& setting) : start_(::GetTickCount())
    {
        wchar_t* end = nullptr;
        const unsigned long number = std::wcstoul(setting.c_str(), &end, 10);
        if (end == setting.c_str())
            return;
        if (std::wstring(end) == L"ms")
            busyFor_ = number;
        else if (*end == L'\0')
            callsToRefuse_ = number;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMessageFilter)) {
            *object = static_cast<IMessageFilter*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // It lives as long as the server's loop; COM's references free nothing.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO info) override
    {
        if (info == nullptr || !IsEqualIID(info->iid, IID_IDispatch))
            return SERVERCALL_ISHANDLED;
        if (PromptShowing())
            return SERVERCALL_REJECTED;
        if (callsToRefuse_ > 0) {
            --callsToRefuse_;
            return SERVERCALL_REJECTED;
        }
        if (::GetTickCount() - start_ < busyFor_)
            return SERVERCALL_REJECTED;
        return SERVERCALL_ISHANDLED;
    }
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override
    {
        return static_cast<DWORD>(-1); // the server calls out to no one
    }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override { return PENDINGMSG_WAITDEFPROCESS; }

private:
    DWORD start_;
    unsigned long callsToRefuse_ = 0;
    unsigned long busyFor_ = 0;
};

void QuitWhenIdle()
{
    ::PostQuitMessage(0);
}

// Owns a kernel handle; an absent one is null.
struct OwnedHandle {
    HANDLE handle = nullptr;
    OwnedHandle() = default;
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    ~OwnedHandle()
    {
        if (handle != nullptr)
            ::CloseHandle(handle);
    }
};

unsigned long long CreationTimeOf(HANDLE process)
{
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    return static_cast<unsigned long long>(created.dwHighDateTime) << 32 | created.dwLowDateTime;
}

// The process that started this one, if it still runs (a process id may have been
// reused: the parent must be older than this process). Null when there is none.
HANDLE OpenParentProcess()
{
    const HANDLE processes = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (processes == INVALID_HANDLE_VALUE)
        return nullptr;
    OwnedHandle snapshot;
    snapshot.handle = processes;
    const DWORD self = ::GetCurrentProcessId();
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    DWORD parent = 0;
    for (BOOL more = ::Process32FirstW(snapshot.handle, &entry); more; more = ::Process32NextW(snapshot.handle, &entry)) {
        if (entry.th32ProcessID == self) {
            parent = entry.th32ParentProcessID;
            break;
        }
    }
    if (parent == 0)
        return nullptr;
    HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, parent);
    if (process == nullptr)
        return nullptr;
    const unsigned long long parentStart = CreationTimeOf(process);
    if (parentStart == 0 || parentStart > CreationTimeOf(::GetCurrentProcess())) {
        ::CloseHandle(process);
        return nullptr;
    }
    return process;
}

bool IsSwitch(const wchar_t* arg, const wchar_t* name)
{
    return (arg[0] == L'/' || arg[0] == L'-') && ::lstrcmpiW(arg + 1, name) == 0;
}

int Serve()
{
    BusyFilter filter(standins::EnvironmentText(L"TESSALY_OUTLOOK_BUSY"));
    IMessageFilter* previous = nullptr;
    if (FAILED(::CoRegisterMessageFilter(&filter, &previous)))
        return 1;
    DWORD cookie = 0;
    HRESULT hr = ::CoRegisterClassObject(tessaly::outlook::CLSID_Application, ClassObject(), CLSCTX_LOCAL_SERVER,
                                         REGCLS_SINGLEUSE, &cookie);
    if (FAILED(hr)) {
        ::CoRegisterMessageFilter(previous, nullptr);
        if (previous != nullptr)
            previous->Release();
        return 1;
    }
    SetIdleHandler(QuitWhenIdle);
    OwnedHandle client;
    client.handle = OpenParentProcess();
    SetClientProcess(client.handle);
    const DWORD handles = client.handle != nullptr ? 1 : 0;
    bool serving = true;
    while (serving) {
        const DWORD woke = ::MsgWaitForMultipleObjects(handles, &client.handle, FALSE, INFINITE, QS_ALLINPUT);
        if (woke == WAIT_FAILED || (handles == 1 && woke == WAIT_OBJECT_0))
            break;
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                serving = false;
                break;
            }
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    SetClientProcess(nullptr);
    // A single-use registration is gone once a client took the class object; one that
    // never was taken goes here.
    ::CoRevokeClassObject(cookie);
    ::CoRegisterMessageFilter(previous, nullptr);
    if (previous != nullptr)
        previous->Release();
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&::LocalFree)> args(::CommandLineToArgvW(::GetCommandLineW(), &count),
                                                                &::LocalFree);
    const std::wstring command = args && count > 1 ? args.get()[1] : L"";

    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    int status = 0;
    if (IsSwitch(command.c_str(), L"RegServer")) {
        const std::wstring path = standins::ThisModuleFile();
        status = !path.empty() && SUCCEEDED(RegisterServer(ServerKind::Local, path)) ? 0 : 1;
    } else if (IsSwitch(command.c_str(), L"UnregServer")) {
        status = SUCCEEDED(UnregisterServer()) ? 0 : 1;
    } else {
        status = Serve();
    }
    ::CoUninitialize();
    return status;
}
