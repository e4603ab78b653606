// A list cut from 400 contacts to 100: an unattended run leaves the folder as it was and
// exits with 4, and with RemoveLimit=100 the same list goes through.
#include "EndToEndFixture.h"

#include <windows.h>

#include <string>
#include <vector>

namespace tessaly::test {
namespace {

// A contacts file of one header and `rows` people, each with a display name and an e-mail
// address of its own (33 quoted fields a row).
std::string PeopleFile(int rows)
{
    std::string csv = "\"First Name\",\"Middle Name\",\"Last Name\",\"Nickname\",\"E-mail Address\"\r\n";
    for (int row = 0; row < rows; ++row) {
        const std::string number = std::to_string(row);
        for (int column = 0; column < 33; ++column) {
            csv += column ? ",\"" : "\"";
            if (column == 4)
                csv += "person." + number + "@example.com";
            else if (column == 6)
                csv += "Person " + number;
            else if (column == 13)
                csv += "Example Trading";
            csv += '"';
        }
        csv += "\r\n";
    }
    return csv;
}

class RemoveLimitTest : public EndToEndTest {
protected:
    void SetRemoveLimit(const char* percent) const
    {
        const ProcessResult result =
            RunProcess(Quoted(program_.Executable()) + " -s RemoveLimit=" + percent, 60000);
        ASSERT_TRUE(result.finished && result.exitCode == 0) << result.output;
    }

    std::vector<std::string> ContactFiles() const
    {
        std::vector<std::string> files;
        WIN32_FIND_DATAA found{};
        HANDLE search = ::FindFirstFileA((ContactsFolder() + "*.contact").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return files;
        do
            files.push_back(found.cFileName);
        while (::FindNextFileA(search, &found));
        ::FindClose(search);
        return files;
    }

    // The contact lines the address book's inspector prints for one folder, in store order.
    std::vector<std::string> AddressBookContacts(const std::string& folder) const
    {
        std::vector<std::string> lines;
        bool inside = false;
        for (const std::string& line : AddressBookDump()) {
            if (line.rfind("folder\t", 0) == 0)
                inside = line == "folder\t" + folder;
            else if (inside && line.rfind("contact\t", 0) == 0)
                lines.push_back(line);
        }
        return lines;
    }
};

TEST_F(RemoveLimitTest, WindowsMailFolderIsKeptPastTheLimitAndFollowsTheListBelowIt)
{
    Configure(Link("contacts.csv", "&generate=400"), 30);
    ASSERT_EQ(RunUnattended(), 0u);
    const std::vector<std::string> before = ContactFiles();
    ASSERT_EQ(before.size(), 400u);

    Configure(Link("contacts.csv", "&generate=100"), 30);
    EXPECT_EQ(RunUnattended(), 4u);
    EXPECT_EQ(ContactFiles(), before);
    EXPECT_FALSE(FileExists(program_.TemporaryFile()));

    SetRemoveLimit("100");
    EXPECT_EQ(RunUnattended(), 0u);
    EXPECT_EQ(ContactFiles().size(), 100u);
}

TEST_F(RemoveLimitTest, OutlookFolderIsKeptPastTheLimitAndFollowsTheListBelowIt)
{
    // Fewer than the other's: every Outlook item costs a score of calls. 45 of 60 would go.
    Configure(Link("contacts.csv", "&generate=60"), 10);
    ASSERT_EQ(RunUnattended(), 0u);
    const std::vector<std::string> before = OutlookDump();

    Configure(Link("contacts.csv", "&generate=15"), 10);
    EXPECT_EQ(RunUnattended(), 4u);
    EXPECT_EQ(OutlookDump(), before);

    SetRemoveLimit("100");
    EXPECT_EQ(RunUnattended(), 0u);
    EXPECT_LT(OutlookDump().size(), before.size());
}

TEST_F(RemoveLimitTest, AddressBookFolderIsKeptPastTheLimitAndFollowsTheListBelowIt)
{
    Tool("wabdump.exe\" seed \"Global Contacts\" 0");
    ScopedProgramVersion xp("winxp");
    PutServerFile("contacts.csv", PeopleFile(400));
    Configure(Link("contacts.csv"), 20);
    ASSERT_EQ(RunUnattended(), 0u);
    // Each line starts with the entry's identifier: an entry deleted and written anew shows.
    const std::vector<std::string> before = Tool("wabdump.exe\" --ids");
    ASSERT_EQ(AddressBookContacts(kFolder).size(), 400u);

    const std::string shorter = PeopleFile(100);
    PutServerFile("contacts.csv", shorter);
    EXPECT_EQ(RunUnattended(), 4u);
    EXPECT_EQ(Tool("wabdump.exe\" --ids"), before);
    EXPECT_FALSE(FileExists(program_.TemporaryFile()));

    SetRemoveLimit("100");
    EXPECT_EQ(RunUnattended(), 0u);
    EXPECT_EQ(AddressBookContacts(kFolder), ExpectedContactLines(shorter));
}

} // namespace
} // namespace tessaly::test
