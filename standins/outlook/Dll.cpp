// The stand-in as an in-process server: the library's exports around the shared class
// object, kept beside the local server as the in-process reference.
#include "Module.h"
#include "Objects.h"

#include "destinations/outlook/OutlookMembers.h"

#include <windows.h>
#include <objbase.h>
#include <olectl.h>

using namespace outlook_standin;

namespace {

HMODULE g_module = nullptr;

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        ::DisableThreadLibraryCalls(instance);
    }
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
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(g_module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return SELFREG_E_CLASS;
    return RegisterServer(ServerKind::InProcess, path);
}

STDAPI DllUnregisterServer()
{
    return UnregisterServer();
}
