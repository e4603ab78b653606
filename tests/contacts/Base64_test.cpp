#include "contacts/Base64.h"

#include <gtest/gtest.h>

using namespace tessaly;

TEST(EncodeBase64, PadsShortGroupsToFourCharacters)
{
    EXPECT_EQ(EncodeBase64(":"), "Og==");
    EXPECT_EQ(EncodeBase64("a:"), "YTo=");
    EXPECT_EQ(EncodeBase64("a:b"), "YTpi");
    EXPECT_EQ(EncodeBase64("foobar"), "Zm9vYmFy");
    EXPECT_EQ(EncodeBase64("fooba"), "Zm9vYmE=");
    EXPECT_EQ(EncodeBase64(""), "");
}

TEST(EncodeBase64, UsesTheStandardAlphabetForEveryByte)
{
    EXPECT_EQ(EncodeBase64("\xFB\xEF\xBE"), "++++");
    EXPECT_EQ(EncodeBase64("\xFF\xFF\xFF"), "////");
    EXPECT_EQ(EncodeBase64(std::string("\0\0\0", 3)), "AAAA");
    EXPECT_EQ(EncodeBase64("J\xF6rg:p\xE4ss"), "SvZyZzpw5HNz"); // Windows-1252 letters
}

TEST(EncodeBase64, NeverBreaksLongOutput)
{
    const std::string encoded = EncodeBase64(std::string(300, 'x'));
    EXPECT_EQ(encoded.size(), 400u);
    EXPECT_EQ(encoded.find_first_of("\r\n"), std::string::npos);
}
