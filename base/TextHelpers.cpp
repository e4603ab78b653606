#include "base/TextHelpers.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>

namespace tessaly {

bool IsAscii(std::string_view text)
{
    // Contact values are mostly ASCII: eight bytes at a time.
    size_t at = 0;
    for (; at + 8 <= text.size(); at += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + at, sizeof word);
        if (word & 0x8080808080808080ULL)
            return false;
    }
    for (; at < text.size(); ++at)
        if (static_cast<unsigned char>(text[at]) >= 0x80)
            return false;
    return true;
}

std::string_view TrimView(std::string_view text)
{
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

std::string Trim(std::string_view text)
{
    return std::string(TrimView(text));
}

bool HasText(std::string_view text)
{
    for (char ch : text)
        if (!IsBlank(ch))
            return true;
    return false;
}

bool HoldsLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

std::string_view FirstLine(std::string_view text)
{
    return text.substr(0, text.find_first_of(std::string_view("\r\n\0", 3)));
}

std::string StripChar(std::string_view text, char ch)
{
    std::string result;
    result.reserve(text.size());
    for (char c : text)
        if (c != ch)
            result += c;
    return result;
}

std::string CaptionText(std::string_view caption)
{
    return StripChar(StripChar(caption, '&'), ':');
}

bool SameTextIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

std::string ReplaceAll(std::string_view text, std::string_view searched, std::string_view replacement)
{
    if (searched.empty())
        return std::string(text);
    std::string result;
    result.reserve(text.size());
    size_t from = 0;
    for (size_t at = text.find(searched); at != std::string_view::npos; at = text.find(searched, from)) {
        result.append(text.substr(from, at - from));
        result.append(replacement);
        from = at + searched.size();
    }
    result.append(text.substr(from));
    return result;
}

bool ParseInteger(std::string_view text, int& value)
{
    const std::string trimmed = Trim(text);
    if (trimmed.empty())
        return false;
    const char* first = trimmed.data();
    const char* last = first + trimmed.size();
    if (*first == '+')
        ++first;
    int parsed = 0;
    auto [end, error] = std::from_chars(first, last, parsed);
    if (error != std::errc() || end != last || first == last)
        return false;
    value = parsed;
    return true;
}

} // namespace tessaly
