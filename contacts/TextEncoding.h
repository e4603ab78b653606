#pragma once
// Which code page a downloaded contacts file is written in. Most exports today are UTF-8;
// older ones are in the system's ANSI code page, which must keep landing as they always did.
#include <cstddef>
#include <string_view>

namespace tessaly {

// Values are Windows code page identifiers (CP_ACP, CP_UTF8), so they go straight to the
// conversion functions.
enum class TextCodePage : unsigned { Ansi = 0, Utf8 = 65001 };

constexpr unsigned WindowsCodePage(TextCodePage codePage)
{
    return static_cast<unsigned>(codePage);
}

struct BodyEncoding {
    TextCodePage codePage = TextCodePage::Ansi;
    size_t markLength = 0; // bytes of a leading byte-order mark, which is not part of the text
};

// A leading UTF-8 byte-order mark means UTF-8. Without one, UTF-8 only when the whole body
// is valid UTF-8 and holds at least one multi-byte character: pure ASCII reads the same
// either way, and an ANSI file with accented letters is almost never valid UTF-8.
BodyEncoding DecideEncoding(std::string_view body);

// True when every byte sequence is a well-formed UTF-8 character (no overlong forms, no
// surrogates, nothing above U+10FFFF); `multiByte` tells whether any had two or more bytes.
bool IsValidUtf8(std::string_view text, bool& multiByte);

} // namespace tessaly
