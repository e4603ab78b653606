#include "base/OleError.h"

#include "base/FileHelpers.h"
#include "base/TextHelpers.h"
#include "base/WideText.h"

#include <oleauto.h>
#include <wrl/client.h>

#include <cstdio>

namespace tessaly {

std::string OleErrorText(HRESULT code, const std::string& description)
{
    if (HasText(description))
        return description;
    std::string system = SystemErrorMessage(static_cast<unsigned long>(code));
    if (HasText(system))
        return system;
    char text[32];
    std::snprintf(text, sizeof text, "OLE error %.8lx", static_cast<unsigned long>(code));
    return text;
}

void RaiseOleError(HRESULT code, const std::string& description)
{
    throw EOleError(code, OleErrorText(code, description));
}

void RaiseOleError(HRESULT code)
{
    std::string description;
    Microsoft::WRL::ComPtr<IErrorInfo> info;
    if (::GetErrorInfo(0, &info) == S_OK && info) {
        BSTR text = nullptr;
        if (SUCCEEDED(info->GetDescription(&text)) && text) {
            description = WideToAnsi(text, static_cast<int>(::SysStringLen(text)));
            ::SysFreeString(text);
        }
    }
    RaiseOleError(code, description);
}

void RaiseInterfaceNotSupported()
{
    RaiseOleError(E_NOINTERFACE, "Interface not supported");
}

void DiscardErrorInfo() noexcept
{
    (void)::SetErrorInfo(0, nullptr); // clearing the slot has no failure to report
}

} // namespace tessaly
