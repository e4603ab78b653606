// Module plumbing of the Outlook stand-in: the class object for "Outlook.Application",
// unloading, and registration as an in-process server.
#include "Objects.h"

#include "destinations/outlook/TLB_Outlook2000.h"

#include <windows.h>
#include <objbase.h>
#include <olectl.h>
#include <shlwapi.h>

#include <new>
#include <string>

namespace outlook_standin {

namespace {

HMODULE g_module = nullptr;
std::atomic<long> g_locks{0};

const wchar_t kProgId[] = L"Outlook.Application";
const wchar_t kDescription[] = L"Outlook application (Tessaly stand-in)";

class ClassFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // The one class object is static; it does not count its references.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (outer != nullptr)
            return CLASS_E_NOAGGREGATION;
        try {
            return NewApplication()->QueryInterface(iid, object);
        } catch (const Fault& fault) {
            return fault.code;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (...) {
            return E_UNEXPECTED;
        }
    }

    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        if (lock)
            ++g_locks;
        else
            --g_locks;
        return S_OK;
    }
};

ClassFactory g_factory;

std::wstring ClassKey()
{
    wchar_t text[64];
    ::StringFromGUID2(tessaly::outlook::CLSID_Application, text, 64);
    return std::wstring(L"CLSID\\") + text;
}

// Sets the value `name` (the default value when empty) of HKCR\key, creating the key.
bool SetClassesValue(const std::wstring& key, const wchar_t* name, const std::wstring& value)
{
    HKEY handle = nullptr;
    if (::RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const LONG status = ::RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                         static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

} // namespace

} // namespace outlook_standin

using namespace outlook_standin;

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
    return g_factory.QueryInterface(iid, object);
}

STDAPI DllCanUnloadNow()
{
    return LiveObjects() == 0 && g_locks == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer()
{
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(g_module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return SELFREG_E_CLASS;
    const std::wstring classKey = ClassKey();
    const std::wstring clsid = classKey.substr(6);
    const bool ok = SetClassesValue(classKey, nullptr, kDescription) &&
                    SetClassesValue(classKey + L"\\InprocServer32", nullptr, path) &&
                    SetClassesValue(classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
                    SetClassesValue(classKey + L"\\ProgID", nullptr, kProgId) &&
                    SetClassesValue(kProgId, nullptr, kDescription) &&
                    SetClassesValue(std::wstring(kProgId) + L"\\CLSID", nullptr, clsid);
    return ok ? S_OK : SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer()
{
    ::SHDeleteKeyW(HKEY_CLASSES_ROOT, ClassKey().c_str());
    ::SHDeleteKeyW(HKEY_CLASSES_ROOT, kProgId);
    return S_OK;
}
