#include "app/IniFile.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tessaly {
namespace {

TEST(IniFile, ReadsTrimmedLinesAndIgnoresCommentsAndLettercase)
{
    const IniFile ini = IniFile::Parse("stray=before any section\n"
                                         "  [corvane TESSALY]  \r\n"
                                         "; a comment=1\r\n"
                                         "\r\n"
                                         "  Source =  http://host/a=b  \r"
                                         "user=\n");
    EXPECT_TRUE(ini.SectionExists("Corvane Tessaly"));
    EXPECT_EQ(ini.ReadString("Corvane Tessaly", "SOURCE", "x"), "http://host/a=b");
    // Present but empty is an empty text, not the fallback.
    EXPECT_TRUE(ini.ValueExists("Corvane Tessaly", "User"));
    EXPECT_EQ(ini.ReadString("Corvane Tessaly", "User", "fallback"), "");
    EXPECT_EQ(ini.ReadString("Corvane Tessaly", "; a comment", "none"), "none");
    EXPECT_EQ(ini.ReadString("Corvane Tessaly", "stray", "none"), "none");
    EXPECT_EQ(ini.ReadString("Other", "Source", "none"), "none");
}

TEST(IniFile, WritesBackUnknownSectionsKeysAndLinesInCrLf)
{
    IniFile ini = IniFile::Parse("[Extra]\nKeep=me\nodd line\n[Corvane Tessaly]\nFuture=1\nsource=old\n");
    ini.WriteString("CORVANE TESSALY", "Source", "new");
    ini.WriteInteger("Corvane Tessaly", "Interval", 3);
    ini.WriteString("Added", "K", "v");
    EXPECT_EQ(ini.ToText(), "[Extra]\r\nKeep=me\r\nodd line\r\n"
                            "[Corvane Tessaly]\r\nFuture=1\r\nsource=new\r\nInterval=3\r\n\r\n"
                            "[Added]\r\nK=v\r\n\r\n");
    // What it writes reads back the same.
    EXPECT_EQ(IniFile::Parse(ini.ToText()).ToText(), ini.ToText());
}

TEST(IniFile, AUtf8ByteOrderMarkIsReadPastAndKeptOnWriting)
{
    IniFile ini = IniFile::Parse("\xEF\xBB\xBF[Corvane Tessaly]\r\nUser=alice\r\n");
    EXPECT_EQ(ini.ReadString("Corvane Tessaly", "User", "username"), "alice");
    ini.WriteString("Corvane Tessaly", "User", "bob");
    EXPECT_TRUE(ini.Utf8());
    EXPECT_EQ(ini.ToText(), "\xEF\xBB\xBF[Corvane Tessaly]\r\nUser=bob\r\n");
    EXPECT_FALSE(IniFile::Parse("[A]\r\n").Utf8());
    EXPECT_EQ(IniFile::Parse("[A]\r\n").ToText(), "[A]\r\n");
}

TEST(IniFile, OnePairOfMatchingQuotesAroundAValueIsReadAsWindowsReadsIt)
{
    IniFile ini = IniFile::Parse("[S]\nFolder=\"Company Contacts\"\nUser= 'ann' \nA=\" spaced \"\nB=\"\"\n"
                                   "C=\"\nD=\"mixed'\nE=\"\"twice\"\"\nF=in \"the\" middle\n");
    EXPECT_EQ(ini.ReadString("S", "Folder", ""), "Company Contacts");
    EXPECT_EQ(ini.ReadString("S", "User", ""), "ann");
    EXPECT_EQ(ini.ReadString("S", "A", ""), " spaced ");
    EXPECT_EQ(ini.ReadString("S", "B", "?"), "");
    EXPECT_EQ(ini.ReadString("S", "C", ""), "\"");
    EXPECT_EQ(ini.ReadString("S", "D", ""), "\"mixed'");
    EXPECT_EQ(ini.ReadString("S", "E", ""), "\"twice\"");
    EXPECT_EQ(ini.ReadString("S", "F", ""), "in \"the\" middle");
    EXPECT_EQ(ini.ReadInteger("S", "Interval", 1), 1);
    EXPECT_EQ(IniFile::Parse("[S]\nInterval=\"3\"\n").ReadInteger("S", "Interval", 1), 3);

    // Written back without quotes; a value with quotes of its own at both ends keeps them.
    ini.WriteString("S", "Folder", "Company Contacts");
    ini.WriteString("S", "User", "'ann'");
    EXPECT_EQ(ini.ToText(), "[S]\r\nFolder=Company Contacts\r\nUser=\"'ann'\"\r\nA=\" spaced \"\r\nB=\"\"\r\n"
                            "C=\"\r\nD=\"mixed'\r\nE=\"\"twice\"\"\r\nF=in \"the\" middle\r\n");
    EXPECT_EQ(IniFile::Parse(ini.ToText()).ReadString("S", "User", ""), "'ann'");
}

TEST(IniFile, AValueWithALineBreakIsNeverWritten)
{
    IniFile ini = IniFile::Parse("[S]\nA=1\n");
    EXPECT_THROW(ini.WriteString("S", "A", "2\nEmailClient=77"), std::invalid_argument);
    EXPECT_THROW(ini.WriteString("S", "New", "x\ry"), std::invalid_argument);
    EXPECT_EQ(ini.ToText(), "[S]\r\nA=1\r\n");
}

TEST(IniFile, RepeatedSectionsReadAsOneAndTheFirstKeyWins)
{
    IniFile ini = IniFile::Parse("[S]\nA=1\nA=2\n[s]\nB=3\n");
    EXPECT_EQ(ini.ReadString("S", "A", ""), "1");
    EXPECT_EQ(ini.ReadString("S", "B", ""), "3");
    ini.WriteString("S", "a", "9");
    EXPECT_EQ(ini.ToText(), "[S]\r\nA=9\r\nA=2\r\n[s]\r\nB=3\r\n");
}

TEST(IniFile, CommentsBlankLinesAndUnknownKeysStayWhereTheyWere)
{
    IniFile ini = IniFile::Parse("; Deployed by IT, do not edit\r\n"
                                   "\r\n"
                                   "[Corvane Tessaly]\r\n"
                                   "  ; the team's list\r\n"
                                   "  Source = http://old\r\n"
                                   "Proxy=none\r\n"
                                   ";Folder=Commented out\r\n"
                                   "\r\n"
                                   "\r\n"
                                   "[Other]\r\n"
                                   "; only a comment\r\n");
    ini.WriteString("Corvane Tessaly", "source", "http://new");
    ini.WriteString("Corvane Tessaly", "Folder", "Team");
    ini.WriteString("Other", "K", "v");
    EXPECT_EQ(ini.ToText(), "; Deployed by IT, do not edit\r\n"
                            "\r\n"
                            "[Corvane Tessaly]\r\n"
                            "  ; the team's list\r\n"
                            "Source=http://new\r\n"
                            "Proxy=none\r\n"
                            ";Folder=Commented out\r\n"
                            "Folder=Team\r\n"
                            "\r\n"
                            "\r\n"
                            "[Other]\r\n"
                            "; only a comment\r\n"
                            "K=v\r\n");
    // A commented-out key is no key, and a header-only section takes its key after the header.
    IniFile bare = IniFile::Parse("[S]\r\n;A=1\r\n[T]\r\nB=2");
    EXPECT_FALSE(bare.ValueExists("S", "A"));
    bare.WriteString("T", "C", "3");
    EXPECT_EQ(bare.ToText(), "[S]\r\n;A=1\r\n[T]\r\nB=2\r\nC=3\r\n");
}

TEST(IniFile, IntegersAcceptDecimalAndHexadecimalOnly)
{
    const IniFile ini = IniFile::Parse("[S]\nDec=-42\nHex=0x1F\nHEX=0XfF\nWord=ten\nMixed=12a\n"
                                         "Huge=99999999999\nBare=0x\nEmpty=\nSigned=+7\n");
    EXPECT_EQ(ini.ReadInteger("S", "Dec", 1), -42);
    EXPECT_EQ(ini.ReadInteger("S", "Hex", 1), 31);
    EXPECT_EQ(ini.ReadInteger("S", "Word", 1), 1);
    EXPECT_EQ(ini.ReadInteger("S", "Mixed", 1), 1);
    EXPECT_EQ(ini.ReadInteger("S", "Huge", 1), 1);
    EXPECT_EQ(ini.ReadInteger("S", "Bare", 1), 1);
    EXPECT_EQ(ini.ReadInteger("S", "Empty", 1), 1);
    EXPECT_EQ(ini.ReadInteger("S", "Signed", 1), 7);
    EXPECT_EQ(ini.ReadInteger("S", "Missing", 5), 5);
    int value = 0;
    EXPECT_TRUE(ParseIniInteger("0XfF", value));
    EXPECT_EQ(value, 255);
    EXPECT_FALSE(ParseIniInteger("--1", value));
}

} // namespace
} // namespace tessaly
