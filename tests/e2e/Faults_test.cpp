// Faults and bad input: the user's contacts are never lost to a bad download, a broken
// folder, a failing destination or a killed run, and no temporary file stays behind.
#include "EndToEndFixture.h"

#include "destinations/windows_contacts/WindowsContactsPlatform.h"

#include <algorithm>

#include <gmock/gmock.h>

using namespace tessaly;
using namespace tessaly::test;
using ::testing::AnyOf;
using ::testing::HasSubstr;

namespace {
class FaultTest : public EndToEndTest {
protected:
    FaultTest()
    {
        // The folder the user already has: a distribution list and two contacts.
        Tool("outlookdump.exe\" --reset --folder \"Global Contacts\" --distlist \"Global Contacts\" Team "
             "--contact \"Global Contacts\" one one@example.com \"Known One\" "
             "--contact \"Global Contacts\" two two@example.com \"Known Two\"");
        known_ = OutlookDump();
        PutServerFile("contacts.csv", SampleContacts());
    }

    // The folder as the test started, the download gone, the settings untouched.
    void ExpectNothingLost(const std::string& settings)
    {
        EXPECT_EQ(OutlookDump(), known_);
        EXPECT_FALSE(FileExists(program_.TemporaryFile()));
        EXPECT_EQ(program_.ReadSettings(), settings);
    }

    std::vector<std::string> known_;
};

} // namespace

TEST_F(FaultTest, BadDownloadsFailTheRunAndLeaveTheFolderAsItWas)
{
    std::string utf16("\xFF\xFE", 2);
    for (char c : SampleContacts()) {
        utf16 += c;
        utf16 += '\0';
    }
    PutServerFile("utf16.csv", utf16);
    std::string zero = SampleContacts();
    zero[zero.size() / 2] = '\0';
    PutServerFile("zero.csv", zero);

    const std::vector<std::pair<std::string, std::string>> sources = {
        {"server error 500", Link("contacts.csv", "&status=500")},
        {"proxy refusal 403", Link("contacts.csv", "&status=403")},
        {"wrong password 401", TestServerUrl("/files/contacts.csv?user=ann.lee&pass=other")},
        {"missing file 404", Link("missing.csv")},
        {"connection closed in mid-body", Link("contacts.csv", "&close_after=20000")},
        {"body with a zero byte", Link("zero.csv")},
        {"UTF-16 export", Link("utf16.csv")},
        {"server not listening", UnreachableUrl()},
    };
    for (const auto& [what, link] : sources) {
        SCOPED_TRACE(what);
        Configure(link, 10);
        const std::string settings = program_.ReadSettings();
        EXPECT_EQ(RunUnattended(), 1u);
        ExpectNothingLost(settings);
    }
}

TEST_F(FaultTest, ADestinationFailingHalfWayEndsWithItsErrorAndTheNextRunSucceeds)
{
    Configure(Link("contacts.csv"), 10);
    {
        ScopedEnvironment fault("TESSALY_OUTLOOK_FAIL_SAVE", "3:The store is full.");
        EXPECT_EQ(RunUnattended(), 3u);
        EXPECT_FALSE(FileExists(program_.TemporaryFile()));

        // Interactive, the user sees the address book's own words.
        ChildProcess program(Quoted(program_.Executable()));
        HWND window = WaitForProcessWindow(program.Id(), "TForm1", 60000);
        ASSERT_NE(window, nullptr);
        ::PostMessageA(FindChildByCaption(window, "Sync Now"), BM_CLICK, 0, 0);
        HWND error = WaitForProcessWindow(program.Id(), "#32770", 60000);
        ASSERT_NE(error, nullptr) << "the error was not shown";
        EXPECT_EQ(WindowText(error), "The store is full.");
        ::PostMessageA(FindChildByCaption(error, "OK"), BM_CLICK, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(FindChildByCaption(window, "Sync Now")) != FALSE; },
                              60000));
        ::PostMessageA(window, WM_CLOSE, 0, 0);
        DWORD exitCode = 99;
        ASSERT_TRUE(program.Wait(60000, exitCode));
        EXPECT_EQ(exitCode, 0u);
        EXPECT_FALSE(FileExists(program_.TemporaryFile()));
    }
    ASSERT_EQ(RunUnattended(), 0u);
    const auto dump = OutlookDump();
    EXPECT_EQ(dump.size(), 2 + ExpectedContactLines(SampleContacts()).size());
    EXPECT_FALSE(FileExists(program_.TemporaryFile()));
}

// Outlook runs in a process of its own, which may die under the run: the run ends with
// an error instead of waiting for an answer, and the next run gets a new server.
TEST_F(FaultTest, AnOutlookThatDiesMidRunEndsTheRunWithAnErrorAndTheNextRunSucceeds)
{
    Configure(Link("contacts.csv"), 10);
    {
        ScopedEnvironment crash("TESSALY_OUTLOOK_EXIT_AT_SAVE", "3");
        EXPECT_EQ(RunUnattended(), 3u);
    }
    EXPECT_FALSE(FileExists(program_.TemporaryFile()));
    ASSERT_EQ(RunUnattended(), 0u);
    EXPECT_EQ(OutlookDump().size(), 2 + ExpectedContactLines(SampleContacts()).size());
}

TEST_F(FaultTest, ARunKilledInTheMiddleLeavesTheNextRunToStartClean)
{
    Configure(Link("contacts.csv", "&delay_ms=200"), 10);
    ClearServerRequests();
    {
        ChildProcess run(Quoted(program_.Executable()) + " -a");
        ASSERT_TRUE(WaitUntil([] { return !ServerRequests().empty(); }, 60000)) << "the download never started";
        run.Kill();
    }
    EXPECT_EQ(OutlookDump(), known_) << "a run killed during the download wrote nothing";

    Configure(Link("contacts.csv"), 10);
    ASSERT_EQ(RunUnattended(), 0u);
    EXPECT_EQ(OutlookDump().size(), 2 + ExpectedContactLines(SampleContacts()).size());
    EXPECT_FALSE(FileExists(program_.TemporaryFile()));
}

// The attack: a Windows Mail run killed while it swapped a new list in, and the half
// replaced folder then deleted by hand. The swap is left as a kill at that point leaves it
// (the swap's own tests kill it at every point): the plan, old files aside, half of the new
// files moved in.
TEST_F(FaultTest, AWindowsMailSwapKilledAndItsFolderDeletedHoldsUpNoLaterRun)
{
    Configure(Link("contacts.csv", "&generate=300"), 30);
    ASSERT_EQ(RunUnattended(), 0u);
    const std::string folder = ContactsFolder().substr(0, ContactsFolder().size() - 1);
    std::vector<std::string> held;
    WIN32_FIND_DATAA found{};
    HANDLE search = ::FindFirstFileA((ContactsFolder() + "*.contact").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do
        held.push_back(found.cFileName);
    while (::FindNextFileA(search, &found));
    ::FindClose(search);
    ASSERT_EQ(held.size(), 300u);

    const std::string ownRoot = SystemWindowsContactsPlatform().StagingRoot();
    const std::string root =
        FileExists(ownRoot + ".elsewhere") ? ReadTextFile(ownRoot + ".elsewhere") : ownRoot;
    ASSERT_TRUE(::CreateDirectoryA(root.c_str(), nullptr)) << root;
    ASSERT_TRUE(::CreateDirectoryA((root + "\\new").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA((root + "\\old").c_str(), nullptr));
    std::string plan = folder;
    for (size_t i = 0; i < 150; ++i) {
        const std::string name = held[i];
        const std::string content = ReadTextFile(ContactsFolder() + name);
        ASSERT_TRUE(::MoveFileA((ContactsFolder() + name).c_str(), (root + "\\old\\" + name).c_str()));
        // The first 100 changed, half of them already in; the next 50 no longer in the list.
        if (i < 50)
            SaveTextFile(content, ContactsFolder() + name);
        else if (i < 100)
            SaveTextFile(content, root + "\\new\\" + name);
        plan += (i < 100 ? "\n+" : "\n-") + name;
    }
    SaveTextFile(plan, root + "\\plan");
    SaveTextFile("the killed run's list", program_.TemporaryFile());
    RemoveTree(ContactsFolder());
    ASSERT_EQ(::GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES);

    // The other destinations' runs go on,
    Configure(Link("contacts.csv"), 10);
    EXPECT_EQ(RunUnattended(), 0u);
    EXPECT_EQ(OutlookDump().size(), 2 + ExpectedContactLines(SampleContacts()).size());
    EXPECT_FALSE(FileExists(program_.TemporaryFile()));
    EXPECT_FALSE(FileExists(root + "\\plan"));
    Configure(Link("contacts.csv"), 20);
    {
        ScopedProgramVersion xp("winxp");
        EXPECT_EQ(RunUnattended(), 0u);
    }

    // and Windows Mail's folder ends equal to the list.
    const std::string list = SampleContacts();
    // The killed run's planted files go as the list's own: a removal asked for.
    Configure(Link("contacts.csv"), 30, 100);
    ASSERT_EQ(RunUnattended(), 0u);
    size_t files = 0;
    search = ::FindFirstFileA((ContactsFolder() + "*.contact").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do
        ++files;
    while (::FindNextFileA(search, &found));
    ::FindClose(search);
    const auto names = ExpectedDisplayNames(list);
    EXPECT_EQ(files, names.size());
    for (const std::string& name : names) {
        if (name.find_first_of("\\/:*?\"<>|") != std::string::npos || name.find_first_not_of(' ') == std::string::npos)
            continue;
        std::string base = name;
        base.erase(std::remove(base.begin(), base.end(), ' '), base.end());
        EXPECT_TRUE(FileExists(ContactsFolder() + base + ".contact")) << base;
    }
    EXPECT_FALSE(FileExists(root + "\\plan"));
}

TEST_F(FaultTest, EscapeDuringASlowDownloadInterruptsTheRunAndWritesNothing)
{
    Configure(Link("contacts.csv", "&delay_ms=200"), 10);
    ClearServerRequests();
    ChildProcess program(Quoted(program_.Executable()));
    HWND window = WaitForProcessWindow(program.Id(), "TForm1", 60000);
    ASSERT_NE(window, nullptr) << "the window never showed";
    HWND sync = FindChildByCaption(window, "Sync Now");
    ASSERT_NE(sync, nullptr);
    ::PostMessageA(sync, BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([] { return !ServerRequests().empty(); }, 60000)) << "the download never started";

    ::PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    HWND message = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            message = WaitForProcessWindow(program.Id(), "#32770", 0);
            return message != nullptr;
        },
        60000))
        << "no result message";
    EXPECT_THAT(WindowText(message), HasSubstr("interrupted by user"));
    ::PostMessageA(FindChildByCaption(message, "OK"), BM_CLICK, 0, 0);

    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(sync) != FALSE; }, 60000)) << "the window stayed busy";
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD exitCode = 99;
    ASSERT_TRUE(program.Wait(60000, exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(OutlookDump(), known_);
    EXPECT_FALSE(FileExists(program_.TemporaryFile()));
}

TEST_F(FaultTest, AProgramFolderThatCannotBeWrittenFailsTheRunAndKeepsTheSettings)
{
    Configure(Link("contacts.csv"), 10);
    const std::string settings = program_.ReadSettings();
    RunHostCommand("/usr/bin/chattr +i " + Quoted(UnixPath(program_.Path())));
    const DWORD exitCode = RunUnattended();
    RunHostCommand("/usr/bin/chattr -i " + Quoted(UnixPath(program_.Path())));
    EXPECT_THAT(exitCode, AnyOf(1u, 3u));
    ExpectNothingLost(settings);
}

TEST_F(FaultTest, SettingsThatCannotBeWrittenAtExitKeepTheOldFileAndSaySo)
{
    Configure(Link("contacts.csv"), 10);
    const std::string settings = program_.ReadSettings();
    RunHostCommand("/usr/bin/chattr +i " + Quoted(UnixPath(program_.Path())));

    ChildProcess program(Quoted(program_.Executable()));
    HWND window = WaitForProcessWindow(program.Id(), "TForm1", 60000);
    ASSERT_NE(window, nullptr);
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    HWND error = WaitForProcessWindow(program.Id(), "#32770", 60000);
    ASSERT_NE(error, nullptr) << "the failed save was not reported";
    ::PostMessageA(FindChildByCaption(error, "OK"), BM_CLICK, 0, 0);
    DWORD exitCode = 99;
    EXPECT_TRUE(program.Wait(60000, exitCode));
    RunHostCommand("/usr/bin/chattr -i " + Quoted(UnixPath(program_.Path())));
    EXPECT_EQ(program_.ReadSettings(), settings);
}

TEST_F(FaultTest, AReadOnlySettingsFileIsReplacedAtExit)
{
    // Written without StartTime: the program writes every key back.
    tessaly::SaveTextFile("[Corvane Tessaly]\r\nSource=" + Link("contacts.csv") + "\r\nFolder=Global Contacts\r\n",
                          program_.SettingsFile());
    ::SetFileAttributesA(program_.SettingsFile().c_str(), FILE_ATTRIBUTE_READONLY);

    ChildProcess program(Quoted(program_.Executable()));
    HWND window = WaitForProcessWindow(program.Id(), "TForm1", 60000);
    ASSERT_NE(window, nullptr);
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD exitCode = 99;
    ASSERT_TRUE(program.Wait(60000, exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_THAT(program_.ReadSettings(), HasSubstr("StartTime="));
}
