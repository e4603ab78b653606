#include "base/WideText.h"

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

} // namespace tessaly
