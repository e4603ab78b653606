// The settings as the windowless switches check and write them.
#include "app/CommandSettings.h"
#include "tests/settings/Latin1Text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace tessaly {
namespace {

const char* const kStored = "[Corvane Tessaly]\r\nSource=http://old.example/c.csv\r\nUser=old\r\nPSW=oldpass\r\n"
                            "Folder=Old Folder\r\nEmailClient=20\r\nInterval=2\r\nStartTime=09:00:00\r\n"
                            "Extra=kept\r\n\r\n";

TEST(SettingArguments, WritesOnlyTheGivenValuesAndKeepsTheRest)
{
    IniFile ini = IniFile::Parse(kStored);
    const std::string refusal = ApplySettingArguments(
        ini, {"Source=https://intranet.example/contacts.csv", "User=", "PSW=", "folder=Company Contacts",
              "EmailClient=10", "Interval=", "StartTime=7:30"}, kLatin1);
    EXPECT_EQ(refusal, "");
    EXPECT_EQ(ini.ToText(), "[Corvane Tessaly]\r\nSource=https://intranet.example/contacts.csv\r\nUser=old\r\n"
                            "PSW=oldpass\r\nFolder=Company Contacts\r\nEmailClient=10\r\nInterval=2\r\n"
                            "StartTime=07:30:00\r\nExtra=kept\r\n\r\n");
}

TEST(SettingArguments, RefusesAnyValueTheProgramWouldNotTakeAndWritesNothing)
{
    const char* const refused[][2] = {
        {"EmailClient=40", "EmailClient=40: "},    {"Interval=9", "Interval=9: "},
        {"Interval=0", "Interval=0: "},            {"StartTime=25:00:00", "StartTime=25:00:00: "},
        {"RemoveLimit=0", "RemoveLimit=0: not a percentage from 1 to 100"}, {"RemoveLimit=101", "RemoveLimit=101: "},
        {"Source=ftp://host/c.csv", "Source=ftp://host/c.csv: "},
        {"Nickname=x", "unknown setting \"Nickname=x\""},
    };
    for (const auto& [argument, reason] : refused) {
        IniFile ini = IniFile::Parse(kStored);
        const std::string refusal = ApplySettingArguments(ini, {"User=new", argument}, kLatin1);
        EXPECT_EQ(refusal.rfind(reason, 0), 0u) << argument << ": " << refusal;
        EXPECT_EQ(ini.ToText(), kStored) << argument;
    }
}

TEST(SettingArguments, AValueWithALineBreakOrACharacter0IsRefusedWithoutRepeatingIt)
{
    const std::string refused[] = {
        "PSW=abc\nEmailClient=77\nFolder=..\\..\\x", "Folder=A\rB", "User=\n", "Source=http://h/c.csv\r\n",
        std::string("User=a\0b", 9),
    };
    for (const std::string& argument : refused) {
        IniFile ini = IniFile::Parse(kStored);
        const std::string refusal = ApplySettingArguments(ini, {"Interval=3", argument}, kLatin1);
        const std::string key = argument.substr(0, argument.find('='));
        EXPECT_EQ(refusal, key + ": the value holds a line break (CR or LF) or a character 0") << argument;
        EXPECT_EQ(ini.ToText(), kStored) << argument;
    }
}

TEST(SettingArguments, AFileInUtf8GetsItsTextsInUtf8)
{
    IniFile ini = IniFile::Parse("\xEF\xBB\xBF[Corvane Tessaly]\r\nFolder=Old\r\n");
    EXPECT_EQ(ApplySettingArguments(ini, {"Folder=Kontakte \xC4", "EmailClient=30"}, kLatin1), "");
    EXPECT_EQ(ini.ReadString("Corvane Tessaly", "Folder", ""), "Kontakte \xC3\x84");
}

TEST(SettingArguments, AWindowsMailFolderMustBeOneFolderWhicheverOfTheTwoIsGiven)
{
    IniFile ini = IniFile::Parse(kStored);
    EXPECT_NE(ApplySettingArguments(ini, {"Folder=A\\B", "EmailClient=30"}, kLatin1), "");
    EXPECT_EQ(ApplySettingArguments(ini, {"EmailClient=30"}, kLatin1), "");
    EXPECT_NE(ApplySettingArguments(ini, {"Folder=A\\B"}, kLatin1), "");
    ini = IniFile::Parse("[Corvane Tessaly]\r\nFolder=A:B\r\n");
    EXPECT_NE(ApplySettingArguments(ini, {"EmailClient=30"}, kLatin1), "");
}

TEST(SettingArguments, RefusalsOfTheDestinationAndItsFolderSayWhatIsAccepted)
{
    IniFile ini = IniFile::Parse(kStored);
    EXPECT_EQ(ApplySettingArguments(ini, {"EmailClient=40"}, kLatin1),
              "EmailClient=40: not 10 (Outlook), 20 (Outlook Express) or 30 (Windows Mail)");
    EXPECT_EQ(ApplySettingArguments(ini, {"Folder=A|B", "EmailClient=30"}, kLatin1),
              "Folder=A|B: Windows Mail needs the name of one folder, without \\ / : * ? \" < > |");
    // The folder is repeated as it was given, in the ANSI code page.
    EXPECT_EQ(ApplySettingArguments(ini, {"Folder=\xC4|B", "EmailClient=30"}, kLatin1),
              "Folder=\xC4|B: Windows Mail needs the name of one folder, without \\ / : * ? \" < > |");
    EXPECT_EQ(ApplySettingArguments(ini, {"Folder=A|B", "EmailClient=20"}, kLatin1), "");
}

TEST(SettingArguments, ScheduleRequiresSettingsTheTaskCanBeSavedFrom)
{
    const char* const blankLink = "[Corvane Tessaly]\r\nSource=\r\n\r\n";
    IniFile ini = IniFile::Parse(blankLink);
    EXPECT_EQ(ApplySettingArguments(ini, {"User=sync", "Schedule=1"}, kLatin1),
              "the scheduled task cannot be saved: the download link is blank");
    EXPECT_EQ(ini.ToText(), blankLink);
    EXPECT_EQ(ApplySettingArguments(ini, {"User=sync", "Schedule="}, kLatin1), "");
    EXPECT_EQ(ApplySettingArguments(ini, {"Source=http://127.0.0.1/c.csv", "Schedule=1"}, kLatin1), "");
    EXPECT_NE(ApplySettingArguments(ini, {"Schedule=yes"}, kLatin1), "");
}

SettingsValues Inputs(std::string source, std::string folder, int emailClient)
{
    SettingsValues values;
    values.source = std::move(source);
    values.folder = std::move(folder);
    values.emailClient = emailClient;
    return values;
}

TEST(CommandInputCheck, RefusesWhatTheWindowsInputCheckRefuses)
{
    EXPECT_EQ(InputRefusal(Inputs("http://127.0.0.1/c.csv", "Company", 30)), "");
    EXPECT_NE(InputRefusal(Inputs("http://127.0.0.1/c.csv", "A/B", 30)), "");
    EXPECT_NE(InputRefusal(Inputs("http://127.0.0.1/c.csv", "  ", 10)), "");
    EXPECT_NE(InputRefusal(Inputs("file://c.csv", "Company", 10)), "");
    EXPECT_EQ(InputRefusal(Inputs("http://me:pw@127.0.0.1/c.csv", "Company", 10)),
              "Please put the user name and password in their own fields, not in the link.");
    EXPECT_NE(InputRefusal(Inputs(" ", "Company", 10)), "");
}

TEST(CommandInputCheck, AnIntervalWithoutItemIsTheFirstItem)
{
    EXPECT_EQ(IntervalOrFirst(7), 7);
    EXPECT_EQ(IntervalOrFirst(9), 1);
    EXPECT_EQ(IntervalOrFirst(0), 1);
}

TEST(SettingArguments, ARemoveLimitIsStoredAndReadBackAndOneOutOfRangeInTheFileGivesTheDefault)
{
    IniFile ini = IniFile::Parse(kStored);
    EXPECT_EQ(ReadSettings(ini, kLatin1).removeLimit, 50);
    ASSERT_EQ(ApplySettingArguments(ini, {"removelimit= 100 "}, kLatin1), "");
    EXPECT_NE(ini.ToText().find("RemoveLimit=100\r\n"), std::string::npos);
    EXPECT_EQ(ReadSettings(ini, kLatin1).removeLimit, 100);
    EXPECT_EQ(ReadSettings(IniFile::Parse("[Corvane Tessaly]\r\nRemoveLimit=0\r\n"), kLatin1).removeLimit, 50);
}

} // namespace
} // namespace tessaly
