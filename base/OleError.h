#pragma once
// The error raised when a component call fails where the caller does not test the result
// on the spot. Its text is the component's own description, else the system's message
// for the code, else "OLE error %.8x".
#include <windows.h>

#include <stdexcept>
#include <string>
#include <string_view>

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

// UTF-16 from and to the ANSI code page, as every component expects.
std::wstring AnsiToWide(const std::string& text);
std::string WideToAnsi(const wchar_t* text, int length = -1);

// The same for 8-bit text in any Windows code page (CP_ACP, CP_UTF8...). Characters the
// target code page lacks become what Windows substitutes for them.
std::wstring TextToWide(std::string_view text, UINT codePage);
std::string WideToText(const wchar_t* text, int length, UINT codePage);

// UTF-8 paths and names, to and from the wide file functions.
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

// 8-bit text from one code page to another, through UTF-16; unchanged when they are the same.
std::string ConvertText(const std::string& text, UINT from, UINT to);

} // namespace tessaly
