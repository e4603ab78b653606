#include "FakeAddressBook.h"

#include "base/OleError.h"
#include "support/RecordingRunServices.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>


using fakewab::Entry;
using fakewab::World;
using testing::ElementsAre;
using tessaly::ContactList;

namespace {

using tessaly::test::RecordedNotice;

RecordedNotice Warning(const std::string& text)
{
    return {tessaly::NoticeKind::Warning, text};
}

RecordedNotice NotFound()
{
    return {tessaly::NoticeKind::Error, "Outlook Express not found."};
}

tessaly::ContactInfo Record(const std::string& prefix)
{
    // Columns 0..32 of a row; every field of the record gets a distinct text.
    std::vector<std::string> row(33);
    for (const auto& field : tessaly::ContactInfo::kFields)
        row[static_cast<size_t>(field.column)] = prefix + "-" + field.name;
    return tessaly::ContactInfo(row);
}

std::vector<std::string> Names(const World& world, ULONG parent)
{
    std::vector<std::string> names;
    for (const Entry* e : world.Children(parent))
        names.push_back(std::to_string(e->type) + " " + e->name);
    return names;
}

class SyncOutlookExpressTest : public testing::Test {
protected:
    void TearDown() override
    {
        EXPECT_EQ(world.liveObjects, 0) << "every reference is released";
        if (world.failingFree == 0) {
            EXPECT_EQ(world.heap.LiveRoots(), 0) << "every library buffer is freed";
        }
    }

    bool Sync(const std::string& folder = "Global Contacts")
    {
        return tessaly::SyncOutlookExpress(list, folder, services, platform);
    }

    World world;
    fakewab::Platform platform{world};
    tessaly::test::RecordingRunServices services;
    ContactList list{500};
};

TEST_F(SyncOutlookExpressTest, ReplacesTheMailUsersOfAFolderFoundInAnotherCaseAndKeepsItsOtherEntries)
{
    const ULONG folder = world.AddFolder("GLOBAL contacts");
    for (const char* name : {"Old One", "Old Two", "Old Three"})
        world.AddEntry(folder, MAPI_MAILUSER, name);
    world.AddEntry(folder, MAPI_DISTLIST, "Team");
    list.Add(std::make_unique<tessaly::ContactInfo>(Record("a")));
    list.Add(std::make_unique<tessaly::ContactInfo>(Record("b")));

    EXPECT_TRUE(Sync());

    EXPECT_THAT(Names(world, folder), ElementsAre("8 Team", "6 a-DisplayName", "6 b-DisplayName"));
    EXPECT_EQ(world.CountLog("DeleteEntries 3 flags 0"), 1);
    // No duplicate check: it would let a contact replace another of the same name.
    EXPECT_EQ(world.CountLog("CreateEntry " + std::to_string(folder) + " template 0 flags 0"), 2);
    EXPECT_EQ(world.CountLog("SaveChanges 2"), 2);
    EXPECT_EQ(world.starts, 0) << "an existing folder needs no restart of the address book";
    EXPECT_THAT(services.statuses, ElementsAre("Performing Sync..", "Global Contacts created - 2 item(s)"));
    EXPECT_TRUE(services.notices.empty());
    ASSERT_EQ(world.columns.size(), 2u);
    EXPECT_THAT(world.columns[0], ElementsAre(PR_DISPLAY_NAME, PR_ENTRYID, PR_OBJECT_TYPE));
    EXPECT_THAT(world.columns[1],
                ElementsAre(PR_ENTRYID, PR_OBJECT_TYPE, PR_NICKNAME, PR_EMAIL_ADDRESS, PR_DISPLAY_NAME, PR_TITLE,
                            PR_INITIALS, PR_CUSTOMER_ID, PR_COMPANY_NAME, PR_DEPARTMENT_NAME,
                            PR_BUSINESS_TELEPHONE_NUMBER, PR_MOBILE_TELEPHONE_NUMBER, PR_HOME_TELEPHONE_NUMBER,
                            PR_HOME_ADDRESS_STREET, PR_HOME_ADDRESS_CITY, PR_HOME_ADDRESS_STATE_OR_PROVINCE,
                            PR_PAGER_TELEPHONE_NUMBER, PR_OFFICE_LOCATION, PR_BUSINESS_HOME_PAGE,
                            PR_BUSINESS_FAX_NUMBER));
}

TEST_F(SyncOutlookExpressTest, WritesNineteenPropertiesWithTheFaxLastAndEmptyFieldsAsEmptyStrings)
{
    world.AddFolder("Global Contacts");
    auto record = Record("a");
    record.SetField(tessaly::ContactField::Pager, "");
    list.Add(std::make_unique<tessaly::ContactInfo>(record));

    EXPECT_TRUE(Sync("global contacts"));

    ASSERT_EQ(world.setProps.size(), 1u);
    std::vector<std::string> written;
    for (const auto& value : world.setProps[0]) {
        char tag[16];
        std::snprintf(tag, sizeof tag, "%08lX", value.tag);
        written.push_back(std::string(tag) + "=" + value.text);
    }
    EXPECT_THAT(written,
                ElementsAre("0FFE0003=6", "3A4F001E=a-NickName", "3003001E=a-Email", "3001001E=a-DisplayName",
                            "3A17001E=a-JobTitle", "3A0A001E=a-Initials", "3A4A001E=a-CustomerID",
                            "3A16001E=a-Company", "3A18001E=a-Department", "3A08001E=a-BusinessPhone",
                            "3A1C001E=a-MobilePhone", "3A09001E=a-HomePhone", "3A5D001E=a-HomeStreet",
                            "3A59001E=a-HomeCity", "3A5C001E=a-HomeState", "3A21001E=", "3A19001E=a-Office",
                            "3A51001E=a-WebPage", "3A24001E=a-BusinessFax"));
}

// An empty list is what the folder was asked to hold (a run never hands over one unless
// stopped): the same rule as every destination.
TEST_F(SyncOutlookExpressTest, AnEmptyListEmptiesTheFolderAndReportsNothingWritten)
{
    const ULONG folder = world.AddFolder("Global Contacts");
    world.AddEntry(folder, MAPI_MAILUSER, "Old");

    EXPECT_TRUE(Sync());

    EXPECT_TRUE(Names(world, folder).empty());
    EXPECT_THAT(services.statuses, ElementsAre("Performing Sync..", "Global Contacts created - 0 item(s)"));
}

TEST_F(SyncOutlookExpressTest, AFailingRecordIsSkippedTheRestAreWrittenAndTheRunFails)
{
    const ULONG folder = world.AddFolder("Global Contacts");
    world.failingMailUserSave = 2;
    for (const char* prefix : {"a", "b", "c"})
        list.Add(std::make_unique<tessaly::ContactInfo>(Record(prefix)));

    EXPECT_FALSE(Sync());

    EXPECT_THAT(Names(world, folder), ElementsAre("6 a-DisplayName", "6 c-DisplayName"));
    ASSERT_EQ(services.notices.size(), 1u);
    EXPECT_EQ(services.notices[0], Warning("Only 2 of 3 contacts could be saved."));
    EXPECT_EQ(services.statuses.back(), "Global Contacts created - 2 item(s)");
}

TEST_F(SyncOutlookExpressTest, AMailUserNamedLikeTheFolderIsNotTheFolder)
{
    world.AddEntry(0, MAPI_MAILUSER, "Global Contacts");
    list.Add(std::make_unique<tessaly::ContactInfo>(Record("a")));

    EXPECT_TRUE(Sync());

    // A new folder: created from the personal address book's template, saved, then found
    // after the Address Book program has run.
    EXPECT_EQ(world.CountLog("GetPAB"), 1);
    EXPECT_EQ(world.CountLog("CreateEntry 1 template 8 flags 6"), 1);
    ASSERT_GE(world.setProps.size(), 1u);
    const auto& folderProps = world.setProps[0];
    ASSERT_EQ(folderProps.size(), 4u);
    EXPECT_EQ(folderProps[0].tag, PR_DISPLAY_NAME);
    EXPECT_EQ(folderProps[0].text, "Global Contacts");
    EXPECT_EQ(folderProps[1].tag, PR_OBJECT_TYPE);
    EXPECT_EQ(folderProps[1].text, "4");
    EXPECT_EQ(folderProps[2].tag, 0x66001102u);
    EXPECT_EQ(folderProps[2].text, "1:0");
    EXPECT_EQ(folderProps[3].tag, 0x800C0003u);
    EXPECT_EQ(folderProps[3].text, "0");
    EXPECT_EQ(world.starts, 1);
    EXPECT_EQ(world.opens, 2);

    std::vector<const Entry*> folders;
    for (const Entry& e : world.entries)
        if (e.type == MAPI_ABCONT && e.name == "Global Contacts")
            folders.push_back(&e);
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_THAT(Names(world, folders[0]->id), ElementsAre("6 a-DisplayName"));
}

TEST_F(SyncOutlookExpressTest, WithoutTheAddressBookProgramTheNewFolderIsNotFoundAndNothingIsWritten)
{
    world.startResult = false;
    list.Add(std::make_unique<tessaly::ContactInfo>(Record("a")));

    EXPECT_FALSE(Sync());

    EXPECT_EQ(world.CountLog("SaveChanges 2"), 1) << "the folder entry is saved";
    EXPECT_EQ(world.setProps.size(), 1u) << "no contact is written";
    EXPECT_EQ(world.opens, 1) << "the connection stays closed";
    EXPECT_EQ(services.statuses.back(), "Global Contacts created - 0 item(s)");
}

TEST_F(SyncOutlookExpressTest, SavingAFolderThatCollidesCountsAsSuccessAndTheLookupIsRepeated)
{
    const ULONG hidden = world.AddFolder("Global Contacts");
    world.entries.back().visible = false;
    world.folderSaveResult = MAPI_E_COLLISION;
    list.Add(std::make_unique<tessaly::ContactInfo>(Record("a")));

    EXPECT_TRUE(Sync());

    EXPECT_EQ(world.starts, 1);
    EXPECT_THAT(Names(world, hidden), ElementsAre("6 a-DisplayName"));
}

TEST_F(SyncOutlookExpressTest, AMissingTemplateCreatesNoFolderEntry)
{
    world.templateMissing = true;
    list.Add(std::make_unique<tessaly::ContactInfo>(Record("a")));

    EXPECT_FALSE(Sync());

    EXPECT_EQ(world.CountLog("CreateEntry 1 template 8 flags 6"), 0);
    EXPECT_EQ(world.starts, 0);
    EXPECT_EQ(services.statuses.back(), "Global Contacts created - 0 item(s)");
}

TEST_F(SyncOutlookExpressTest, OtherFolderSaveFailuresEndWithoutReopening)
{
    world.folderSaveResult = MAPI_E_DISK_ERROR;
    list.Add(std::make_unique<tessaly::ContactInfo>(Record("a")));

    EXPECT_FALSE(Sync());

    EXPECT_EQ(world.starts, 0);
    EXPECT_EQ(services.statuses.back(), "Global Contacts created - 0 item(s)");
}

TEST_F(SyncOutlookExpressTest, MissingOutlookExpressIsReportedAndNothingIsOpened)
{
    world.major = 6;
    EXPECT_FALSE(Sync());
    world.major = 5;
    world.loadResult = false;
    EXPECT_FALSE(Sync());

    EXPECT_THAT(services.notices, ElementsAre(NotFound(), NotFound()));
    EXPECT_EQ(world.loads, 2);
    EXPECT_EQ(world.opens, 0);
    EXPECT_TRUE(services.statuses.empty());
}

TEST_F(SyncOutlookExpressTest, AStopRequestOrAFailedOpenEndsBeforeAnythingIsCounted)
{
    services.stop = true;
    EXPECT_FALSE(Sync());
    EXPECT_EQ(world.opens, 0);
    EXPECT_TRUE(services.statuses.empty());

    services.stop = false;
    world.hasOpenEntry = false;
    EXPECT_FALSE(Sync());
    EXPECT_EQ(world.opens, 0);
    EXPECT_THAT(services.statuses, ElementsAre("Performing Sync.."));
}

TEST_F(SyncOutlookExpressTest, AFailedBufferFreeRaisesTheLibraryCodeAndReleasesEverything)
{
    world.AddFolder("Global Contacts");
    world.failingFree = 1; // the first row's values, in the folder lookup
    list.Add(std::make_unique<tessaly::ContactInfo>(Record("a")));

    try {
        Sync();
        FAIL() << "no error raised";
    } catch (const tessaly::EOleError& error) {
        EXPECT_EQ(error.Code(), MAPI_E_INVALID_PARAMETER);
    }
    EXPECT_TRUE(world.setProps.empty());
    EXPECT_EQ(world.CountLog("release addrbook"), 1);
    EXPECT_EQ(world.heap.LiveRoots(), 1) << "the row set itself is freed all the same";
}

// The mail users of a folder as id and display name, in folder order.
std::vector<std::string> IdsAndNames(const World& world, ULONG parent)
{
    std::vector<std::string> lines;
    for (const Entry* e : world.Children(parent))
        if (e->type == MAPI_MAILUSER)
            lines.push_back(std::to_string(e->id) + " " + e->name);
    return lines;
}

TEST_F(SyncOutlookExpressTest, AnUnchangedReRunReadsTheFolderInAFewBatchesAndWritesNothing)
{
    const ULONG folder = world.AddFolder("Global Contacts");
    for (int i = 0; i < 700; ++i)
        list.Add(std::make_unique<tessaly::ContactInfo>(Record(std::to_string(i))));
    list.Add(std::make_unique<tessaly::ContactInfo>(Record("0"))); // the same contact twice
    ASSERT_TRUE(Sync());
    const auto before = IdsAndNames(world, folder);
    ASSERT_EQ(before.size(), 701u);
    world.log.clear();
    world.setProps.clear();

    EXPECT_TRUE(Sync());

    EXPECT_EQ(IdsAndNames(world, folder), before);
    EXPECT_TRUE(world.setProps.empty());
    for (const std::string& call : world.log) {
        EXPECT_EQ(call.find("CreateEntry"), std::string::npos) << call;
        EXPECT_EQ(call.find("DeleteEntries"), std::string::npos) << call;
        EXPECT_EQ(call.find("flags 1"), std::string::npos) << call; // nothing opened for writing
    }
    EXPECT_EQ(world.CountLog("QueryRows 500"), 3) << "two batches and the empty one that ends the table";
    EXPECT_EQ(services.statuses.back(), "Global Contacts created - 701 item(s)");
}

TEST_F(SyncOutlookExpressTest, AUtf8ListGoesInAsAnsiAndItsReRunWritesNothingWhereTheCodePageLacksACharacter)
{
    // The prefix's code page is Windows-1252: it holds \xF6 and \xC4 but neither \u0141 nor \u5C71.
    const ULONG folder = world.AddFolder("Kontakte \xC4");
    tessaly::ContactInfo record = Record("A");
    record.SetField(tessaly::ContactField::DisplayName, "J\xC3\xB6rg \xC5\x81ukasz \xE5\xB1\xB1");
    list.Add(std::make_unique<tessaly::ContactInfo>(record));
    ASSERT_TRUE(Sync("Kontakte \xC3\x84"));
    const auto before = IdsAndNames(world, folder);
    ASSERT_EQ(before.size(), 1u) << "the folder is found by its ANSI name";
    EXPECT_THAT(before[0], testing::HasSubstr(" J\xF6rg ")) << "the address book holds ANSI";
    world.log.clear();
    world.setProps.clear();

    EXPECT_TRUE(Sync("Kontakte \xC3\x84"));

    EXPECT_EQ(IdsAndNames(world, folder), before);
    EXPECT_TRUE(world.setProps.empty()) << "the substitutes compare equal to what the list becomes in ANSI";
    for (const std::string& call : world.log)
        EXPECT_EQ(call.find("CreateEntry"), std::string::npos) << call;
    EXPECT_EQ(services.statuses.back(), "Kontakte \xC3\x84 created - 1 item(s)");
}

TEST_F(SyncOutlookExpressTest, AnEntryThatCannotBeUpdatedOrDeletedStaysAsItWasAndTheRunFails)
{
    const ULONG folder = world.AddFolder("Global Contacts");
    for (const char* prefix : {"a", "b", "c"})
        list.Add(std::make_unique<tessaly::ContactInfo>(Record(prefix)));
    ASSERT_TRUE(Sync());

    list.FreeItems();
    auto edited = Record("a");
    edited.SetField(tessaly::ContactField::Company, "New Company");
    list.Add(std::make_unique<tessaly::ContactInfo>(edited));
    list.Add(std::make_unique<tessaly::ContactInfo>(Record("b")));
    world.failingMailUserSave = world.mailUserSaves + 1;
    world.deleteResult = MAPI_E_NO_SUPPORT;

    EXPECT_FALSE(Sync());

    EXPECT_THAT(Names(world, folder), ElementsAre("6 a-DisplayName", "6 b-DisplayName", "6 c-DisplayName"));
    EXPECT_EQ(world.entries[world.entries.size() - 3].texts[PR_COMPANY_NAME], "a-Company") << "the previous version";
    EXPECT_THAT(services.notices, ElementsAre(Warning("Only 1 of 2 contacts could be saved.")));
    EXPECT_EQ(world.CountLog("DeleteEntries 1 flags 0"), 1) << "c, the one stale entry";

    // The deletion alone failing still fails the run, with every contact written.
    world.failingMailUserSave = 0;
    services.notices.clear();
    EXPECT_FALSE(Sync());
    EXPECT_EQ(services.statuses.back(), "Global Contacts created - 2 item(s)");
    EXPECT_TRUE(services.notices.empty());
}

TEST_F(SyncOutlookExpressTest, AFolderThatCannotBeReadInBulkIsEmptiedAndWrittenAnew)
{
    const ULONG folder = world.AddFolder("Global Contacts");
    world.AddEntry(folder, MAPI_MAILUSER, "Old One");
    world.wideColumnsRefused = true;
    list.Add(std::make_unique<tessaly::ContactInfo>(Record("a")));

    EXPECT_TRUE(Sync());

    EXPECT_THAT(Names(world, folder), ElementsAre("6 a-DisplayName"));
    EXPECT_EQ(world.CountLog("DeleteEntries 1 flags 0"), 1);
}

TEST_F(SyncOutlookExpressTest, AFolderThatCannotBeReadInBulkIsCountedAsTheMailUsersItsReplacementRemoves)
{
    const ULONG folder = world.AddFolder("Global Contacts");
    for (const char* name : {"Old One", "Old Two", "Old Three"})
        world.AddEntry(folder, MAPI_MAILUSER, name);
    world.AddEntry(folder, MAPI_DISTLIST, "Team");
    world.wideColumnsRefused = true;
    list.Add(std::make_unique<tessaly::ContactInfo>(Record("a")));
    services.approve = false;

    EXPECT_FALSE(Sync());

    ASSERT_EQ(services.plans.size(), 1u);
    EXPECT_TRUE(services.plans[0].replacement);
    EXPECT_EQ(services.plans[0].held, 3u) << "the mail users; the distribution list stays";
    EXPECT_EQ(world.CountLog("DeleteEntries 3 flags 0"), 0) << "a refused plan removes nothing";

    // Approved, the replacement removes exactly the entries it counted.
    services.approve = true;
    EXPECT_TRUE(Sync());
    EXPECT_EQ(world.CountLog("DeleteEntries 3 flags 0"), 1);
    EXPECT_THAT(Names(world, folder), ElementsAre("8 Team", "6 a-DisplayName"));
}

// A preview neither creates the folder (nor starts the Address Book program for it) nor
// writes or deletes an entry; it plans from what the folder holds.
TEST_F(SyncOutlookExpressTest, APreviewCreatesNoFolderAndWritesNothing)
{
    services.preview = true;
    list.Add(std::make_unique<tessaly::ContactInfo>(Record("a")));

    EXPECT_FALSE(Sync());

    EXPECT_EQ(world.entries.size(), 1u) << "no folder was created";
    EXPECT_EQ(world.starts, 0);
    EXPECT_EQ(world.CountLog("SaveChanges 2"), 0);
    ASSERT_EQ(services.plans.size(), 1u);
    EXPECT_EQ(services.plans[0].added, 1u);
    ASSERT_EQ(services.plans[0].contacts.size(), 1u);
    EXPECT_EQ(services.plans[0].contacts[0].name, "a-DisplayName");
    EXPECT_EQ(services.plans[0].contacts[0].email, "a-Email");

    const ULONG folder = world.AddFolder("Global Contacts");
    world.AddEntry(folder, MAPI_MAILUSER, "Old");
    services = {};
    services.preview = true;

    EXPECT_FALSE(Sync());

    EXPECT_THAT(Names(world, folder), ElementsAre("6 Old"));
    EXPECT_TRUE(world.setProps.empty());
    EXPECT_EQ(world.CountLog("DeleteEntries 1 flags 0"), 0);
    ASSERT_EQ(services.plans.size(), 1u);
    EXPECT_EQ(services.plans[0].held, 1u);
    EXPECT_EQ(services.plans[0].removed, 1u);
    EXPECT_EQ(services.plans[0].added, 1u);
    EXPECT_TRUE(services.notices.empty());
}

TEST(TWinAddressBookTest, OpenPassesTheParametersAndReleasesInTheOrderTheLibraryExpects)
{
    World world;
    fakewab::Platform platform(world);
    {
        tessaly::WinAddressBook book(platform);
        ASSERT_TRUE(book.OpenAddressBook(""));
        EXPECT_EQ(world.params.cbSize, sizeof(void*) == 4 ? 32u : 48u);
        EXPECT_EQ(world.params.hwnd, nullptr);
        EXPECT_TRUE(world.fileNameGiven) << "an empty text, never a null pointer";
        EXPECT_EQ(world.fileName, "");
        EXPECT_EQ(world.params.ulFlags, 0x00400000u);
        EXPECT_EQ(world.params.guidPSExt, GUID_NULL);

        world.log.clear();
        ASSERT_TRUE(book.OpenAddressBook(""));
        EXPECT_THAT(world.log, ElementsAre("release wabobject", "release addrbook", "Open"));

        world.log.clear();
        book.CloseAddressBook();
        EXPECT_THAT(world.log, ElementsAre("release addrbook", "release wabobject"));
        book.CloseAddressBook();
        EXPECT_FALSE(book.IsOpen());

        world.hasOpenEntry = false;
        EXPECT_FALSE(book.OpenAddressBook(""));
        world.hasOpenEntry = true;
        ASSERT_TRUE(book.OpenAddressBook(""));
        world.log.clear();
    }
    EXPECT_THAT(world.log, ElementsAre("release addrbook", "release wabobject"));
    EXPECT_EQ(world.liveObjects, 0);
}

TEST(TWinAddressBookTest, AFailedReopenLeavesTheConnectionClosed)
{
    World world;
    fakewab::Platform platform(world);
    tessaly::WinAddressBook book(platform);
    ASSERT_TRUE(book.OpenAddressBook(""));
    world.startResult = false;
    EXPECT_FALSE(book.ReopenAddressBook());
    EXPECT_FALSE(book.IsOpen());
    world.startResult = true;
    EXPECT_TRUE(book.ReopenAddressBook());
    EXPECT_TRUE(book.IsOpen());
    EXPECT_EQ(world.opens, 2);
}

} // namespace
