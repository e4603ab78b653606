#include "Module.h"

#include "Objects.h"

#include "destinations/outlook/OutlookMembers.h"
#include "standins/common/ClassRegistration.h"

#include <olectl.h>

#include <new>

namespace outlook_standin {

namespace {

std::atomic<long> g_locks{0};
void (*g_idleHandler)() = nullptr;

// The stand-in's own type library (OutlookStandIn.idl).
const GUID kTypeLibrary = {0x7e0b46d3, 0x48f4, 0x4e2f, {0x97, 0x21, 0x08, 0x78, 0x1a, 0x94, 0x70, 0x07}};

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
        else if (--g_locks == 0 && LiveObjects() == 0 && g_idleHandler != nullptr)
            g_idleHandler();
        return S_OK;
    }
};

ClassFactory g_factory;

std::wstring ClassKey()
{
    return standins::ClassKeyName(tessaly::outlook::CLSID_Application);
}

bool SetClassesValue(const std::wstring& key, const wchar_t* name, const std::wstring& value)
{
    return standins::SetRegistryText(HKEY_CLASSES_ROOT, key, name, value) == ERROR_SUCCESS;
}

bool DeleteClassesKey(const std::wstring& key)
{
    return standins::DeleteRegistryTree(HKEY_CLASSES_ROOT, key) == ERROR_SUCCESS;
}

HRESULT RegisterTypeLibrary(const std::wstring& path)
{
    ComPtr<ITypeLib> library;
    return ::LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, library.GetAddressOf());
}

void UnregisterTypeLibrary()
{
    // Only a library that this server registered is removed; none is no failure.
    ComPtr<ITypeLib> library;
    if (FAILED(::LoadRegTypeLib(kTypeLibrary, 1, 0, LOCALE_NEUTRAL, library.GetAddressOf())))
        return;
    TLIBATTR* attributes = nullptr;
    if (FAILED(library->GetLibAttr(&attributes)))
        return;
    ::UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum, attributes->lcid,
                        attributes->syskind);
    library->ReleaseTLibAttr(attributes);
}

} // namespace

IClassFactory* ClassObject()
{
    return &g_factory;
}

long ServerLocks()
{
    return g_locks;
}

void SetIdleHandler(void (*handler)())
{
    g_idleHandler = handler;
}

void ObjectsGone()
{
    Store::Instance().EndSession(TakeSessionCalls());
    if (g_locks == 0 && g_idleHandler != nullptr)
        g_idleHandler();
}

HRESULT RegisterServer(ServerKind kind, const std::wstring& path)
{
    const std::wstring classKey = ClassKey();
    const std::wstring clsid = classKey.substr(6);
    const bool local = kind == ServerKind::Local;
    bool ok = SetClassesValue(classKey, nullptr, kDescription) &&
              DeleteClassesKey(classKey + (local ? L"\\InprocServer32" : L"\\LocalServer32")) &&
              SetClassesValue(classKey + L"\\ProgID", nullptr, kProgId) &&
              SetClassesValue(kProgId, nullptr, kDescription) &&
              SetClassesValue(std::wstring(kProgId) + L"\\CLSID", nullptr, clsid);
    if (ok && local)
        ok = SetClassesValue(classKey + L"\\LocalServer32", nullptr, L"\"" + path + L"\"");
    if (ok && !local)
        ok = standins::RegisterInProcessServer(HKEY_CLASSES_ROOT, classKey, path) == ERROR_SUCCESS;
    if (!ok)
        return SELFREG_E_CLASS;
    if (local && FAILED(RegisterTypeLibrary(path)))
        return SELFREG_E_TYPELIB;
    return S_OK;
}

HRESULT UnregisterServer()
{
    UnregisterTypeLibrary();
    const bool ok = DeleteClassesKey(ClassKey()) && DeleteClassesKey(kProgId);
    return ok ? S_OK : SELFREG_E_CLASS;
}

} // namespace outlook_standin
