#pragma once
// The base of every object of the stand-in: IUnknown and a name-only IDispatch (no type
// information). Members are found by name, case-insensitively as automation expects;
// a member's DISPID is its index in the class's member list plus one.
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <atomic>
#include <string>
#include <utility>
#include <vector>

namespace outlook_standin {

using Microsoft::WRL::ComPtr;

// Thrown inside a member. With a description it reaches the caller as DISP_E_EXCEPTION
// with EXCEPINFO filled in; without one, as the plain result code.
struct Fault {
    HRESULT code;
    std::wstring description;
};

[[noreturn]] inline void Fail(HRESULT code, const std::wstring& description = {})
{
    throw Fault{code, description};
}

// The id at a 1-based index of a folder's items or subfolders, as every collection of
// the object model counts; out of range fails as Outlook does.
inline int AtIndex(const std::vector<int>& ids, int index)
{
    if (index < 1 || static_cast<size_t>(index) > ids.size())
        Fail(DISP_E_BADINDEX, L"Array index out of bounds.");
    return ids[static_cast<size_t>(index) - 1];
}

// The objects alive in this module. A session lasts from the first object to the
// release of the last; when it ends, ObjectsGone (Module.h) runs.
std::atomic<long>& LiveObjects();

// The calls the objects received in the current session: what a client costs the server.
struct SessionCalls {
    long lookups = 0; // GetIDsOfNames
    long invokes = 0; // Invoke
};

// The current session's calls; the counts start again from zero.
SessionCalls TakeSessionCalls();

// The arguments of one call, in call order, and the value of a property put.
class CallArgs {
public:
    CallArgs(const DISPPARAMS& params, WORD flags);

    bool IsPut() const noexcept { return put_ != nullptr; }
    size_t Count() const noexcept { return args_.size(); }
    // Present and not the marker of an omitted optional argument.
    bool Given(size_t index) const noexcept;
    int Integer(size_t index) const;
    std::wstring Text(size_t index) const;
    const VARIANT& Raw(size_t index) const;

    // The value being put, converted.
    std::wstring PutText() const;
    bool PutBoolean() const;

    // Raises the automation error for a wrong number of arguments.
    void ExpectAtMost(size_t count) const;

private:
    std::vector<const VARIANT*> args_;
    const VARIANT* put_ = nullptr;
};

class DispatchObject : public IDispatch {
public:
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

protected:
    // `members` outlives every object of the class (a static list).
    explicit DispatchObject(const std::vector<std::wstring>& members);
    virtual ~DispatchObject();

    // Runs member `id` (1-based index into the member list); `result` is always valid.
    virtual void Call(DISPID id, const CallArgs& args, VARIANT* result) = 0;
    // Further interfaces the object answers for, beside IUnknown and IDispatch. The
    // dual interfaces begin with IDispatch's methods, so this object serves for them.
    virtual bool Answers(REFIID) const { return false; }

private:
    std::atomic<ULONG> references_{1};
    const std::vector<std::wstring>& members_;
};

// Makes an object with one reference, owned by the returned pointer. (MinGW's
// ComPtr::Attach adds a reference of its own, so the new one is handed over directly.)
template <typename T, typename... Args>
ComPtr<IDispatch> Make(Args&&... args)
{
    ComPtr<IDispatch> object;
    *object.GetAddressOf() = new T(std::forward<Args>(args)...);
    return object;
}

void ReturnText(VARIANT* result, const std::wstring& text);
void ReturnInteger(VARIANT* result, int value);
void ReturnBoolean(VARIANT* result, bool value);
void ReturnObject(VARIANT* result, ComPtr<IDispatch> object);
// A time kept as milliseconds since 1601 (UTC), as the object model shows it: a local
// Date; 0 is Outlook's "none" (1 January 4501).
void ReturnTime(VARIANT* result, long long milliseconds);

} // namespace outlook_standin
