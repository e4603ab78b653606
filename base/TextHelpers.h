#pragma once
// Small text helpers shared by every part of the program. Texts are 8-bit strings, UTF-8
// (contact values, the folder name) or in the ANSI code page (paths, messages); the helpers
// work on bytes, which suits both. "Blank" means a character code of 32 or less.
#include <string>
#include <string_view>

namespace tessaly {

// True when every byte is below 0x80: such text reads the same in UTF-8 and in every ANSI
// code page.
bool IsAscii(std::string_view text);

// A blank or a control character.
constexpr bool IsBlank(char ch)
{
    return static_cast<unsigned char>(ch) <= 32;
}

// The text without leading and trailing characters of code 32 or less.
std::string Trim(std::string_view text);
// The same, as a view into the given text.
std::string_view TrimView(std::string_view text);

// True when the text holds something other than blanks and control characters.
bool HasText(std::string_view text);

// True when the text holds a CR or an LF: no value of a line-based file may.
bool HoldsLineBreak(std::string_view text);

// The text up to its first CR, LF or byte 0, as a single-line edit control pastes it.
std::string_view FirstLine(std::string_view text);

// The text with every occurrence of one character removed.
std::string StripChar(std::string_view text, char ch);

// A label caption as plain words: every "&", then every ":" removed.
std::string CaptionText(std::string_view caption);

// Equal when ASCII letters are compared without regard to case (other bytes exactly),
// as the settings file's names and Windows' class names are.
bool SameTextIgnoringAsciiCase(std::string_view a, std::string_view b);

// Every occurrence of `searched` replaced, scanning left to right and continuing after
// each replacement, so the cost stays linear in the length of the text.
std::string ReplaceAll(std::string_view text, std::string_view searched, std::string_view replacement);

// The trimmed text as a whole decimal integer (optional sign); false when it is not one.
[[nodiscard]] bool ParseInteger(std::string_view text, int& value);

// A 96-pixels-per-inch size scaled to the screen, truncated.
constexpr int ScaleByDpi(int value, int pixelsPerInch)
{
    return pixelsPerInch == 96 ? value : static_cast<int>(static_cast<long long>(value) * pixelsPerInch / 96);
}

} // namespace tessaly
