// The stand-in as a local server, as Outlook itself is: COM starts it for a client's
// CoCreateInstance ("-Embedding"), its one thread serves every call in a single-threaded
// apartment, and it ends when the last object it handed out is released. Each start
// serves one activation, so a run has a server of its own and a server that died leaves
// no registration behind. "/RegServer" and "/UnregServer" (un)register it.
#include "Module.h"

#include "destinations/outlook/OutlookMembers.h"
#include "standins/common/ClassRegistration.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <memory>
#include <string>

using namespace outlook_standin;

namespace {

void QuitWhenIdle()
{
    ::PostQuitMessage(0);
}

bool IsSwitch(const wchar_t* arg, const wchar_t* name)
{
    return (arg[0] == L'/' || arg[0] == L'-') && ::lstrcmpiW(arg + 1, name) == 0;
}

int Serve()
{
    DWORD cookie = 0;
    HRESULT hr = ::CoRegisterClassObject(tessaly::outlook::CLSID_Application, ClassObject(), CLSCTX_LOCAL_SERVER,
                                         REGCLS_SINGLEUSE, &cookie);
    if (FAILED(hr))
        return 1;
    SetIdleHandler(QuitWhenIdle);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    // A single-use registration is gone once a client took the class object; one that
    // never was taken goes here.
    ::CoRevokeClassObject(cookie);
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
