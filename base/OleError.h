#pragma once
// The error raised when a component call fails where the caller does not test the result
// on the spot. Its text is the component's own description, else the system's message
// for the code, else "OLE error %.8x".
#include <windows.h>

#include <stdexcept>
#include <string>

namespace tessaly {

class EOleError : public std::runtime_error {
public:
    EOleError(HRESULT code, const std::string& text) : std::runtime_error(text), code_(code) {}
    HRESULT Code() const noexcept { return code_; }

private:
    HRESULT code_;
};

// The text of the rule above; `description` is what the component said, if anything.
std::string OleErrorText(HRESULT code, const std::string& description = {});

// Raises EOleError for `code`, taking the description from the thread's error object
// (IErrorInfo) when the component left one.
[[noreturn]] void RaiseOleError(HRESULT code);

// Raises EOleError with the given description (for example EXCEPINFO's).
[[noreturn]] void RaiseOleError(HRESULT code, const std::string& description);

// Negative result codes raise; others pass.
inline void OleCheck(HRESULT code)
{
    if (FAILED(code))
        RaiseOleError(code);
}

} // namespace tessaly
