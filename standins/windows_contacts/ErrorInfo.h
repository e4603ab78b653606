#pragma once
// The error information a failing call leaves on its thread, where a caller that sees the
// failure code reads the description (GetErrorInfo). The stand-in and the tests' fakes of
// the same objects fail this way.
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

namespace wcstandin {

// Leaves `description` as the thread's error information and returns `code`.
inline HRESULT ReportError(HRESULT code, const wchar_t* description)
{
    Microsoft::WRL::ComPtr<ICreateErrorInfo> create;
    if (FAILED(::CreateErrorInfo(create.GetAddressOf())))
        return code; // the code alone still reports the failure
    create->SetDescription(const_cast<LPOLESTR>(description));
    create->SetGUID(GUID_NULL);
    Microsoft::WRL::ComPtr<IErrorInfo> info;
    if (SUCCEEDED(create.As(&info)))
        ::SetErrorInfo(0, info.Get());
    return code;
}

} // namespace wcstandin
