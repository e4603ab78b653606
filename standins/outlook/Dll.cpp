// The stand-in as an in-process server: the library's exports around the shared class
// object, kept beside the local server as the in-process reference.
#include "Module.h"
#include "Objects.h"

#include "destinations/outlook/OutlookMembers.h"
#include "standins/common/ClassRegistration.h"

#include <windows.h>
#include <objbase.h>
#include <olectl.h>

using namespace outlook_standin;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        ::DisableThreadLibraryCalls(instance);
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (!IsEqualCLSID(clsid, tessaly::outlook::CLSID_Application))
        return CLASS_E_CLASSNOTAVAILABLE;
    return ClassObject()->QueryInterface(iid, object);
}

STDAPI DllCanUnloadNow()
{
    return LiveObjects() == 0 && ServerLocks() == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer()
{
    const std::wstring path = standins::ThisModuleFile();
    return path.empty() ? SELFREG_E_CLASS : RegisterServer(ServerKind::InProcess, path);
}

STDAPI DllUnregisterServer()
{
    return UnregisterServer();
}
