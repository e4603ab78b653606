#include "TestFolders.h"
#include "WindowsContactsFakes.h"

#include "destinations/windows_contacts/WindowsContactsSync.h"

#include "base/FileHelpers.h"
#include "base/OleError.h"
#include "base/WideText.h"
#include "base/WinHandles.h"
#include "contacts/Contact.h"
#include "contacts/FolderRecord.h"
#include "destinations/windows_contacts/StagedContactFiles.h"

#include <cctype>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace tessaly;
using namespace fakes;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

// "{8-4-4-4-12 hex digits}.contact"
bool IsIdentifierFileName(const std::string& name)
{
    const std::string pattern = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.contact";
    if (name.size() != pattern.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (pattern[i] == 'X' ? !std::isxdigit(static_cast<unsigned char>(name[i])) : name[i] != pattern[i])
            return false;
    return true;
}

class WindowsContactsSyncTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        behaviour.ownPath = AnsiToWide(temp.Path() + "\\me.contact");
        behaviour.stagingRoot = outside.Path() + "\\staging";
    }
    void TearDown() override
    {
        EXPECT_EQ(LiveFakeObjects(), 0) << "a component reference was not released";
        ::CoUninitialize();
    }

    bool Run() { return SyncWindowsContacts(list, "Global Contacts", services, platform); }
    std::string Folder() const { return temp.Path() + "\\Global Contacts"; }
    std::string Staged() const { return behaviour.stagingRoot + "\\new"; }
    // A run killed after its commit: the old file aside, one new file moved in, one still staged.
    void LeaveAHalfMovedSwap()
    {
        const std::string root = behaviour.stagingRoot;
        ASSERT_TRUE(::CreateDirectoryA(Folder().c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryA(root.c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryA((root + "\\old").c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryA((root + "\\new").c_str(), nullptr));
        WriteFile(root + "\\old\\Old One.contact", "old", true);
        WriteFile(root + "\\new\\Half.contact", "new");
        WriteFile(root + "\\plan", Folder() + "\n+Moved In.contact\n+Half.contact\n-Old One.contact\n");
        WriteFile(Folder() + "\\Moved In.contact", "new");
    }

    TempFolder temp;    // the user's Contacts folder
    TempFolder outside; // holds the staging folder
    CallLog log;
    FakeBehaviour behaviour;
    tessaly::test::RecordingRunServices services{log.Sink()};
    FakePlatform platform{log, behaviour};
    ContactList list{500};
};

TEST_F(WindowsContactsSyncTest, OneRecordIsBuiltNodeByNodeInLayoutOrderAndSaved)
{
    ContactInfo& record = AddRecord(list, "Ann Lee");
    record.SetField(ContactField::NickName, "  Annie\t"); // blanks around a value are the user's: kept
    ASSERT_TRUE(Run());

    const std::string n = "SetString NameCollection/Name[1]/";
    const std::string pos = "PositionCollection/Position[1]";
    const std::string addr = "PhysicalAddressCollection/PhysicalAddress[1]";
    const std::string phone = "PhoneNumberCollection/PhoneNumber[";
    EXPECT_THAT(log.calls, ElementsAreArray(std::vector<std::string>{
        "GetVersionEx", "LoadWabLibrary", "CreateContactManager", "StopRequested", "SetStatus Performing Sync..",
        "Initialize Corvane Tessaly v1.07", "GetMeContact", "GetPath 520",
        "CreateContact", "InitNew",
        "CreateArrayNode NameCollection flags 0 first 260",
        n + "NickName flags 0 [  Annie\t]",
        n + "FormattedName flags 0 [Ann Lee]",
        "CreateArrayNode PersonCollection flags 0 first 260",
        "SetString PersonCollection/Person[1]/PersonID flags 0 [CustomerID of Ann Lee]",
        "CreateArrayNode PositionCollection flags 0 first 260",
        "SetLabels " + pos + " flags 0 Business",
        "SetString " + pos + "/Company flags 0 [Company of Ann Lee]",
        "SetString " + pos + "/Department flags 0 [Department of Ann Lee]",
        "SetString " + pos + "/JobTitle flags 0 [JobTitle of Ann Lee]",
        "SetString " + pos + "/Office flags 0 [Office of Ann Lee]",
        "CreateArrayNode EmailAddressCollection flags 0 first 260",
        "SetString EmailAddressCollection/EmailAddress[1]/Address flags 0 [Email of Ann Lee]",
        "CreateArrayNode UrlCollection flags 0 first 260",
        "SetLabels UrlCollection/Url[1] flags 0 Business",
        "SetString UrlCollection/Url[1]/Value flags 0 [WebPage of Ann Lee]",
        "CreateArrayNode PhysicalAddressCollection flags 0 first 260",
        "SetLabels " + addr + " flags 0 Personal",
        "SetString " + addr + "/Locality flags 0 [HomeCity of Ann Lee]",
        "SetString " + addr + "/Street flags 0 [HomeStreet of Ann Lee]",
        "SetString " + addr + "/Region flags 0 [HomeState of Ann Lee]",
        "CreateArrayNode PhoneNumberCollection flags 0 first 260",
        "SetLabels " + phone + "1] flags 0 Business,Voice",
        "SetString " + phone + "1]/Number flags 0 [BusinessPhone of Ann Lee]",
        "CreateArrayNode PhoneNumberCollection flags 0 appended 260",
        "SetLabels " + phone + "2] flags 0 Personal,Voice",
        "SetString " + phone + "2]/Number flags 0 [HomePhone of Ann Lee]",
        "CreateArrayNode PhoneNumberCollection flags 0 appended 260",
        "SetLabels " + phone + "3] flags 0 Personal,Cellular",
        "SetString " + phone + "3]/Number flags 0 [MobilePhone of Ann Lee]",
        "CreateArrayNode PhoneNumberCollection flags 0 appended 260",
        "SetLabels " + phone + "4] flags 0 Business,Fax",
        "SetString " + phone + "4]/Number flags 0 [BusinessFax of Ann Lee]",
        "CreateArrayNode PhoneNumberCollection flags 0 appended 260",
        "SetLabels " + phone + "5] flags 0 Business,Pager",
        "SetString " + phone + "5]/Number flags 0 [Pager of Ann Lee]",
        "CreateFileStream " + Staged() + "\\AnnLee.contact",
        "Save clear",
        "SetStatus Global Contacts created - 1 item(s)"}));
    EXPECT_EQ(FolderEntries(Folder()), (std::set<std::string>{"AnnLee.contact"}));
}

TEST_F(WindowsContactsSyncTest, BlankFieldsLeaveOutTheirValuesButNeverANodeOrLabel)
{
    ContactInfo& blank = list.Emplace(std::vector<std::string>{});
    blank.SetField(ContactField::Company, " \t ");
    blank.SetField(ContactField::Pager, "\r\n");
    ASSERT_TRUE(Run());

    EXPECT_THAT(log.Matching("SetString"), IsEmpty());
    EXPECT_EQ(log.Matching("CreateArrayNode").size(), 11u);
    EXPECT_THAT(log.Matching("SetLabels"),
                ElementsAre("SetLabels PositionCollection/Position[1] flags 0 Business",
                            "SetLabels UrlCollection/Url[1] flags 0 Business",
                            "SetLabels PhysicalAddressCollection/PhysicalAddress[1] flags 0 Personal",
                            "SetLabels PhoneNumberCollection/PhoneNumber[1] flags 0 Business,Voice",
                            "SetLabels PhoneNumberCollection/PhoneNumber[2] flags 0 Personal,Voice",
                            "SetLabels PhoneNumberCollection/PhoneNumber[3] flags 0 Personal,Cellular",
                            "SetLabels PhoneNumberCollection/PhoneNumber[4] flags 0 Business,Fax",
                            "SetLabels PhoneNumberCollection/PhoneNumber[5] flags 0 Business,Pager"));
    EXPECT_TRUE(log.Contains("Save clear"));
    EXPECT_TRUE(log.Contains("SetStatus Global Contacts created - 1 item(s)"));
}

TEST_F(WindowsContactsSyncTest, AnEmptyListLeavesTheFolderWithoutContactFiles)
{
    ASSERT_TRUE(::CreateDirectoryA(Folder().c_str(), nullptr));
    WriteFile(Folder() + "\\old.contact");
    WriteFile(Folder() + "\\locked.contact", "x", true);
    WriteFile(Folder() + "\\notes.txt");
    ::CreateDirectoryA((Folder() + "\\sub").c_str(), nullptr);
    WriteFile(Folder() + "\\sub\\inner.contact");
    WriteFile(temp.Path() + "\\me.contact"); // the own contact, beside the folder

    ASSERT_TRUE(Run());

    EXPECT_EQ(FolderEntries(Folder()), (std::set<std::string>{"notes.txt", "sub\\"}));
    EXPECT_EQ(FolderEntries(Folder() + "\\sub"), (std::set<std::string>{"inner.contact"}));
    EXPECT_EQ(FolderEntries(temp.Path()), (std::set<std::string>{"Global Contacts\\", "me.contact"}));
    EXPECT_THAT(log.Matching("CreateFileStream"), IsEmpty()); // the old files are only read
    EXPECT_EQ(log.calls.back(), "SetStatus Global Contacts created - 0 item(s)");
}

TEST_F(WindowsContactsSyncTest, AMissingFolderIsCreated)
{
    ASSERT_TRUE(Run());
    EXPECT_EQ(FolderEntries(temp.Path()), (std::set<std::string>{"Global Contacts\\"}));
}

TEST_F(WindowsContactsSyncTest, TheStopFlagBeforeAnyWorkTouchesNothing)
{
    AddRecord(list, "Ann Lee");
    services.stop = true;
    EXPECT_FALSE(Run());
    EXPECT_THAT(log.calls, ElementsAre("GetVersionEx", "LoadWabLibrary", "CreateContactManager", "StopRequested"));
    EXPECT_THAT(FolderEntries(temp.Path()), IsEmpty());
}

TEST_F(WindowsContactsSyncTest, WithoutWindowsMailTheRunFailsWithOneMessage)
{
    const std::string notFound = "ShowNotice 2 Windows Mail not found.";
    behaviour.majorVersion = 5;
    EXPECT_FALSE(Run());
    // The address book library is not even loaded on an older system.
    EXPECT_THAT(log.calls, ElementsAre("GetVersionEx", notFound));

    log.calls.clear();
    behaviour.majorVersion = 6;
    behaviour.versionKnown = false;
    EXPECT_FALSE(Run());
    EXPECT_THAT(log.calls, ElementsAre("GetVersionEx", notFound));

    log.calls.clear();
    behaviour.versionKnown = true;
    behaviour.libraryLoads = false;
    EXPECT_FALSE(Run());
    EXPECT_THAT(log.calls, ElementsAre("GetVersionEx", "LoadWabLibrary", notFound));

    log.calls.clear();
    behaviour.libraryLoads = true;
    behaviour.managerCreation = REGDB_E_CLASSNOTREG;
    EXPECT_FALSE(Run());
    EXPECT_THAT(log.calls, ElementsAre("GetVersionEx", "LoadWabLibrary", "CreateContactManager", notFound));
    EXPECT_THAT(FolderEntries(temp.Path()), IsEmpty());
}

TEST_F(WindowsContactsSyncTest, AFailingPropertyCallEndsTheRunWithTheComponentsDescription)
{
    AddRecord(list, "Ann Lee");
    AddRecord(list, "Bob Ray");
    behaviour.setStringFailsAt = 20; // in the second record (the first sets 17)
    try {
        (void)Run();
        FAIL() << "the failure was swallowed";
    } catch (const EOleError& error) {
        EXPECT_STREQ(error.what(), "The contact store is locked.");
        EXPECT_EQ(error.Code(), E_FAIL);
    }
    // The folder keeps what it had (here: nothing), the staging folder is gone; no report.
    EXPECT_THAT(FolderEntries(Folder()), IsEmpty());
    EXPECT_THAT(FolderEntries(outside.Path()), IsEmpty());
    EXPECT_THAT(log.Matching("SetStatus"), ElementsAre("SetStatus Performing Sync.."));
}

TEST_F(WindowsContactsSyncTest, AFailingOwnContactEndsTheRunBeforeAnythingIsTouched)
{
    AddRecord(list, "Ann Lee");
    behaviour.meContact = E_ACCESSDENIED;
    EXPECT_THROW((void)Run(), EOleError);
    EXPECT_THAT(FolderEntries(temp.Path()), IsEmpty());
    EXPECT_THAT(log.Matching("CreateContact"), ElementsAre("CreateContactManager"));
}

TEST_F(WindowsContactsSyncTest, FewerFilesSavedThanRecordsFailAndLeaveTheFolderAsItWas)
{
    ASSERT_TRUE(::CreateDirectoryA(Folder().c_str(), nullptr));
    WriteFile(Folder() + "\\Old One.contact", "old");
    AddRecord(list, "Ann Lee");
    AddRecord(list, "Bob Ray");  // its contact object cannot be made
    AddRecord(list, "Cy Twain"); // its save fails part way
    AddRecord(list, "Di Vo");
    behaviour.contactCreationFailsAt = 2;
    behaviour.saveFailsAt = 2;
    ASSERT_FALSE(Run());
    EXPECT_EQ(log.calls.back(),
              "ShowNotice 0 Only 2 of 4 contacts could be saved.\r\nThe contact folder was left as it was.");
    EXPECT_THAT(log.Matching("SetStatus Global"), IsEmpty());
    // No new contact, half-written or whole, reaches the folder; the staging folder is gone.
    EXPECT_EQ(FolderEntries(Folder()), (std::set<std::string>{"Old One.contact"}));
    EXPECT_THAT(FolderEntries(outside.Path()), IsEmpty());
}

TEST_F(WindowsContactsSyncTest, ACompleteSetReplacesOnlyTheContactFilesOnceAllAreSaved)
{
    ASSERT_TRUE(::CreateDirectoryA(Folder().c_str(), nullptr));
    WriteFile(Folder() + "\\AnnLee.contact", "old");
    WriteFile(Folder() + "\\Gone.CONTACT", "old", true);
    WriteFile(Folder() + "\\notes.txt");
    AddRecord(list, "Ann Lee");
    AddRecord(list, "Bob Ray");
    ASSERT_TRUE(Run());
    EXPECT_EQ(FolderEntries(Folder()), (std::set<std::string>{"AnnLee.contact", "BobRay.contact", "notes.txt"}));
    EXPECT_NE(ReadTextFile(Folder() + "\\AnnLee.contact"), "old");
    // The staging folder is gone; beside it stays the record of what the run wrote.
    EXPECT_EQ(FolderEntries(outside.Path()),
              (std::set<std::string>{FolderRecordFileName("Windows Mail " + Folder())}));
}

// The record names each file with its last write: a re-run of an unchanged list opens
// no file, and one a person saved since is read back, and only that one.
TEST_F(WindowsContactsSyncTest, AnUnchangedReRunOpensOnlyTheFilesWrittenSinceTheLastRun)
{
    AddRecord(list, "Ann Lee");
    AddRecord(list, "Bob Ray");
    ASSERT_TRUE(Run());
    const std::set<std::string> written = FolderEntries(Folder());
    log.calls.clear();

    ASSERT_TRUE(Run());
    EXPECT_THAT(log.Matching("OpenFileStream"), IsEmpty());
    EXPECT_THAT(log.Matching("CreateFileStream"), IsEmpty());
    EXPECT_EQ(log.calls.back(), "SetStatus Global Contacts created - 2 item(s)");

    // A later last write, as a save in Windows Mail would leave.
    const std::wstring edited = AnsiToWide(Folder() + "\\BobRay.contact");
    const UniqueKernelHandle file(::CreateFileW(edited.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    FILETIME time{};
    ASSERT_TRUE(::GetFileTime(file.get(), nullptr, nullptr, &time));
    time.dwHighDateTime += 1;
    ASSERT_TRUE(::SetFileTime(file.get(), nullptr, nullptr, &time));
    log.calls.clear();

    ASSERT_TRUE(Run());
    EXPECT_THAT(log.Matching("OpenFileStream"), ElementsAre("OpenFileStream " + Folder() + "\\BobRay.contact"));
    EXPECT_EQ(FolderEntries(Folder()), written);
}

TEST_F(WindowsContactsSyncTest, AFolderThatRefusesTheNewFilesGetsItsOldOnesBack)
{
    ASSERT_TRUE(::CreateDirectoryA(Folder().c_str(), nullptr));
    WriteFile(Folder() + "\\Old One.contact", "old");
    WriteFile(Folder() + "\\Old Two.contact", "old");
    // A subfolder that appears under a new file's name once the names were chosen blocks
    // the second file's move into the folder.
    AddRecord(list, "Ann Lee");
    AddRecord(list, "Bob Ray");
    behaviour.onFileStream = [this](const std::wstring&) {
        ::CreateDirectoryA((Folder() + "\\BobRay.contact").c_str(), nullptr);
    };
    try {
        (void)Run();
        FAIL() << "the failed replacement was swallowed";
    } catch (const EFileError& error) {
        EXPECT_NE(std::string(error.what()).find("BobRay.contact\": "), std::string::npos) << error.what();
    }
    EXPECT_EQ(FolderEntries(Folder()),
              (std::set<std::string>{"BobRay.contact\\", "Old One.contact", "Old Two.contact"}));
    EXPECT_THAT(FolderEntries(outside.Path()), IsEmpty());
}

TEST_F(WindowsContactsSyncTest, ARunKilledWhileReplacingIsFinishedBeforeTheNextRunDoesAnything)
{
    ASSERT_NO_FATAL_FAILURE(LeaveAHalfMovedSwap());
    WriteFile(Folder() + "\\notes.txt");

    EXPECT_EQ(FinishInterruptedSwap(platform), "") << "nothing was given up";
    EXPECT_EQ(FolderEntries(Folder()), (std::set<std::string>{"Half.contact", "Moved In.contact", "notes.txt"}));
    EXPECT_EQ(ReadTextFile(Folder() + "\\Half.contact"), "new");
    EXPECT_THAT(FolderEntries(outside.Path()), IsEmpty());
}

// A preview makes no folder, stages no file and leaves a killed run's swap as it is: it
// shows the folder as that run left it.
TEST_F(WindowsContactsSyncTest, APreviewMakesStagesAndFinishesNothing)
{
    AddRecord(list, "Ann Lee");
    services.preview = true;

    EXPECT_FALSE(Run());

    EXPECT_THAT(FolderEntries(temp.Path()), IsEmpty());
    EXPECT_THAT(FolderEntries(outside.Path()), IsEmpty());
    EXPECT_THAT(log.Matching("CreateFileStream"), IsEmpty());
    ASSERT_EQ(services.plans.size(), 1u);
    EXPECT_EQ(services.plans[0].added, 1u);

    const std::string root = behaviour.stagingRoot;
    ASSERT_NO_FATAL_FAILURE(LeaveAHalfMovedSwap());
    services.plans.clear();

    EXPECT_FALSE(Run());

    EXPECT_EQ(FolderEntries(Folder()), (std::set<std::string>{"Moved In.contact"}));
    EXPECT_EQ(FolderEntries(root), (std::set<std::string>{"new\\", "old\\", "plan"}));
    ASSERT_EQ(services.plans.size(), 1u);
    EXPECT_EQ(services.plans[0].held, 1u);
    EXPECT_EQ(services.plans[0].added, 1u);
    EXPECT_EQ(services.plans[0].removed, 1u);
    EXPECT_THAT(log.Matching("CreateFileStream"), IsEmpty());
}

TEST_F(WindowsContactsSyncTest, FileNamesAreSafeAndUniqueWithinARun)
{
    AddRecord(list, "Ann Lee");
    AddRecord(list, "AnnLee");
    AddRecord(list, "ann lee");
    AddRecord(list, "A/B: \"C\"?");
    AddRecord(list, "");
    AddRecord(list, "  ");
    AddRecord(list, "..");
    ASSERT_TRUE(Run());

    const std::vector<std::string> streams = log.Matching("CreateFileStream ");
    ASSERT_EQ(streams.size(), 7u);
    const std::string base = "CreateFileStream " + Staged() + "\\";
    EXPECT_EQ(streams[0], base + "AnnLee.contact");
    EXPECT_EQ(streams[1], base + "AnnLee (2).contact");
    EXPECT_EQ(streams[2], base + "annlee (3).contact");
    EXPECT_EQ(streams[3], base + "A_B__C__.contact");
    for (size_t i = 4; i < 7; ++i)
        EXPECT_TRUE(IsIdentifierFileName(streams[i].substr(base.size()))) << streams[i];
    EXPECT_EQ(FolderEntries(Folder()).size(), 7u);
    EXPECT_EQ(log.calls.back(), "SetStatus Global Contacts created - 7 item(s)");
}

TEST_F(WindowsContactsSyncTest, NamesTakenByEntriesThatCouldNotBeRemovedAreNotReused)
{
    ASSERT_TRUE(::CreateDirectoryA(Folder().c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA((Folder() + "\\AnnLee.contact").c_str(), nullptr));
    AddRecord(list, "Ann Lee");
    ASSERT_TRUE(Run());
    EXPECT_EQ(FolderEntries(Folder()), (std::set<std::string>{"AnnLee.contact\\", "AnnLee (2).contact"}));
    EXPECT_EQ(log.calls.back(), "SetStatus Global Contacts created - 1 item(s)");
}

TEST_F(WindowsContactsSyncTest, AnOwnContactWithoutAFolderWritesNothingAndFails)
{
    AddRecord(list, "Ann Lee");
    behaviour.ownPath = L"me.contact";
    ASSERT_FALSE(Run());
    EXPECT_THAT(log.Matching("CreateContact"), ElementsAre("CreateContactManager"));
    EXPECT_EQ(log.calls.back(),
              "ShowNotice 0 Only 0 of 1 contacts could be saved.\r\nThe contact folder was left as it was.");
}

} // namespace
