#include "DispatchObject.h"

#include "Module.h"
#include "OwnedVariant.h"

#include <new>

namespace outlook_standin {

namespace {

const wchar_t kSource[] = L"Outlook stand-in";

// `value` converted to `type`; a value that does not convert is a type mismatch.
void Convert(OwnedVariant& target, const VARIANT& value, VARTYPE type)
{
    if (FAILED(::VariantChangeType(&target.value, const_cast<VARIANT*>(&value), 0, type)))
        Fail(DISP_E_TYPEMISMATCH);
}

std::wstring ConvertedText(const VARIANT& value)
{
    OwnedVariant text;
    Convert(text, value, VT_BSTR);
    const BSTR chars = text.value.bstrVal;
    return chars == nullptr ? std::wstring() : std::wstring(chars, ::SysStringLen(chars));
}

// Member names are ASCII; the system's locale-aware comparison costs far more per call.
bool SameName(const std::wstring& member, const wchar_t* name)
{
    auto fold = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
    size_t i = 0;
    for (; i < member.size(); ++i) {
        if (name[i] == L'\0' || fold(member[i]) != fold(name[i]))
            return false;
    }
    return name[i] == L'\0';
}

} // namespace

std::atomic<long>& LiveObjects()
{
    static std::atomic<long> count{0};
    return count;
}

namespace {

SessionCalls g_calls;

} // namespace

SessionCalls TakeSessionCalls()
{
    return std::exchange(g_calls, SessionCalls{});
}

CallArgs::CallArgs(const DISPPARAMS& params, WORD flags)
{
    UINT first = 0;
    if ((flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0) {
        if (params.cArgs == 0 || params.cNamedArgs != 1 || params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
            Fail(DISP_E_PARAMNOTOPTIONAL);
        put_ = &params.rgvarg[0];
        first = 1;
    } else if (params.cNamedArgs != 0) {
        Fail(DISP_E_NONAMEDARGS);
    }
    for (UINT i = params.cArgs; i > first; --i) {
        const VARIANT* arg = &params.rgvarg[i - 1];
        // Arguments passed by reference are read through.
        if (arg->vt == (VT_VARIANT | VT_BYREF) && arg->pvarVal != nullptr)
            arg = arg->pvarVal;
        args_.push_back(arg);
    }
}

bool CallArgs::Given(size_t index) const noexcept
{
    if (index >= args_.size())
        return false;
    const VARIANT& arg = *args_[index];
    return !(arg.vt == VT_ERROR && arg.scode == DISP_E_PARAMNOTFOUND) && arg.vt != VT_EMPTY;
}

const VARIANT& CallArgs::Raw(size_t index) const
{
    if (index >= args_.size())
        Fail(DISP_E_PARAMNOTOPTIONAL);
    return *args_[index];
}

int CallArgs::Integer(size_t index) const
{
    OwnedVariant number;
    Convert(number, Raw(index), VT_I4);
    return number.value.lVal;
}

std::wstring CallArgs::Text(size_t index) const
{
    return ConvertedText(Raw(index));
}

std::wstring CallArgs::PutText() const
{
    return ConvertedText(*put_);
}

bool CallArgs::PutBoolean() const
{
    OwnedVariant flag;
    Convert(flag, *put_, VT_BOOL);
    return flag.value.boolVal != VARIANT_FALSE;
}

void CallArgs::ExpectAtMost(size_t count) const
{
    if (args_.size() > count)
        Fail(DISP_E_BADPARAMCOUNT);
}

DispatchObject::DispatchObject(const std::vector<std::wstring>& members) : members_(members)
{
    ++LiveObjects();
}

DispatchObject::~DispatchObject()
{
    if (--LiveObjects() == 0)
        ObjectsGone();
}

HRESULT STDMETHODCALLTYPE DispatchObject::QueryInterface(REFIID iid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || Answers(iid)) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE DispatchObject::AddRef()
{
    return ++references_;
}

ULONG STDMETHODCALLTYPE DispatchObject::Release()
{
    const ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE DispatchObject::GetTypeInfoCount(UINT* count)
{
    if (count == nullptr)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DispatchObject::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info != nullptr)
        *info = nullptr;
    return TYPE_E_ELEMENTNOTFOUND;
}

HRESULT STDMETHODCALLTYPE DispatchObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    ++g_calls.lookups;
    if (names == nullptr || ids == nullptr || count == 0)
        return E_INVALIDARG;
    HRESULT hr = S_OK;
    ids[0] = DISPID_UNKNOWN;
    for (size_t i = 0; i < members_.size(); ++i) {
        if (SameName(members_[i], names[0])) {
            ids[0] = static_cast<DISPID>(i + 1);
            break;
        }
    }
    if (ids[0] == DISPID_UNKNOWN)
        hr = DISP_E_UNKNOWNNAME;
    // No named arguments are known.
    for (UINT i = 1; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT STDMETHODCALLTYPE DispatchObject::Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                                 VARIANT* result, EXCEPINFO* exception, UINT* argError)
{
    ++g_calls.invokes;
    if (argError != nullptr)
        *argError = 0;
    if (member < 1 || static_cast<size_t>(member) > members_.size())
        return DISP_E_MEMBERNOTFOUND;
    DISPPARAMS none{};
    VARIANT ignored;
    ::VariantInit(&ignored);
    VARIANT* answer = result != nullptr ? result : &ignored;
    ::VariantInit(answer);
    // A call that blocks (the guard's prompt) may see its client let go of this object.
    const ComPtr<IDispatch> self(this);
    try {
        CallArgs args(params != nullptr ? *params : none, flags);
        Call(member, args, answer);
        ::VariantClear(&ignored);
        return S_OK;
    } catch (const Fault& fault) {
        ::VariantClear(answer);
        if (fault.description.empty() || exception == nullptr)
            return fault.code;
        *exception = EXCEPINFO{};
        exception->bstrSource = ::SysAllocString(kSource);
        exception->bstrDescription = ::SysAllocString(fault.description.c_str());
        exception->scode = fault.code;
        return DISP_E_EXCEPTION;
    } catch (const std::bad_alloc&) {
        ::VariantClear(answer);
        return E_OUTOFMEMORY;
    } catch (...) {
        ::VariantClear(answer);
        return E_UNEXPECTED;
    }
}

void ReturnText(VARIANT* result, const std::wstring& text)
{
    BSTR copy = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (copy == nullptr)
        throw std::bad_alloc();
    result->vt = VT_BSTR;
    result->bstrVal = copy;
}

void ReturnInteger(VARIANT* result, int value)
{
    result->vt = VT_I4;
    result->lVal = value;
}

void ReturnBoolean(VARIANT* result, bool value)
{
    result->vt = VT_BOOL;
    result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void ReturnTime(VARIANT* result, long long milliseconds)
{
    // Days from 1601-01-01 to the automation epoch 1899-12-30, and Outlook's "none".
    constexpr double kEpochDays = 109205.0;
    constexpr double kNone = 949998.0;
    result->vt = VT_DATE;
    if (milliseconds == 0) {
        result->date = kNone;
        return;
    }
    const auto units = static_cast<unsigned long long>(milliseconds) * 10000;
    FILETIME utc{static_cast<DWORD>(units), static_cast<DWORD>(units >> 32)};
    FILETIME local{};
    if (!::FileTimeToLocalFileTime(&utc, &local))
        local = utc;
    const auto localMs =
        static_cast<long long>((static_cast<unsigned long long>(local.dwHighDateTime) << 32 | local.dwLowDateTime) / 10000);
    result->date = static_cast<double>(localMs) / 86400000.0 - kEpochDays;
}

void ReturnObject(VARIANT* result, ComPtr<IDispatch> object)
{
    result->vt = VT_DISPATCH;
    result->pdispVal = object.Detach();
}

} // namespace outlook_standin
