#pragma once
// Every conversion between the program's texts and the UTF-16 that Windows and the
// components take, and between code pages. The program holds its contact values and the
// folder name in UTF-8; paths, settings values and messages that Windows hands over or
// takes as 8-bit text are in the ANSI code page. This is the one place that calls the
// system's conversion functions (tools/lint refuses them anywhere else).
#include <windows.h>

#include <optional>
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

// Between the program's UTF-8 and the ANSI code page. ASCII reads the same in both and is
// handed back as it is, without a trip through UTF-16. Utf8ToAnsi gives Windows'
// substitute for a character the code page lacks.
std::string AnsiToUtf8(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view utf8);

// The ANSI text of well-formed UTF-8 whose every character the code page holds; empty
// when the text is not UTF-8 or would come back altered.
std::optional<std::string> Utf8ToAnsiExactly(std::string_view utf8);

} // namespace tessaly
