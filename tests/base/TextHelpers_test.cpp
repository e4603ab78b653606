#include "base/TextHelpers.h"

#include <gtest/gtest.h>

using namespace tessaly;

TEST(TextHelpers, TrimAndHasTextTreatEveryControlCharacterAsBlank)
{
    EXPECT_EQ(Trim(" \t\r\n value \x01\x1f "), "value");
    EXPECT_EQ(Trim("\x7f"), "\x7f"); // DEL is above 32: kept
    EXPECT_FALSE(HasText(""));
    EXPECT_FALSE(HasText(" \t\r\n\x01"));
    EXPECT_TRUE(HasText("  x "));
    // Bytes of the upper half are text, not blanks (signed char must not fool the test).
    EXPECT_TRUE(HasText("\xe9"));
    EXPECT_EQ(Trim(" \xe9 "), "\xe9");
}

TEST(TextHelpers, CaptionTextDropsAmpersandsThenColons)
{
    EXPECT_EQ(CaptionText("&Download Link:"), "Download Link");
    EXPECT_EQ(CaptionText("Con&tact Folder:"), "Contact Folder");
    EXPECT_EQ(StripChar("Ann Lee  Smith", ' '), "AnnLeeSmith");
}

TEST(TextHelpers, ReplaceAllContinuesAfterEachReplacement)
{
    EXPECT_EQ(ReplaceAll("\"A\",\"B\",\"C\"", "\",", "\r\n"), "\"A\r\n\"B\r\n\"C\"");
    // The replacement contains the searched text: no endless loop, no re-scan.
    EXPECT_EQ(ReplaceAll("aa", "a", "aa"), "aaaa");
    EXPECT_EQ(ReplaceAll("", "\",", "\r\n"), "");
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
    EXPECT_EQ(ReplaceAll("\",\",", "\",", "-"), "--");
}

TEST(TextHelpers, ParseIntegerAcceptsOnlyAWholeTrimmedNumber)
{
    int value = -1;
    EXPECT_TRUE(ParseInteger(" 11 ", value));
    EXPECT_EQ(value, 11);
    EXPECT_TRUE(ParseInteger("-7", value));
    EXPECT_EQ(value, -7);
    value = 5;
    EXPECT_FALSE(ParseInteger("9x", value));
    EXPECT_FALSE(ParseInteger("", value));
    EXPECT_FALSE(ParseInteger("  ", value));
    EXPECT_FALSE(ParseInteger("99999999999", value));
    EXPECT_EQ(value, 5);
}

TEST(TextHelpers, ScaleByDpiTruncates)
{
    EXPECT_EQ(ScaleByDpi(5, 96), 5);
    EXPECT_EQ(ScaleByDpi(5, 120), 6); // 6.25
    EXPECT_EQ(ScaleByDpi(30, 120), 37);
    EXPECT_EQ(ScaleByDpi(11, 144), 16);
}

TEST(TextHelpers, SameTextIgnoringAsciiCaseFoldsOnlyAsciiLetters)
{
    EXPECT_TRUE(SameTextIgnoringAsciiCase("WABBrowseView", "wabbrowseview"));
    EXPECT_TRUE(SameTextIgnoringAsciiCase("Corvane Tessaly", "CORVANE TESSALY"));
    EXPECT_FALSE(SameTextIgnoringAsciiCase("Global", "Global Contacts"));
    EXPECT_FALSE(SameTextIgnoringAsciiCase("\xc9", "\xe9")); // upper-half letters compare exactly
    EXPECT_FALSE(SameTextIgnoringAsciiCase("[", "{"));
    EXPECT_TRUE(SameTextIgnoringAsciiCase("", ""));
}
