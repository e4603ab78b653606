#pragma once
// Checks on a download body that arrives in pieces of up to a megabyte: each piece is
// scanned once, word by word, since a byte at a time is too slow for tens of megabytes.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessaly {

bool HasZeroByte(const unsigned char* data, size_t size);

// The body length a Content-Length value declares: decimal digits, blanks around them
// allowed. Empty when the value is anything else or does not fit in 64 bits, since a
// length read wrongly would let a body cut short pass for a whole one.
std::optional<std::uint64_t> ParseContentLength(std::string_view value);

// Looks for a phrase in a body fed piece by piece, across the pieces' borders too.
// The scan looks for one anchor character of the phrase and compares only where it
// occurs, so the anchor should be a character that is rare in the body.
class PhraseSpotter {
public:
    PhraseSpotter(std::string_view phrase, size_t anchor);

    void Feed(std::string_view piece);
    bool Found() const { return found_; }

private:
    bool FoundWithin(std::string_view piece) const;

    std::string_view phrase_;
    size_t anchor_;
    std::string tail_; // the end of the pieces so far, one byte shorter than the phrase
    bool found_ = false;
};

} // namespace tessaly
