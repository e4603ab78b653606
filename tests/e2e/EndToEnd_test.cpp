// Each destination end to end: the unattended program against the loopback server,
// read back through the stand-in's own inspector.
#include "EndToEndFixture.h"

#include <gmock/gmock.h>

using namespace tessaly;
using namespace tessaly::test;
using ::testing::ElementsAreArray;

namespace {
std::vector<std::string> Concat(std::vector<std::string> head, const std::vector<std::string>& tail)
{
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

// The first `rows` data rows of a contacts file, with its header.
std::string FirstRows(const std::string& csv, int rows)
{
    size_t at = 0;
    for (int line = 0; line <= rows && at != std::string::npos; ++line)
        at = csv.find('\n', at + (line ? 1 : 0));
    return csv.substr(0, at == std::string::npos ? csv.size() : at + 1);
}

// The lines of one folder's block in an inspector's output.
std::vector<std::string> FolderBlock(const std::vector<std::string>& dump, const std::string& folderLine)
{
    std::vector<std::string> block;
    bool inside = false;
    for (const std::string& line : dump) {
        if (line.rfind("folder\t", 0) == 0)
            inside = line == folderLine;
        else if (inside)
            block.push_back(line);
    }
    return block;
}
} // namespace

TEST_F(EndToEndTest, OutlookFolderHoldsExactlyTheServedContactsAndKeepsItsDistributionList)
{
    Tool("outlookdump.exe\" --reset --folder \"Global Contacts\" --distlist \"Global Contacts\" Team "
         "--contact \"Global Contacts\" old old@example.com \"Old Contact\"");
    const std::string sample = SampleContacts();
    PutServerFile("contacts.csv", sample);
    // The list is cut to 5 below: a removal asked for.
    Configure(Link("contacts.csv"), 10, 100);
    const std::string settings = program_.ReadSettings();

    ASSERT_EQ(RunUnattended(), 0u);
    EXPECT_FALSE(FileExists(program_.TemporaryFile()));
    EXPECT_EQ(program_.ReadSettings(), settings) << "an unattended run never writes the settings";
    EXPECT_THAT(OutlookDump(), ElementsAreArray(Concat({"folder\tGlobal Contacts\ttrue", "distlist\tTeam"},
                                                       ExpectedContactLines(sample))));
    EXPECT_EQ(ServerRequests().back(), "/files/contacts.csv?user=ann.lee&pass=s3cret%20pass\tBasic YW5uLmxlZTpzM2NyZXQgcGFzcw==");

    // A changed list replaces the contacts; the distribution list stays.
    const std::string shorter = FirstRows(sample, 5);
    PutServerFile("contacts.csv", shorter);
    ASSERT_EQ(RunUnattended(), 0u);
    EXPECT_THAT(OutlookDump(), ElementsAreArray(Concat({"folder\tGlobal Contacts\ttrue", "distlist\tTeam"},
                                                       ExpectedContactLines(shorter))));
    EXPECT_EQ(ProtectedOutlookCalls(), 0) << "a run called a member Outlook's guard protects";
}

TEST_F(EndToEndTest, AddressBookFolderHoldsExactlyTheServedContactsOnWindowsXp)
{
    Tool("wabdump.exe\" seed \"Global Contacts\" 3 Team");
    const std::string sample = SampleContacts();
    PutServerFile("contacts.csv", sample);
    Configure(Link("contacts.csv"), 20, 100);
    {
        ScopedProgramVersion xp("winxp");
        ASSERT_EQ(RunUnattended(), 0u);
        EXPECT_FALSE(FileExists(program_.TemporaryFile()));
        EXPECT_THAT(FolderBlock(AddressBookDump(), "folder\tGlobal Contacts"),
                    ElementsAreArray(Concat({"distlist\tTeam"}, ExpectedContactLines(sample))));

        const std::string shorter = FirstRows(sample, 3);
        PutServerFile("contacts.csv", shorter);
        ASSERT_EQ(RunUnattended(), 0u);
        EXPECT_THAT(FolderBlock(AddressBookDump(), "folder\tGlobal Contacts"),
                    ElementsAreArray(Concat({"distlist\tTeam"}, ExpectedContactLines(shorter))));
    }

    // From Windows 6 on there is no Outlook Express: the run fails and writes nothing.
    const auto before = AddressBookDump();
    PutServerFile("contacts.csv", sample);
    EXPECT_EQ(RunUnattended(), 1u);
    EXPECT_EQ(AddressBookDump(), before);
    EXPECT_FALSE(FileExists(program_.TemporaryFile()));
}

TEST_F(EndToEndTest, WindowsContactsFolderHoldsOneContactFilePerServedContact)
{
    const std::string sample = SampleContacts();
    PutServerFile("contacts.csv", sample);
    Configure(Link("contacts.csv"), 30);

    ASSERT_EQ(RunUnattended(), 0u);
    EXPECT_FALSE(FileExists(program_.TemporaryFile()));

    std::vector<std::string> files;
    WIN32_FIND_DATAA found{};
    HANDLE search = ::FindFirstFileA((ContactsFolder() + "*.contact").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE) << "no contact files in " << ContactsFolder();
    do
        files.push_back(found.cFileName);
    while (::FindNextFileA(search, &found));
    ::FindClose(search);

    const auto names = ExpectedDisplayNames(sample);
    EXPECT_EQ(files.size(), names.size());
    // A named contact's file is its display name without blanks.
    for (const std::string& name : names) {
        if (name.find_first_of("\\/:*?\"<>|") != std::string::npos || name.find_first_not_of(' ') == std::string::npos)
            continue;
        std::string base;
        for (char c : name)
            if (c != ' ')
                base += c;
        EXPECT_TRUE(FileExists(ContactsFolder() + base + ".contact")) << base;
    }
}
