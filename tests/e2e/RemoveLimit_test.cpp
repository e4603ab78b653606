// A list cut from 400 contacts to 100: an unattended run leaves the folder as it was and
// exits with 4, and with RemoveLimit=100 the same list goes through.
#include "EndToEndFixture.h"

#include <windows.h>

#include <string>
#include <vector>

namespace tessaly::test {
namespace {

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

} // namespace
} // namespace tessaly::test
