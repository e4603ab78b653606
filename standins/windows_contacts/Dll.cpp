// Module plumbing of the Windows Contacts stand-in: the class table, the class factory
// and self-registration for the contact manager and contact classes.
#include "ComObject.h"
#include "Contact.h"
#include "ContactManager.h"

#include "standins/common/ClassRegistration.h"

#include <objbase.h>
#include <olectl.h>

#include <string>

namespace wcstandin {

namespace {
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

// The classes are registered for every user of the machine.
std::wstring ClassKey(const CLSID& classId)
{
    return L"Software\\Classes\\" + standins::ClassKeyName(classId);
}

HRESULT RegisterClass(const ClassEntry& entry, const std::wstring& modulePath)
{
    const std::wstring key = ClassKey(entry.classId);
    LONG status = standins::SetRegistryText(HKEY_LOCAL_MACHINE, key, nullptr, entry.name);
    if (status == ERROR_SUCCESS)
        status = standins::RegisterInProcessServer(HKEY_LOCAL_MACHINE, key, modulePath);
    return HRESULT_FROM_WIN32(status);
}
} // namespace

} // namespace wcstandin

using namespace wcstandin;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        ::DisableThreadLibraryCalls(instance);
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
    const std::wstring path = standins::ThisModuleFile();
    if (path.empty())
        return E_FAIL;
    for (const ClassEntry& entry : kClasses)
        if (HRESULT result = RegisterClass(entry, path); FAILED(result))
            return result;
    return S_OK;
}

STDAPI DllUnregisterServer()
{
    for (const ClassEntry& entry : kClasses)
        if (standins::DeleteRegistryTree(HKEY_LOCAL_MACHINE, ClassKey(entry.classId)) != ERROR_SUCCESS)
            return SELFREG_E_CLASS;
    return S_OK;
}
