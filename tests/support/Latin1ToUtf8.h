#pragma once
// Latin-1 to UTF-8: in portable tests it stands in for a Western system's ANSI conversion.
#include <string>
#include <string_view>

namespace tessaly::test {

inline std::string Latin1ToUtf8(std::string_view latin1)
{
    std::string utf8;
    for (char ch : latin1) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x80) {
            utf8 += ch;
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

} // namespace tessaly::test
