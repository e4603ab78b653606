#include "app/Settings.h"
#include "tests/settings/Latin1Text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace tessaly {
namespace {

TEST(Settings, FirstStartWithoutAFileGivesEveryDefault)
{
    const SettingsValues values = ReadSettings(IniFile(), kLatin1);
    EXPECT_EQ(values.source, "http://www.corvane.example/data/contacts.csv");
    EXPECT_EQ(values.user, "username");
    EXPECT_EQ(values.password.size(), 8u);
    EXPECT_EQ(values.folder, "Global Contacts");
    EXPECT_EQ(values.interval, 1);
    EXPECT_EQ(values.emailClient, 10);
    EXPECT_EQ(values.startTime, 15 * 3600);
}

TEST(Settings, PresentButEmptyKeysStayEmptyAndBadNumbersFallBack)
{
    const SettingsValues values = ReadSettings(IniFile::Parse("[corvane tessaly]\r\nSource=\r\nPSW=\r\n"
                                                               "Interval=abc\r\nEmailClient=0x14\r\n"
                                                               "StartTime=quarter past\r\n"),
                                               kLatin1, 8 * 3600);
    EXPECT_EQ(values.source, "");
    EXPECT_EQ(values.password, "");
    EXPECT_EQ(values.user, "username");
    EXPECT_EQ(values.interval, 1);
    EXPECT_EQ(values.emailClient, 20);
    EXPECT_EQ(values.startTime, 8 * 3600); // the time the picker shows
}

TEST(Settings, BlankLinkAndFolderKeepTheirStoredValuesButClearedCredentialsAreWritten)
{
    IniFile ini = IniFile::Parse("[Corvane Tessaly]\r\nSource=http://old\r\nUser=alice\r\nPSW=secret\r\n"
                                   "Folder=Team\r\n");
    const SettingsValues values{"  ", "", " \t", "", 7, 30, 9 * 3600 + 5 * 60, {}};
    WriteSettings(ini, values, kLatin1);
    const SettingsValues back = ReadSettings(IniFile::Parse(ini.ToText()), kLatin1);
    EXPECT_EQ(back.source, "http://old");
    EXPECT_EQ(back.folder, "Team");
    EXPECT_EQ(back.user, "");
    EXPECT_EQ(back.password, "");
    EXPECT_EQ(back.emailClient, 30);
    EXPECT_EQ(back.interval, 7);
    EXPECT_EQ(back.startTime, 9 * 3600 + 5 * 60);
}

TEST(Settings, WritesIntoTheExistingSectionAndKeepsUnknownOnes)
{
    IniFile ini = IniFile::Parse("[Mine]\r\nX=1\r\n[CORVANE TESSALY]\r\nEmailClient=99\r\nLater=yes\r\n");
    SettingsValues values = ReadSettings(ini, kLatin1);
    EXPECT_EQ(values.emailClient, 99); // the window turns an unknown code into the first item's
    values.emailClient = 10;
    values.source = " http://new ";
    WriteSettings(ini, values, kLatin1);
    EXPECT_EQ(ini.ToText(), "[Mine]\r\nX=1\r\n"
                            "[CORVANE TESSALY]\r\nEmailClient=10\r\nLater=yes\r\nSource=http://new\r\n"
                            "User=username\r\nPSW=changeme\r\nFolder=Global Contacts\r\nInterval=1\r\n"
                            "StartTime=15:00:00\r\n");
}

TEST(Settings, AUtf8FilesTextsAreConvertedAndOneThatCannotBeIsLeftAsItWas)
{
    IniFile ini = IniFile::Parse("\xEF\xBB\xBF[Corvane Tessaly]\r\nFolder=Kontakte \xC3\x84\r\n"
                                   "User=\xD0\x96" "enya\r\nPSW=\xFF\r\n");
    SettingsValues values = ReadSettings(ini, kLatin1);
    EXPECT_EQ(values.folder, "Kontakte \xC3\x84"); // the folder name stays UTF-8 inside
    EXPECT_EQ(values.user, "");
    EXPECT_EQ(values.password, "");
    EXPECT_EQ(values.source, "http://www.corvane.example/data/contacts.csv"); // absent: the default
    EXPECT_EQ(values.unreadableKeys, (std::vector<std::string>{"User", "PSW"}));

    // Left blank, the unreadable ones keep their stored bytes; one entered anew is written.
    values.folder = "Kontakte \xC3\x96";
    values.password = "n\xE9w";
    WriteSettings(ini, values, kLatin1);
    EXPECT_EQ(ini.ToText(), "\xEF\xBB\xBF[Corvane Tessaly]\r\nFolder=Kontakte \xC3\x96\r\n"
                            "User=\xD0\x96" "enya\r\nPSW=n\xC3\xA9w\r\n"
                            "Source=http://www.corvane.example/data/contacts.csv\r\n"
                            "EmailClient=10\r\nInterval=1\r\nStartTime=15:00:00\r\n");

    // Without the mark the bytes are the ANSI code page's: the folder name is converted.
    EXPECT_EQ(ReadSettings(IniFile::Parse("[Corvane Tessaly]\r\nFolder=\xC3\x84\r\n"), kLatin1).folder,
              "\xC3\x83\xC2\x84");
}

TEST(Settings, AFolderNameGoesBackInTheFilesOwnCodePage)
{
    SettingsValues values = ReadSettings(IniFile::Parse("[Corvane Tessaly]\r\nFolder=Kontakte \xC4\r\n"), kLatin1);
    ASSERT_EQ(values.folder, "Kontakte \xC3\x84");
    IniFile ansi = IniFile::Parse("[Corvane Tessaly]\r\n");
    WriteSettings(ansi, values, kLatin1);
    EXPECT_EQ(ansi.ReadString("Corvane Tessaly", "Folder", ""), "Kontakte \xC4");

    // One a UTF-8 file can hold but the code page cannot is refused, as the other texts are.
    values = ReadSettings(IniFile::Parse("\xEF\xBB\xBF[Corvane Tessaly]\r\nFolder=\xE8\xA1\xA8\r\n"), kLatin1);
    EXPECT_EQ(values.folder, "");
    EXPECT_EQ(values.unreadableKeys, std::vector<std::string>{"Folder"});
}

TEST(Settings, TimesOfDayRoundTripAndCommonSystemFormatsAreRead)
{
    for (int seconds : {0, 59, 3600, 15 * 3600, 23 * 3600 + 59 * 60 + 59}) {
        int back = -1;
        ASSERT_TRUE(ParseTimeOfDay(FormatTimeOfDay(seconds), back)) << seconds;
        EXPECT_EQ(back, seconds);
    }
    int value = 0;
    EXPECT_TRUE(ParseTimeOfDay("3:00:00 PM", value));
    EXPECT_EQ(value, 15 * 3600);
    EXPECT_TRUE(ParseTimeOfDay("12:30 am", value));
    EXPECT_EQ(value, 30 * 60);
    EXPECT_TRUE(ParseTimeOfDay("7.45", value));
    EXPECT_EQ(value, 7 * 3600 + 45 * 60);
    for (const char* bad : {"", "15", "24:00", "10:60", "13:00 PM", "10:00 XM", "1:2:3:4", "ab:cd"})
        EXPECT_FALSE(ParseTimeOfDay(bad, value)) << bad;
}

} // namespace
} // namespace tessaly
