#pragma once
// Reference counting and QueryInterface for the stand-in's COM classes. Objects are made
// only through MakeObject and destroy themselves on the last Release.
#include <windows.h>
#include <unknwn.h>

#include <atomic>
#include <new>
#include <utility>

namespace wcstandin {

// Live objects and server locks; the DLL may unload when this is zero.
inline std::atomic<long> g_moduleReferences{0};

template <typename First, typename... Rest>
class ComObject : public First, public Rest... {
public:
    ComObject() { ++g_moduleReferences; }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;
    virtual ~ComObject() { --g_moduleReferences; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (out == nullptr)
            return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == __uuidof(First))
            *out = static_cast<First*>(this);
        else
            (void)((iid == __uuidof(Rest) ? (*out = static_cast<Rest*>(this), true) : false) || ...);
        if (*out == nullptr)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references_); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const long left = --references_;
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

private:
    std::atomic<long> references_{1};
};

// A new object with one reference, handed out as the interface asked for.
template <typename T, typename... Args>
HRESULT MakeObject(REFIID iid, void** out, Args&&... args)
{
    if (out == nullptr)
        return E_POINTER;
    *out = nullptr;
    T* object = nullptr;
    try {
        object = new T(std::forward<Args>(args)...);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY; // no exception may cross the COM boundary
    }
    const HRESULT result = object->QueryInterface(iid, out);
    object->Release();
    return result;
}

} // namespace wcstandin
