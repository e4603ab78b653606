#include "contacts/Base64.h"

namespace tessaly {

std::string EncodeBase64(std::string_view text)
{
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string encoded;
    encoded.reserve((text.size() + 2) / 3 * 4);
    size_t at = 0;
    for (; at + 3 <= text.size(); at += 3) {
        const unsigned group = static_cast<unsigned char>(text[at]) << 16 |
                               static_cast<unsigned char>(text[at + 1]) << 8 |
                               static_cast<unsigned char>(text[at + 2]);
        encoded += kAlphabet[group >> 18 & 63];
        encoded += kAlphabet[group >> 12 & 63];
        encoded += kAlphabet[group >> 6 & 63];
        encoded += kAlphabet[group & 63];
    }
    const size_t rest = text.size() - at;
    if (rest > 0) {
        unsigned group = static_cast<unsigned char>(text[at]) << 16;
        if (rest == 2)
            group |= static_cast<unsigned char>(text[at + 1]) << 8;
        encoded += kAlphabet[group >> 18 & 63];
        encoded += kAlphabet[group >> 12 & 63];
        encoded += rest == 2 ? kAlphabet[group >> 6 & 63] : '=';
        encoded += '=';
    }
    return encoded;
}

} // namespace tessaly
