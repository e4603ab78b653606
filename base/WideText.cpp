#include "base/WideText.h"

#include "base/TextHelpers.h"

#include <cwchar>

namespace tessaly {

std::wstring AnsiToWide(const std::string& text)
{
    return TextToWide(text, CP_ACP);
}

std::string WideToAnsi(const wchar_t* text, int length)
{
    return WideToText(text, length, CP_ACP);
}

std::wstring TextToWide(std::string_view text, UINT codePage)
{
    if (text.empty())
        return {};
    const int length = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string WideToText(const wchar_t* text, int length, UINT codePage)
{
    if (text == nullptr)
        return {};
    if (length < 0)
        length = static_cast<int>(std::wcslen(text));
    if (length == 0)
        return {};
    const int size = ::WideCharToMultiByte(codePage, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(codePage, 0, text, length, result.data(), size, nullptr, nullptr);
    return result;
}

std::wstring Utf8ToWide(std::string_view text)
{
    return TextToWide(text, CP_UTF8);
}

std::string WideToUtf8(std::wstring_view text)
{
    return WideToText(text.data(), static_cast<int>(text.size()), CP_UTF8);
}

std::string ConvertText(const std::string& text, UINT from, UINT to)
{
    if (from == to)
        return text;
    const std::wstring wide = TextToWide(text, from);
    return WideToText(wide.c_str(), static_cast<int>(wide.size()), to);
}

// Most contact values and names are plain ASCII: they skip the trip through UTF-16, which
// keeps a large list's parse and comparison as fast as when its text was left as it came.
std::string AnsiToUtf8(std::string_view ansi)
{
    if (IsAscii(ansi))
        return std::string(ansi);
    const std::wstring wide = TextToWide(ansi, CP_ACP);
    return WideToUtf8(wide);
}

std::string Utf8ToAnsi(std::string_view utf8)
{
    if (IsAscii(utf8))
        return std::string(utf8);
    const std::wstring wide = Utf8ToWide(utf8);
    return WideToText(wide.c_str(), static_cast<int>(wide.size()), CP_ACP);
}

std::optional<std::string> Utf8ToAnsiExactly(std::string_view utf8)
{
    if (utf8.empty())
        return std::string();
    const int length =
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (length <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                          length);
    // Whatever the code page, a character it lacks does not come back the same.
    std::string ansi = WideToAnsi(wide.c_str(), length);
    if (AnsiToWide(ansi) != wide)
        return std::nullopt;
    return ansi;
}

} // namespace tessaly
