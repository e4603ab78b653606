#pragma once
// The program's text as Latin-1 in portable tests: what Western systems' code page holds
// of the first 256, enough to see which way a settings value was converted.
#include "app/Settings.h"

#include "../support/Latin1ToUtf8.h"

#include <optional>
#include <string>
#include <string_view>

namespace tessaly {

inline const SettingsTextConversion kLatin1{
    [](std::string_view utf8) -> std::optional<std::string> {
        std::string text;
        for (size_t i = 0; i < utf8.size(); ++i) {
            const auto lead = static_cast<unsigned char>(utf8[i]);
            if (lead < 0x80) {
                text += utf8[i];
            } else if ((lead == 0xC2 || lead == 0xC3) && i + 1 < utf8.size()
                       && (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
                text += static_cast<char>(((lead & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
            } else {
                return std::nullopt;
            }
        }
        return text;
    },
    test::Latin1ToUtf8,
};

} // namespace tessaly
