#pragma once
// Conversions between the program's 8-bit texts and the UTF-16 that Windows and the
// components take.
#include <windows.h>

#include <string>
#include <string_view>

namespace tessaly {

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
