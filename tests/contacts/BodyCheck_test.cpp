#include "contacts/BodyCheck.h"

#include <gtest/gtest.h>

#include <string>

using namespace tessaly;

namespace {
bool Zero(const std::string& text)
{
    return HasZeroByte(reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

// The body fed in pieces of the given size.
bool Spotted(const std::string& body, size_t piece)
{
    PhraseSpotter spotter("404 Not Found", 4);
    for (size_t at = 0; at < body.size(); at += piece)
        spotter.Feed(std::string_view(body).substr(at, piece));
    return spotter.Found();
}
} // namespace

TEST(HasZeroByte, FindsAZeroAnywhereAndNothingElse)
{
    const std::string text(100, '\x80');
    EXPECT_FALSE(Zero(text));
    EXPECT_FALSE(Zero(std::string(100, '\x01')));
    for (size_t at = 0; at < text.size(); ++at) {
        std::string zero = text;
        zero[at] = '\0';
        EXPECT_TRUE(Zero(zero)) << at;
    }
}

TEST(PhraseSpotter, FindsThePhraseWhereverThePiecesBreakIt)
{
    const std::string filler(50, 'N');
    const std::string body = filler + "<h1>404 Not Found</h1>" + filler;
    for (size_t piece : {1u, 2u, 5u, 13u, 16u, 17u, 40u, 1000u})
        EXPECT_TRUE(Spotted(body, piece)) << piece;
    EXPECT_FALSE(Spotted(filler + "404 Not Foun" + filler + "04 Not Found" + filler, 7));
    EXPECT_FALSE(Spotted("404 not found", 100)); // case counts
    EXPECT_TRUE(Spotted("404 Not Found", 100));
}

TEST(ContentLength, ReadsSixtyFourBitsAndRefusesAnythingElse)
{
    EXPECT_EQ(ParseContentLength("0"), 0u);
    EXPECT_EQ(ParseContentLength(" 2197 "), 2197u);
    EXPECT_EQ(ParseContentLength("4294968296"), 4294968296u);
    EXPECT_EQ(ParseContentLength("18446744073709551615"), UINT64_MAX);
    for (const char* bad : {"", " ", "18446744073709551616", "99999999999999999999999", "-1", "+5", "12a", "1 2",
                            "0x10", "1e3"})
        EXPECT_EQ(ParseContentLength(bad), std::nullopt) << bad;
}
