// Module plumbing of the Windows Contacts stand-in: the class table, the class factory
// and self-registration for the contact manager and contact classes.
#include "ComObject.h"
#include "Contact.h"
#include "ContactManager.h"

#include <objbase.h>

#include <string>

namespace wcstandin {

namespace {
HMODULE g_module = nullptr;

using Creator = HRESULT (*)(REFIID, void**);

struct ClassEntry {
    const CLSID& classId;
    const wchar_t* name;
    Creator create;
};

const ClassEntry kClasses[] = {
    {tessaly::CLSID_ContactManager, L"Contact Manager (stand-in)", [](REFIID iid, void** out) {
         return MakeObject<ContactManager>(iid, out);
     }},
    {tessaly::CLSID_Contact, L"Contact (stand-in)", [](REFIID iid, void** out) { return MakeObject<Contact>(iid, out); }},
};

class ClassFactory final : public ComObject<IClassFactory> {
public:
    explicit ClassFactory(Creator create) : create_(create) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        if (out == nullptr)
            return E_POINTER;
        *out = nullptr;
        if (outer != nullptr)
            return CLASS_E_NOAGGREGATION;
        return create_(iid, out);
    }

    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        lock ? ++g_moduleReferences : --g_moduleReferences;
        return S_OK;
    }

private:
    Creator create_;
};

std::wstring ClassKey(const CLSID& classId)
{
    wchar_t text[40] = {};
    ::StringFromGUID2(classId, text, 40);
    return std::wstring(L"Software\\Classes\\CLSID\\") + text;
}

LONG SetText(HKEY key, const wchar_t* name, const std::wstring& value)
{
    return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

HRESULT RegisterClass(const ClassEntry& entry, const std::wstring& modulePath)
{
    HKEY classKey = nullptr;
    LONG status = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, ClassKey(entry.classId).c_str(), 0, nullptr, 0, KEY_WRITE,
                                    nullptr, &classKey, nullptr);
    if (status != ERROR_SUCCESS)
        return HRESULT_FROM_WIN32(status);
    status = SetText(classKey, nullptr, entry.name);
    HKEY serverKey = nullptr;
    if (status == ERROR_SUCCESS)
        status = ::RegCreateKeyExW(classKey, L"InprocServer32", 0, nullptr, 0, KEY_WRITE, nullptr, &serverKey, nullptr);
    if (status == ERROR_SUCCESS) {
        status = SetText(serverKey, nullptr, modulePath);
        if (status == ERROR_SUCCESS)
            status = SetText(serverKey, L"ThreadingModel", L"Apartment");
        ::RegCloseKey(serverKey);
    }
    ::RegCloseKey(classKey);
    return HRESULT_FROM_WIN32(status);
}
} // namespace

} // namespace wcstandin

using namespace wcstandin;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        ::DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID classId, REFIID iid, LPVOID* out)
{
    if (out == nullptr)
        return E_POINTER;
    *out = nullptr;
    for (const ClassEntry& entry : kClasses)
        if (classId == entry.classId)
            return MakeObject<ClassFactory>(iid, out, entry.create);
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow()
{
    return g_moduleReferences == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(g_module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return E_FAIL;
    for (const ClassEntry& entry : kClasses)
        if (HRESULT result = RegisterClass(entry, path); FAILED(result))
            return result;
    return S_OK;
}

STDAPI DllUnregisterServer()
{
    for (const ClassEntry& entry : kClasses) {
        const std::wstring key = ClassKey(entry.classId);
        ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, (key + L"\\InprocServer32").c_str());
        ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str());
    }
    return S_OK;
}
