// The encoding is standard Base64: right length, right alphabet, padding only at the end,
// and it decodes back to the input.
#include "contacts/Base64.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {
int Value(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string encoded = tessaly::EncodeBase64(input);
    if (encoded.size() != (size + 2) / 3 * 4)
        std::abort();
    const size_t padding = size % 3 == 0 ? 0 : 3 - size % 3;
    std::string decoded;
    unsigned bits = 0;
    int count = 0;
    for (size_t i = 0; i < encoded.size(); ++i) {
        if (i >= encoded.size() - padding) {
            if (encoded[i] != '=')
                std::abort();
            continue;
        }
        const int value = Value(encoded[i]);
        if (value < 0)
            std::abort();
        bits = (bits << 6) | static_cast<unsigned>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            decoded += static_cast<char>((bits >> count) & 0xFF);
        }
    }
    if (decoded != input)
        std::abort();
    return 0;
}
