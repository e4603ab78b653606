#include "destinations/outlook/OutlookDestination.h"

#include "FakeOutlook.h"
#include "support/RecordingRunServices.h"
#include "base/OleError.h"
#include "base/WideText.h"
#include "contacts/Contact.h"
#include "destinations/outlook/DispatchCalls.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>

using namespace tessaly;
using fake_outlook::World;
using testing::ElementsAre;

namespace {

// Where each record field must land, written out independently of the program's table.
const std::pair<ContactField, const wchar_t*> kExpectedProperties[18] = {
    {ContactField::NickName, L"NickName"},
    {ContactField::Email, L"Email1Address"},
    {ContactField::DisplayName, L"FullName"},
    {ContactField::JobTitle, L"JobTitle"},
    {ContactField::Initials, L"Initials"},
    {ContactField::CustomerID, L"CustomerID"},
    {ContactField::Company, L"CompanyName"},
    {ContactField::Department, L"Department"},
    {ContactField::BusinessPhone, L"BusinessTelephoneNumber"},
    {ContactField::MobilePhone, L"MobileTelephoneNumber"},
    {ContactField::BusinessFax, L"BusinessFaxNumber"},
    {ContactField::HomePhone, L"HomeTelephoneNumber"},
    {ContactField::HomeStreet, L"HomeAddressStreet"},
    {ContactField::HomeCity, L"HomeAddressCity"},
    {ContactField::HomeState, L"HomeAddressState"},
    {ContactField::Pager, L"PagerNumber"},
    {ContactField::Office, L"OfficeLocation"},
    {ContactField::WebPage, L"InternetFreeBusyAddress"},
};

// A record whose every field is distinct: "<tag> <field number>".
ContactInfo& AddRecord(ContactList& list, const std::string& tag)
{
    ContactInfo& record = list.Emplace(std::vector<std::string>{});
    for (size_t i = 0; i < 18; ++i)
        record.SetField(kExpectedProperties[i].first, tag + " " + std::to_string(i + 1));
    return record;
}

class OutlookDestinationTest : public testing::Test {
protected:
    void SetUp() override
    {
        static std::atomic<int> made{0};
        records = std::filesystem::temp_directory_path() /
                  ("outlook-records-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++made));
        std::filesystem::create_directories(records);
    }

    bool Sync(const std::string& folderName = "Global Contacts")
    {
        return SyncOutlook(
            list, folderName, services, [this](IDispatch** application) { return world.CreateApplication(application); },
            kOutlookBusyLimit, records.wstring());
    }

    // The text an error raised by the sync carries.
    std::string SyncError(const std::string& folderName = "Global Contacts")
    {
        try {
            Sync(folderName);
        } catch (const EOleError& error) {
            return error.what();
        }
        ADD_FAILURE() << "no error raised";
        return {};
    }

    void TearDown() override
    {
        EXPECT_EQ(world.liveObjects, 0) << "a reference was not released";
        std::error_code ignored;
        std::filesystem::remove_all(records, ignored);
    }

    std::filesystem::path records; // this test's folder records
    World world;
    ContactList list{500};
    test::RecordingRunServices services;
};

TEST_F(OutlookDestinationTest, EmptyListAddsTheMissingFolderAndReportsNone)
{
    world.AddFolder(L"Other")->items.push_back(fake_outlook::ContactNamed(L"Kept"));

    EXPECT_TRUE(Sync());

    EXPECT_THAT(world.CallsStartingWith("NameSpace."),
                ElementsAre("NameSpace.Logon(missing,missing,missing,true)", "NameSpace.GetDefaultFolder(10)"));
    EXPECT_THAT(world.CallsStartingWith("Folders.Add"), ElementsAre("Folders.Add(\"Global Contacts\",10)"));
    ASSERT_EQ(world.folders.size(), 2u);
    EXPECT_EQ(world.folders[1]->name, L"Global Contacts");
    EXPECT_TRUE(world.folders[1]->items.empty());
    EXPECT_EQ(world.folders[0]->items.size(), 1u) << "only the named folder is touched";
    EXPECT_THAT(services.statuses, ElementsAre("Performing Sync..", "Global Contacts created - 0 item(s)"));
    EXPECT_TRUE(services.notices.empty());
}

// Before Outlook 2007 there is no table to compare with: the contacts are replaced.
TEST_F(OutlookDestinationTest, WithoutATableTheFolderLosesOnlyItsContactItems)
{
    world.tableOffered = false;
    auto folder = world.AddFolder(L"Global Contacts");
    auto list1 = fake_outlook::DistributionList();
    folder->items = {fake_outlook::ContactNamed(L"Old 1"), list1, fake_outlook::ContactNamed(L"Old 2")};
    AddRecord(list, "New");

    EXPECT_TRUE(Sync());

    EXPECT_TRUE(world.CallsStartingWith("Folders.Add").empty());
    EXPECT_THAT(world.CallsStartingWith("Items.Remove"), ElementsAre("Items.Remove(3)", "Items.Remove(1)"));
    ASSERT_EQ(folder->items.size(), 2u);
    EXPECT_EQ(folder->items[0], list1);
    EXPECT_EQ(folder->items[1]->properties[L"FullName"], L"New 3");
    EXPECT_EQ(services.statuses.back(), "Global Contacts created - 1 item(s)");
}

TEST_F(OutlookDestinationTest, FolderNameMatchesExactlyAndTheFirstMatchWins)
{
    auto differentCase = world.AddFolder(L"global contacts");
    auto first = world.AddFolder(L"Global Contacts");
    auto second = world.AddFolder(L"Global Contacts");
    differentCase->items.push_back(fake_outlook::ContactNamed(L"A"));
    second->items.push_back(fake_outlook::ContactNamed(L"B"));
    AddRecord(list, "New");

    EXPECT_TRUE(Sync());

    EXPECT_TRUE(world.CallsStartingWith("Folders.Add").empty());
    ASSERT_EQ(first->items.size(), 1u);
    EXPECT_EQ(first->items[0]->properties[L"FullName"], L"New 3");
    EXPECT_EQ(second->items[0]->properties[L"FullName"], L"B");
    EXPECT_EQ(differentCase->items[0]->properties[L"FullName"], L"A");
}

TEST_F(OutlookDestinationTest, FolderDifferingOnlyInCaseIsNotUsed)
{
    auto other = world.AddFolder(L"GLOBAL CONTACTS");
    other->items.push_back(fake_outlook::ContactNamed(L"A"));

    EXPECT_TRUE(Sync());
    EXPECT_THAT(world.CallsStartingWith("Folders.Add"), ElementsAre("Folders.Add(\"Global Contacts\",10)"));
    EXPECT_EQ(other->items.size(), 1u);

    // Outlook itself refuses such a name; its own words end the run.
    world.failure = fake_outlook::Failure{"Folders.Add", 1, E_FAIL, L"Cannot create the folder."};
    EXPECT_EQ(SyncError("Global Contacts 2"), "Cannot create the folder.");
}

TEST_F(OutlookDestinationTest, AddressBookMarkFromVersionTenOn)
{
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"9.0.0.2711", false}, {L"10.0.2627", true}, {L"11.0.5510", true}, {L"abc", false}, {L"12", false},
    };
    for (const auto& [version, marked] : cases) {
        World local;
        local.version = version;
        auto folder = local.AddFolder(L"Global Contacts");
        EXPECT_TRUE(SyncOutlook(list, "Global Contacts", services,
                                [&local](IDispatch** application) { return local.CreateApplication(application); }));
        if (marked) {
            EXPECT_THAT(local.CallsStartingWith("Folder.ShowAsOutlookAB="), ElementsAre("Folder.ShowAsOutlookAB=true"))
                << version;
            // A folder already listed takes no write.
            local.calls.clear();
            EXPECT_TRUE(SyncOutlook(list, "Global Contacts", services, [&local](IDispatch** application) {
                return local.CreateApplication(application);
            }));
            EXPECT_TRUE(local.CallsStartingWith("Folder.ShowAsOutlookAB=").empty()) << version;
        } else {
            EXPECT_TRUE(local.CallsStartingWith("Folder.ShowAsOutlookAB").empty()) << version;
        }
        EXPECT_EQ(local.liveObjects, 0);
    }
}

TEST(OutlookMajorVersion, WholeNumberBeforeTheFirstDot)
{
    EXPECT_EQ(OutlookMajorVersion("9.0.0.2711"), 9);
    EXPECT_EQ(OutlookMajorVersion("10.0"), 10);
    EXPECT_EQ(OutlookMajorVersion(" 11 .0.5510"), 11);
    EXPECT_EQ(OutlookMajorVersion("abc"), -1);
    EXPECT_EQ(OutlookMajorVersion("12"), -1);
    EXPECT_EQ(OutlookMajorVersion("x1.0"), -1);
    EXPECT_EQ(OutlookMajorVersion(".5"), -1);
    EXPECT_EQ(OutlookMajorVersion(""), -1);
}

TEST_F(OutlookDestinationTest, EveryRecordBecomesOneSavedContactInListOrder)
{
    AddRecord(list, "First");
    AddRecord(list, "Second");
    list.Emplace(std::vector<std::string>{}); // all fields empty
    auto folder = world.AddFolder(L"Global Contacts");

    EXPECT_TRUE(Sync());

    std::vector<std::string> expected;
    for (const ContactInfo& record : list) {
        expected.push_back("Items.Add(2)");
        for (const auto& [field, property] : kExpectedProperties)
            expected.push_back("Item." + WideToAnsi(property) + "=\"" + std::string(record.Field(field)) + "\"");
        expected.push_back("Item.Save");
        expected.push_back("Item.EntryID");
    }
    std::vector<std::string> written;
    for (const std::string& call : world.calls) {
        if (call.rfind("Item.", 0) == 0 || call.rfind("Items.Add", 0) == 0)
            written.push_back(call);
    }
    EXPECT_EQ(written, expected);
    ASSERT_EQ(folder->items.size(), 3u);
    EXPECT_EQ(folder->items[2]->properties.size(), 18u) << "empty fields are written too";
    EXPECT_EQ(services.statuses.back(), "Global Contacts created - 3 item(s)");
}

// Each lookup is a round trip to Outlook's process: one per member name and class per run.
TEST_F(OutlookDestinationTest, EachMemberIsLookedUpOncePerRunAndClass)
{
    auto folder = world.AddFolder(L"Other");
    world.AddFolder(L"Global Contacts")->items = {fake_outlook::ContactNamed(L"Old 1"),
                                                  fake_outlook::ContactNamed(L"Old 2")};
    AddRecord(list, "First");
    AddRecord(list, "Second");
    AddRecord(list, "Third");

    EXPECT_TRUE(Sync());

    std::vector<std::string> once = world.lookups;
    std::sort(once.begin(), once.end());
    EXPECT_EQ(std::adjacent_find(once.begin(), once.end()), once.end()) << "a name was looked up twice";
    // Application 2, NameSpace 3, Contacts 1, Folders 2, Folder 7, Table 3, Columns 1,
    // Items 1, Item 18 + Save + EntryID.
    EXPECT_EQ(world.lookups.size(), 40u);
    EXPECT_EQ(world.CallsStartingWith("Item.Save").size(), 3u);

    // The next run learns the ids again: this server numbers its members anew.
    world.firstId = 100;
    world.lookups.clear();
    AddRecord(list, "Fourth");
    EXPECT_TRUE(Sync());
    EXPECT_FALSE(world.lookups.empty());
    ASSERT_EQ(world.folders[1]->items.size(), 4u);
    EXPECT_EQ(world.folders[1]->items[3]->properties[L"FullName"], L"Fourth 3");
    EXPECT_TRUE(folder->items.empty());
}

TEST_F(OutlookDestinationTest, StopBeforeAnyWorkTouchesNothing)
{
    world.AddFolder(L"Global Contacts")->items.push_back(fake_outlook::ContactNamed(L"Kept"));
    AddRecord(list, "New");
    services.stop = true;

    EXPECT_FALSE(Sync());

    EXPECT_TRUE(world.calls.empty());
    EXPECT_EQ(services.stopChecks, 1);
    EXPECT_TRUE(services.statuses.empty()) << "the stop check comes first, as in every destination";
    EXPECT_EQ(world.folders[0]->items.size(), 1u);
}

TEST_F(OutlookDestinationTest, MissingOutlookIsReportedOnce)
{
    world.creationFails = true;

    EXPECT_FALSE(Sync());

    ASSERT_EQ(services.notices.size(), 1u);
    EXPECT_EQ(services.notices[0].kind, NoticeKind::Error);
    EXPECT_EQ(services.notices[0].text, "Microsoft Outlook not found.");
    EXPECT_TRUE(services.statuses.empty());
}

TEST_F(OutlookDestinationTest, ObjectWithoutTheApplicationInterfaceIsAnError)
{
    world.answersApplication = false;

    EXPECT_EQ(SyncError(), "Interface not supported");
    EXPECT_TRUE(world.calls.empty());
    EXPECT_TRUE(services.statuses.empty());
}

TEST_F(OutlookDestinationTest, FailingPutEndsTheRunWithTheComponentsText)
{
    auto folder = world.AddFolder(L"Global Contacts");
    AddRecord(list, "First");
    AddRecord(list, "Second");
    AddRecord(list, "Third");
    world.failure = fake_outlook::Failure{"Item.CompanyName=", 2, E_FAIL, L"The property cannot be set."};

    EXPECT_EQ(SyncError(), "The property cannot be set.");

    ASSERT_EQ(folder->items.size(), 1u) << "what was saved before the failure stays";
    EXPECT_EQ(world.CallsStartingWith("Items.Add(2)").size(), 2u);
    EXPECT_THAT(services.statuses, ElementsAre("Performing Sync.."));
}

TEST_F(OutlookDestinationTest, ErrorTextFallsBackToTheCode)
{
    world.AddFolder(L"Global Contacts")->items.push_back(fake_outlook::ContactNamed(L"Old"));

    // EXCEPINFO without a description: its code counts.
    world.failure = fake_outlook::Failure{"Item.Delete", 1, static_cast<HRESULT>(0x80041235), L""};
    EXPECT_EQ(SyncError(), "OLE error 80041235");

    // A plain failure code, no EXCEPINFO at all.
    world.failure = fake_outlook::Failure{"Item.Delete", 1, static_cast<HRESULT>(0x80041236), L"", false};
    EXPECT_EQ(SyncError(), "OLE error 80041236");
}

// An empty answer without a failure code cannot pass for a finished synchronisation.
TEST_F(OutlookDestinationTest, MissingDefaultContactsFolderIsAnError)
{
    world.hasContactsFolder = false;
    AddRecord(list, "New");

    EXPECT_EQ(SyncError(), "Microsoft Outlook's default Contacts folder is not available.");
    EXPECT_THAT(services.statuses, ElementsAre("Performing Sync.."));
}

// The count reports items written, not records handed over, and a short count fails.
TEST_F(OutlookDestinationTest, NewItemsThatAreNotContactsAreNotCountedAndFailTheRun)
{
    auto folder = world.AddFolder(L"Global Contacts");
    world.newItemsAreContacts = false;
    AddRecord(list, "First");
    AddRecord(list, "Second");

    EXPECT_FALSE(Sync());
    EXPECT_THAT(services.notices, ElementsAre(test::RecordedNotice{NoticeKind::Warning, "Only 0 of 2 contacts could be saved."}));

    EXPECT_EQ(world.CallsStartingWith("Items.Add(2)").size(), 2u);
    EXPECT_TRUE(world.CallsStartingWith("Item.").empty());
    EXPECT_TRUE(folder->items.empty());
    EXPECT_EQ(services.statuses.back(), "Global Contacts created - 0 item(s)");
}

// A re-run changes only the difference, and reads no content back from Outlook: what an
// item holds is known from the record of the last run while its modification time is
// the one recorded. A contact changed in the list gets back just what differs, one edited
// by hand is written whole, one added by hand takes a new row (or goes), and stale ones
// go only after every write. Every contact keeps its identity; other items stay.
TEST_F(OutlookDestinationTest, AReRunWritesOnlyWhatDiffersAndRemovesLast)
{
    AddRecord(list, "A");
    AddRecord(list, "B");
    AddRecord(list, "Stale");
    auto folder = world.AddFolder(L"Global Contacts");
    auto team = fake_outlook::DistributionList();
    folder->items = {team};
    ASSERT_TRUE(Sync());
    ASSERT_EQ(folder->items.size(), 4u);
    const auto itemA = folder->items[1];
    const auto itemB = folder->items[2];
    const auto stale = folder->items[3];

    ContactList next{500};
    const ContactInfo& a = AddRecord(next, "A");
    ContactInfo& b = AddRecord(next, "B");
    b.SetField(ContactField::JobTitle, "B changed");
    const ContactInfo& c = AddRecord(next, "C");
    list = std::move(next);
    itemA->Edit(L"Department", L"Edited by hand");
    auto byHand = fake_outlook::ContactNamed(L"Added by hand");
    folder->items.push_back(byHand);
    world.calls.clear();

    EXPECT_TRUE(Sync());

    EXPECT_TRUE(world.CallsStartingWith("Columns.Add").empty()) << "a guarded member was called";
    EXPECT_TRUE(world.CallsStartingWith("Columns.RemoveAll").empty());
    auto fetched = [](const std::shared_ptr<fake_outlook::Item>& item) {
        return std::string("NameSpace.GetItemFromID(\"").append(WideToAnsi(item->entryId.c_str())).append("\")");
    };
    EXPECT_THAT(world.CallsStartingWith("NameSpace.GetItemFromID"),
                ElementsAre(fetched(itemB), fetched(itemA), fetched(byHand), fetched(stale)));
    std::vector<std::string> expected = {"Item.JobTitle=\"B changed\"", "Item.Save"};
    for (const ContactInfo* record : {&a, &c}) {
        for (const auto& [field, property] : kExpectedProperties)
            expected.push_back("Item." + WideToAnsi(property) + "=\"" + std::string(record->Field(field)) + "\"");
        expected.push_back("Item.Save");
    }
    expected.push_back("Item.Delete");
    EXPECT_EQ(world.CallsStartingWith("Item."), expected);
    EXPECT_TRUE(world.CallsStartingWith("Items.Add").empty());

    ASSERT_EQ(folder->items.size(), 4u);
    EXPECT_EQ(folder->items[0], team);
    EXPECT_EQ(folder->items[1], itemA);
    EXPECT_EQ(folder->items[2], itemB);
    EXPECT_EQ(itemA->properties[L"Department"], L"A 8");
    EXPECT_EQ(itemB->properties[L"JobTitle"], L"B changed");
    EXPECT_EQ(folder->items[3], byHand);
    EXPECT_EQ(byHand->properties[L"FullName"], L"C 3");
    EXPECT_EQ(services.statuses.back(), "Global Contacts created - 3 item(s)");

    // The record now vouches for every item: the next run writes nothing.
    world.calls.clear();
    EXPECT_TRUE(Sync());
    EXPECT_TRUE(world.CallsStartingWith("Item").empty());
}

// Without its record (lost, damaged, or never made on this PC) a run cannot know what
// the items hold: each is rewritten in place, keeping its identity, and the record is
// made anew.
TEST_F(OutlookDestinationTest, ALostRecordCostsOneRewriteInPlace)
{
    AddRecord(list, "A");
    AddRecord(list, "B");
    auto folder = world.AddFolder(L"Global Contacts");
    ASSERT_TRUE(Sync());
    const auto before = folder->items;
    for (const auto& entry : std::filesystem::directory_iterator(records))
        std::filesystem::resize_file(entry.path(), std::filesystem::file_size(entry.path()) / 2);
    world.calls.clear();

    EXPECT_TRUE(Sync());

    EXPECT_EQ(folder->items, before);
    EXPECT_EQ(world.CallsStartingWith("Item.Save").size(), 2u);
    EXPECT_TRUE(world.CallsStartingWith("Items.Add").empty());
    EXPECT_TRUE(world.CallsStartingWith("Item.Delete").empty());
    world.calls.clear();
    EXPECT_TRUE(Sync());
    EXPECT_TRUE(world.CallsStartingWith("Item").empty());
}

// Reading costs a few calls however large the folder: each read brings many rows, and no
// read asks for more rows than are left, which Outlook 2007 refuses.
TEST_F(OutlookDestinationTest, AnUnchangedFolderIsReadInAFewCallsAndNotWritten)
{
    auto folder = world.AddFolder(L"Global Contacts");
    folder->showAsAddressBook = true;
    for (int i = 0; i < 4001; ++i)
        AddRecord(list, std::to_string(i));
    ASSERT_TRUE(Sync());
    world.calls.clear();

    EXPECT_TRUE(Sync());

    EXPECT_THAT(world.CallsStartingWith("Table."),
                ElementsAre("Table.Columns", "Table.GetRowCount", "Table.GetArray(2000)", "Table.GetArray(2000)",
                            "Table.GetArray(1)"));
    EXPECT_TRUE(world.CallsStartingWith("Item").empty()) << "nothing added, saved or removed";
    EXPECT_TRUE(world.CallsStartingWith("Folder.ShowAsOutlookAB=").empty());
    EXPECT_EQ(services.statuses.back(), "Global Contacts created - 4001 item(s)");
}

// Outlook's own pages name the dimensions of GetArray's answer both ways round.
// A preview finds the folder without creating or marking it, calls nothing guarded and
// writes no item and no record; what an item holds without a record is not guessed.
TEST_F(OutlookDestinationTest, APreviewCreatesMarksAndWritesNothing)
{
    AddRecord(list, "A");
    services.preview = true;

    EXPECT_FALSE(Sync());

    EXPECT_TRUE(world.CallsStartingWith("Folders.Add").empty());
    EXPECT_TRUE(world.folders.empty());
    ASSERT_EQ(services.plans.size(), 1u);
    EXPECT_EQ(services.plans[0].added, 1u);

    auto folder = world.AddFolder(L"Global Contacts");
    folder->items = {fake_outlook::ContactNamed(L"Old 1"), fake_outlook::ContactNamed(L"Old 2")};
    services = {};
    services.preview = true;
    world.calls.clear();

    EXPECT_FALSE(Sync());

    EXPECT_TRUE(world.CallsStartingWith("Folder.ShowAsOutlookAB=").empty());
    EXPECT_TRUE(world.CallsStartingWith("Item").empty()) << "an item was read, written or removed";
    EXPECT_TRUE(world.CallsStartingWith("Columns.Add").empty());
    EXPECT_EQ(folder->items.size(), 2u);
    EXPECT_TRUE(std::filesystem::is_empty(records)) << "a record was written";
    ASSERT_EQ(services.plans.size(), 1u);
    std::vector<std::string> lines;
    for (const PlannedContact& contact : services.plans[0].contacts)
        lines.push_back(std::to_string(static_cast<int>(contact.change)) + " " + contact.name + " <" + contact.email +
                        ">" + (contact.known ? "" : " unknown"));
    // The row takes an item of unknown content whole; the other item goes.
    EXPECT_THAT(lines, ElementsAre("1 A 3 <A 2>", "2 Old 2 <> unknown"));
}

TEST(AsTextRows, ReadsRowsEitherWayRoundWithEmptyValuesAsEmptyText)
{
    auto make = [](ULONG first, ULONG second, bool rowsFirst) {
        SAFEARRAYBOUND bounds[2] = {{first, 0}, {second, 0}};
        Variant value;
        VARIANT* v = value.put();
        v->vt = VT_ARRAY | VT_VARIANT;
        v->parray = ::SafeArrayCreate(VT_VARIANT, 2, bounds);
        // Row 1 holds "x" in column 0; everything else stays empty.
        LONG at[2] = {rowsFirst ? 1 : 0, rowsFirst ? 0 : 1};
        Variant text(std::wstring(L"x"));
        ::SafeArrayPutElement(v->parray, at, const_cast<VARIANT*>(&text.get()));
        return value;
    };
    const std::vector<std::vector<std::wstring>> expected = {{L"", L"", L""}, {L"x", L"", L""}};
    EXPECT_EQ(AsTextRows(make(2, 3, true), 3), expected);
    EXPECT_EQ(AsTextRows(make(3, 2, false), 3), expected);
    EXPECT_TRUE(AsTextRows(Variant(), 3).empty());
    EXPECT_THROW(AsTextRows(make(2, 2, true), 3), EOleError);
}

} // namespace
