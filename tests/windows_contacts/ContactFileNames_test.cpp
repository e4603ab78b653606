#include "destinations/windows_contacts/ContactFileNames.h"

#include <gtest/gtest.h>

using namespace tessaly;

namespace {
std::string FixedIdentifier()
{
    return "{NEW-ID}";
}
} // namespace

TEST(ContactFilePaths, ExtensionAndFolderComeFromTheFileNameOnly)
{
    EXPECT_EQ(ContactFileExtension("C:\\Users\\ann\\Contacts\\ann.contact"), ".contact");
    EXPECT_EQ(ContactFileExtension("C:\\Users\\ann\\Contacts\\ann.lee.contact"), ".contact");
    // A dot in a folder name is not an extension of the file.
    EXPECT_EQ(ContactFileExtension("C:\\Users\\a.b\\Contacts\\ann"), "");
    EXPECT_EQ(ContactFileExtension("C:ann"), "");
    EXPECT_EQ(ContactFileExtension("ann."), ".");

    EXPECT_EQ(DirectoryPart("C:\\Users\\ann\\Contacts\\ann.contact"), "C:\\Users\\ann\\Contacts\\");
    EXPECT_EQ(DirectoryPart("C:/Users/ann.contact"), "C:/Users/");
    EXPECT_EQ(DirectoryPart("C:ann.contact"), "C:");
    EXPECT_EQ(DirectoryPart("ann.contact"), "");

    EXPECT_EQ(WithTrailingDelimiter("C:\\Contacts"), "C:\\Contacts\\");
    EXPECT_EQ(WithTrailingDelimiter("C:\\Contacts\\"), "C:\\Contacts\\");
    EXPECT_EQ(WithTrailingDelimiter("C:/Contacts/"), "C:/Contacts/");
    EXPECT_EQ(WithTrailingDelimiter(""), "\\");
}

TEST(ContactFileNames, CharactersWindowsRejectsBecomeUnderscores)
{
    EXPECT_EQ(SafeFileBaseName("AnnLee", FixedIdentifier), "AnnLee");
    EXPECT_EQ(SafeFileBaseName("a\\b/c:d*e?f\"g<h>i|j", FixedIdentifier), "a_b_c_d_e_f_g_h_i_j");
    EXPECT_EQ(SafeFileBaseName("tab\there\x1f", FixedIdentifier), "tab_here_");
    // Upper-half bytes are letters of the code page, not control codes.
    EXPECT_EQ(SafeFileBaseName("Ren\xe9", FixedIdentifier), "Ren\xe9");
    EXPECT_EQ(SafeFileBaseName("O'Neil & Sons.", FixedIdentifier), "O'Neil & Sons.");
}

TEST(ContactFileNames, NamesWithoutAnythingToStoreGetANewIdentifier)
{
    EXPECT_EQ(SafeFileBaseName("", FixedIdentifier), "{NEW-ID}");
    EXPECT_EQ(SafeFileBaseName(".", FixedIdentifier), "{NEW-ID}");
    EXPECT_EQ(SafeFileBaseName("...", FixedIdentifier), "{NEW-ID}");
    // Replaced characters leave a real name behind.
    EXPECT_EQ(SafeFileBaseName("??", FixedIdentifier), "__");
    EXPECT_EQ(SafeFileBaseName("..a", FixedIdentifier), "..a");
}

TEST(ContactFileNames, DeviceNamesAreNeverUsedAsFileNames)
{
    EXPECT_EQ(SafeFileBaseName("Con", FixedIdentifier), "Con_");
    EXPECT_EQ(SafeFileBaseName("nul.x", FixedIdentifier), "nul_.x");
    EXPECT_EQ(SafeFileBaseName("COM1", FixedIdentifier), "COM1_");
    EXPECT_EQ(SafeFileBaseName("LPT9", FixedIdentifier), "LPT9_");
    EXPECT_EQ(SafeFileBaseName("Conrad", FixedIdentifier), "Conrad");
    EXPECT_EQ(SafeFileBaseName("COM10", FixedIdentifier), "COM10");
}

TEST(ContactFileNames, ClashingNamesGetNumberedSuffixes)
{
    UniqueFileNames names;
    EXPECT_EQ(names.Claim("AnnLee"), "AnnLee");
    EXPECT_EQ(names.Claim("AnnLee"), "AnnLee (2)");
    // The file system ignores case, so this is the same file.
    EXPECT_EQ(names.Claim("annlee"), "annlee (3)");
    EXPECT_EQ(names.Claim("Bob"), "Bob");
}

TEST(ContactFileNames, SuffixedNamesDoNotCollideWithNamesGivenOutEarlierOrLater)
{
    UniqueFileNames names;
    EXPECT_EQ(names.Claim("A (2)"), "A (2)");
    EXPECT_EQ(names.Claim("A"), "A");
    EXPECT_EQ(names.Claim("A"), "A (3)");
    EXPECT_EQ(names.Claim("A (3)"), "A (3) (2)");
}

TEST(ContactFileNames, TheFoldDecidesWhichNamesAreTheSame)
{
    UniqueFileNames exact([](std::string_view text) { return std::string(text); });
    EXPECT_EQ(exact.Claim("Ann"), "Ann");
    EXPECT_EQ(exact.Claim("ANN"), "ANN");
    EXPECT_EQ(UniqueFileNames::AsciiUpper("ann\xe9-z"), "ANN\xe9-Z");
}

TEST(ContactFolderNames, OnlyOneFolderDirectlyInsideIsAccepted)
{
    for (const char* name : {"Global Contacts", "Team", "a.b", "R\xc3\xa9seau", "(2)"})
        EXPECT_TRUE(IsPlainFolderName(name)) << name;
    for (const char* name : {"", ".", "..", "..\\Contacts", "Safety\\..", "..\\Desktop", "..\\..\\..\\somewhere",
                             "*", "C:\\somewhere", "C:", "a/b", "a?", "a\"b", "a<b>", "a|b", "tab\there", "dot.",
                             "blank ", "CON", "nul", "com1.txt", "LPT9 "})
        EXPECT_FALSE(IsPlainFolderName(name)) << name;
}

TEST(ContactFolderNames, AUtf8NameIsCheckedByItsCharactersNotByTheBytesOfAnAnsiOne)
{
    // 表 is E8 A1 A8 in UTF-8; in Japanese ANSI (95 5C) its second byte would read as "\".
    for (const char* name : {"\xe8\xa1\xa8", "\xe8\xa1\xa8\xe7\xa4\xba", "\xd0\x9a\xd0\xbe\xd0\xbd\xd1\x82"})
        EXPECT_TRUE(IsPlainFolderName(name)) << name;
    for (const char* name : {"\xe8\xa1\xa8\\x", "\xe8\xa1\xa8|", "\xe8\xa1\xa8."})
        EXPECT_FALSE(IsPlainFolderName(name)) << name;
}
