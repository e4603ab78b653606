#include "contacts/TextEncoding.h"

#include <cstdint>
#include <cstring>

namespace tessaly {

namespace {
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}
} // namespace

bool IsValidUtf8(std::string_view text, bool& multiByte)
{
    multiByte = false;
    const auto* at = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = at + text.size();
    while (at < end) {
        // Contacts files are mostly ASCII: skip it eight bytes at a time.
        if (end - at >= 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, at, sizeof word);
            if ((word & 0x8080808080808080ULL) == 0) {
                at += 8;
                continue;
            }
        }
        const unsigned char lead = *at;
        if (lead < 0x80) {
            ++at;
            continue;
        }
        // The allowed range of the second byte narrows for the leads that could otherwise
        // spell an overlong form, a surrogate or a code point above U+10FFFF.
        size_t length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0)
                low = 0xA0;
            else if (lead == 0xED)
                high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0)
                low = 0x90;
            else if (lead == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (static_cast<size_t>(end - at) < length || at[1] < low || at[1] > high)
            return false;
        for (size_t i = 2; i < length; ++i)
            if (!IsContinuation(at[i]))
                return false;
        multiByte = true;
        at += length;
    }
    return true;
}

BodyEncoding DecideEncoding(std::string_view body)
{
    if (body.starts_with(kUtf8Mark))
        return {TextCodePage::Utf8, kUtf8Mark.size()};
    bool multiByte = false;
    if (IsValidUtf8(body, multiByte) && multiByte)
        return {TextCodePage::Utf8, 0};
    return {TextCodePage::Ansi, 0};
}

} // namespace tessaly
