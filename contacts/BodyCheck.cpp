#include "contacts/BodyCheck.h"

#include "base/TextHelpers.h"

#include <cstdint>
#include <cstring>

namespace tessaly {

namespace {

constexpr std::uint32_t kOnes = 0x01010101u;
constexpr std::uint32_t kHighBits = 0x80808080u;

// Non-zero when one of the four bytes of the word is zero.
constexpr std::uint32_t ZeroBytes(std::uint32_t word)
{
    return (word - kOnes) & ~word;
}

} // namespace

std::optional<std::uint64_t> ParseContentLength(std::string_view value)
{
    value = TrimView(value);
    if (value.empty())
        return std::nullopt;
    std::uint64_t length = 0;
    for (char ch : value) {
        if (ch < '0' || ch > '9')
            return std::nullopt;
        const auto digit = static_cast<std::uint64_t>(ch - '0');
        if (length > (UINT64_MAX - digit) / 10)
            return std::nullopt;
        length = length * 10 + digit;
    }
    return length;
}

bool HasZeroByte(const unsigned char* data, size_t size)
{
    size_t at = 0;
    for (; at + 16 <= size; at += 16) {
        std::uint32_t words[4];
        std::memcpy(words, data + at, sizeof words);
        if ((ZeroBytes(words[0]) | ZeroBytes(words[1]) | ZeroBytes(words[2]) | ZeroBytes(words[3])) & kHighBits)
            return true;
    }
    for (; at < size; ++at)
        if (data[at] == 0)
            return true;
    return false;
}

PhraseSpotter::PhraseSpotter(std::string_view phrase, size_t anchor) : phrase_(phrase), anchor_(anchor) {}

void PhraseSpotter::Feed(std::string_view piece)
{
    if (found_ || piece.empty())
        return;
    const size_t keep = phrase_.size() - 1;
    std::string joint = tail_;
    joint.append(piece.substr(0, keep));
    found_ = joint.find(phrase_) != std::string::npos || FoundWithin(piece);
    if (piece.size() >= keep) {
        tail_.assign(piece.substr(piece.size() - keep));
    } else {
        tail_.append(piece);
        tail_.erase(0, tail_.size() > keep ? tail_.size() - keep : 0);
    }
}

bool PhraseSpotter::FoundWithin(std::string_view piece) const
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(piece.data());
    const unsigned char anchor = static_cast<unsigned char>(phrase_[anchor_]);
    const std::uint32_t pattern = anchor * kOnes;
    const auto matchesAt = [&](size_t at) {
        return bytes[at] == anchor && at >= anchor_ && at - anchor_ + phrase_.size() <= piece.size() &&
               std::memcmp(bytes + at - anchor_, phrase_.data(), phrase_.size()) == 0;
    };
    size_t at = 0;
    for (; at + 16 <= piece.size(); at += 16) {
        std::uint32_t words[4];
        std::memcpy(words, bytes + at, sizeof words);
        if (!((ZeroBytes(words[0] ^ pattern) | ZeroBytes(words[1] ^ pattern) | ZeroBytes(words[2] ^ pattern) |
               ZeroBytes(words[3] ^ pattern)) &
              kHighBits))
            continue;
        for (size_t i = at; i < at + 16; ++i)
            if (matchesAt(i))
                return true;
    }
    for (; at < piece.size(); ++at)
        if (matchesAt(at))
            return true;
    return false;
}

} // namespace tessaly
