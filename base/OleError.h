#pragma once
// The error raised when a component call fails where the caller does not test the result
// on the spot. Its text is the component's own description, else the system's message
// for the code, else "OLE error %.8x".
//
// A component call whose failure raises is written OleCheck(call): with the thread's
// error object, or with the description the component handed back (EXCEPINFO's).
// RaiseOleError is for a failure the program itself recognises, with a code of its choosing.
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

// A component that kept refusing calls because it was busy, for as long as the program
// waits for it. Not an error of the run's: the run fails with this text as its one
// warning, and a later run may well succeed.
class EComponentBusy : public EOleError {
public:
    using EOleError::EOleError;
};

// The text of the rule above; `description` is what the component said, if anything.
std::string OleErrorText(HRESULT code, const std::string& description = {});

// Raises EOleError for `code`, taking the description from the thread's error object
// (IErrorInfo) when the component left one.
[[noreturn]] void RaiseOleError(HRESULT code);

// Raises EOleError with the given description; none gives the system's message.
[[noreturn]] void RaiseOleError(HRESULT code, const std::string& description);

// Raises E_NOINTERFACE as "Interface not supported": an object refused an interface the
// program cannot do without, whatever code it answered.
[[noreturn]] void RaiseInterfaceNotSupported();

// Negative result codes raise, described by the thread's error object; others pass.
inline void OleCheck(HRESULT code)
{
    if (FAILED(code))
        RaiseOleError(code);
}

// Negative result codes raise with `description`, the thread's error object unread: an
// automation call describes its failure in EXCEPINFO, and an empty one gets the
// system's message.
inline void OleCheck(HRESULT code, const std::string& description)
{
    if (FAILED(code))
        RaiseOleError(code, description);
}

// Drops the thread's error object. Called before a checked call when earlier calls'
// failures were tested on the spot: the error object one of them left would otherwise
// describe this call's failure.
void DiscardErrorInfo() noexcept;

} // namespace tessaly
