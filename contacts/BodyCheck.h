#pragma once
// Checks on a download body that arrives in pieces of up to a megabyte: each piece is
// scanned once, word by word, since a byte at a time is too slow for tens of megabytes.
#include <cstddef>
#include <string>
#include <string_view>

namespace tessaly {

bool HasZeroByte(const unsigned char* data, size_t size);

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
