#include "destinations/outlook/DispatchCalls.h"

#include "base/OleError.h"
#include "base/WideText.h"
#include "destinations/outlook/BusyFilter.h"

#include <cwchar>
#include <iterator>
#include <utility>
#include <vector>

namespace tessaly {

Variant::Variant(int number) noexcept : Variant()
{
    value_.vt = VT_I4;
    value_.lVal = number;
}

Variant::Variant(bool flag) noexcept : Variant()
{
    value_.vt = VT_BOOL;
    value_.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
}

Variant::Variant(const std::wstring& text) : Variant()
{
    BSTR copy = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (copy == nullptr)
        RaiseOleError(E_OUTOFMEMORY);
    value_.vt = VT_BSTR;
    value_.bstrVal = copy;
}

Variant::Variant(const Variant& other) : Variant()
{
    OleCheck(::VariantCopy(&value_, const_cast<VARIANT*>(&other.value_)));
}

Variant& Variant::operator=(const Variant& other)
{
    if (this != &other) {
        Variant copy(other);
        *this = std::move(copy);
    }
    return *this;
}

Variant::Variant(Variant&& other) noexcept : value_(other.value_)
{
    ::VariantInit(&other.value_);
}

Variant& Variant::operator=(Variant&& other) noexcept
{
    if (this != &other) {
        ::VariantClear(&value_);
        value_ = other.value_;
        ::VariantInit(&other.value_);
    }
    return *this;
}

Variant Variant::Missing() noexcept
{
    Variant missing;
    missing.value_.vt = VT_ERROR;
    missing.value_.scode = DISP_E_PARAMNOTFOUND;
    return missing;
}

VARIANT* Variant::put() noexcept
{
    ::VariantClear(&value_);
    return &value_;
}

namespace {

// Frees the strings a component left in EXCEPINFO, whatever path the call takes.
struct ExceptionInfo {
    EXCEPINFO info{};
    ~ExceptionInfo()
    {
        ::SysFreeString(info.bstrSource);
        ::SysFreeString(info.bstrDescription);
        ::SysFreeString(info.bstrHelpFile);
    }
};

// Checks what Invoke returned. When the component raised an exception, its EXCEPINFO
// gives the code and the description; otherwise the call's own code stands alone.
void CheckInvokeResult(HRESULT code, ExceptionInfo& exception)
{
    std::string description;
    if (code == DISP_E_EXCEPTION) {
        EXCEPINFO& info = exception.info;
        if (info.pfnDeferredFillIn != nullptr)
            info.pfnDeferredFillIn(&info);
        if (info.bstrDescription != nullptr)
            description = WideToAnsi(info.bstrDescription, static_cast<int>(::SysStringLen(info.bstrDescription)));
        if (FAILED(info.scode))
            code = info.scode;
        else if (info.wCode != 0)
            code = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_DISPATCH, info.wCode);
    }
    OleCheck(code, description);
}

DISPID MemberId(IDispatch* object, const wchar_t* name)
{
    if (object == nullptr)
        RaiseOleError(E_POINTER);
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
    OleCheck(RetryWhileBusy([&] { return object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id); }), {});
    return id;
}

Variant Invoke(IDispatch* object, DISPID id, WORD flags, std::initializer_list<Variant> args,
                const Variant* putValue)
{
    if (object == nullptr)
        RaiseOleError(E_POINTER);

    // DISPPARAMS holds the arguments last to first; the value of a put comes first of all.
    std::vector<VARIANTARG> reversed;
    reversed.reserve(args.size() + 1);
    if (putValue != nullptr)
        reversed.push_back(putValue->get());
    for (auto it = args.end(); it != args.begin();) {
        --it;
        reversed.push_back(it->get());
    }
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{};
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    params.cArgs = static_cast<UINT>(reversed.size());
    if (putValue != nullptr) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }

    Variant result;
    ExceptionInfo exception;
    UINT argError = 0;
    const HRESULT code = RetryWhileBusy([&] {
        return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                              putValue != nullptr ? nullptr : result.put(), &exception.info, &argError);
    });
    CheckInvokeResult(code, exception);
    return result;
}

} // namespace

Variant DispGet(IDispatch* object, const wchar_t* name, std::initializer_list<Variant> args)
{
    return Invoke(object, MemberId(object, name), DISPATCH_PROPERTYGET | DISPATCH_METHOD, args, nullptr);
}

Variant DispCall(IDispatch* object, const wchar_t* name, std::initializer_list<Variant> args)
{
    return Invoke(object, MemberId(object, name), DISPATCH_METHOD, args, nullptr);
}

void DispPut(IDispatch* object, const wchar_t* name, const Variant& value)
{
    Invoke(object, MemberId(object, name), DISPATCH_PROPERTYPUT, {}, &value);
}

DISPID MemberIds::Find(IDispatch* object, int kind, const wchar_t* name)
{
    for (const Entry& entry : entries_) {
        if (entry.kind == kind && entry.name == name)
            return entry.id;
    }
    const DISPID id = MemberId(object, name);
    entries_.push_back({kind, name, id});
    return id;
}

Variant DispGet(MemberIds& ids, int kind, IDispatch* object, const wchar_t* name,
                 std::initializer_list<Variant> args)
{
    return Invoke(object, ids.Find(object, kind, name), DISPATCH_PROPERTYGET | DISPATCH_METHOD, args, nullptr);
}

Variant DispCall(MemberIds& ids, int kind, IDispatch* object, const wchar_t* name,
                  std::initializer_list<Variant> args)
{
    return Invoke(object, ids.Find(object, kind, name), DISPATCH_METHOD, args, nullptr);
}

void DispPut(MemberIds& ids, int kind, IDispatch* object, const wchar_t* name, const Variant& value)
{
    Invoke(object, ids.Find(object, kind, name), DISPATCH_PROPERTYPUT, {}, &value);
}

Microsoft::WRL::ComPtr<IDispatch> AsDispatch(const Variant& value)
{
    Microsoft::WRL::ComPtr<IDispatch> object;
    const VARIANT& v = value.get();
    switch (v.vt) {
    case VT_EMPTY:
    case VT_NULL:
        break;
    case VT_DISPATCH:
        object = v.pdispVal;
        break;
    case VT_UNKNOWN:
        if (v.punkVal != nullptr)
            OleCheck(v.punkVal->QueryInterface(IID_PPV_ARGS(&object)));
        break;
    default:
        RaiseOleError(DISP_E_TYPEMISMATCH, {});
    }
    return object;
}

int AsInteger(const Variant& value)
{
    Variant number;
    OleCheck(::VariantChangeType(number.put(), const_cast<VARIANT*>(&value.get()), 0, VT_I4), {});
    return number.get().lVal;
}

std::wstring AsText(const Variant& value)
{
    Variant text;
    OleCheck(::VariantChangeType(text.put(), const_cast<VARIANT*>(&value.get()), 0, VT_BSTR), {});
    const BSTR chars = text.get().bstrVal;
    return chars == nullptr ? std::wstring() : std::wstring(chars, ::SysStringLen(chars));
}

bool AsBoolean(const Variant& value)
{
    Variant flag;
    OleCheck(::VariantChangeType(flag.put(), const_cast<VARIANT*>(&value.get()), 0, VT_BOOL), {});
    return flag.get().boolVal != VARIANT_FALSE;
}

namespace {

// Element (first, second) of a two-dimensional array of VARIANT, as text.
std::wstring ElementText(SAFEARRAY* array, LONG first, LONG second)
{
    LONG at[2] = {first, second};
    Variant element;
    OleCheck(::SafeArrayGetElement(array, at, element.put()), {});
    const VARTYPE type = element.get().vt;
    if (type == VT_EMPTY || type == VT_NULL)
        return {};
    // A time as its exact number: the locale's text would drop the fraction of a second,
    // and two times must compare equal only when they are.
    if (type == VT_DATE) {
        wchar_t text[32] = {};
        std::swprintf(text, std::size(text), L"%.17g", element.get().date);
        return text;
    }
    return AsText(element);
}

} // namespace

std::vector<std::vector<std::wstring>> AsTextRows(const Variant& value, size_t columns)
{
    std::vector<std::vector<std::wstring>> rows;
    const VARIANT& v = value.get();
    if (v.vt == VT_EMPTY || v.vt == VT_NULL)
        return rows;
    SAFEARRAY* array = v.vt == (VT_ARRAY | VT_VARIANT) ? v.parray
                       : v.vt == (VT_ARRAY | VT_VARIANT | VT_BYREF) && v.pparray != nullptr ? *v.pparray
                                                                                           : nullptr;
    if (array == nullptr || ::SafeArrayGetDim(array) != 2)
        RaiseOleError(DISP_E_TYPEMISMATCH, {});
    LONG lower[2] = {};
    LONG upper[2] = {};
    for (UINT d = 0; d < 2; ++d) {
        OleCheck(::SafeArrayGetLBound(array, d + 1, &lower[d]), {});
        OleCheck(::SafeArrayGetUBound(array, d + 1, &upper[d]), {});
    }
    const auto extent = [&](int d) { return static_cast<size_t>(static_cast<long long>(upper[d]) - lower[d] + 1); };
    // The documentation names the dimensions both ways round; the column count tells.
    bool byColumns = false;
    if (extent(1) != columns) {
        if (extent(0) != columns)
            RaiseOleError(DISP_E_TYPEMISMATCH, {});
        byColumns = true;
    }
    const size_t count = extent(byColumns ? 1 : 0);
    rows.reserve(count);
    for (size_t r = 0; r < count; ++r) {
        std::vector<std::wstring>& row = rows.emplace_back();
        row.reserve(columns);
        for (size_t c = 0; c < columns; ++c) {
            const LONG rowAt = lower[byColumns ? 1 : 0] + static_cast<LONG>(r);
            const LONG columnAt = lower[byColumns ? 0 : 1] + static_cast<LONG>(c);
            row.push_back(byColumns ? ElementText(array, columnAt, rowAt) : ElementText(array, rowAt, columnAt));
        }
    }
    return rows;
}

} // namespace tessaly
