// The destination against the registered Outlook stand-in, a local server in a process
// of its own as Outlook is, so every call, text, error and reference crosses a process
// boundary; checked through outlookdump, so what is seen is what the store kept.
#include "destinations/outlook/OutlookDestination.h"

#include "ProcessOutput.h"
#include "support/RecordingRunServices.h"
#include "base/FileHelpers.h"
#include "base/OleError.h"
#include "base/WideText.h"
#include "base/WinHandles.h"
#include "contacts/Contact.h"
#include "destinations/outlook/DispatchCalls.h"
#include "destinations/outlook/OutlookMembers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <objbase.h>
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>

using namespace tessaly;
using testing::ElementsAre;
using testing::ElementsAreArray;

namespace {

std::string JournalPath()
{
    char folder[MAX_PATH];
    ::GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "tessaly-outlook-tests.journal";
}

// The journal as it is on disk.
std::string ReadJournal()
{
    UniqueKernelHandle file(::CreateFileA(JournalPath().c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string text;
    char buffer[65536];
    DWORD got = 0;
    while (file && ::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    return text;
}

struct DumpResult {
    DWORD exitCode = 0;
    std::vector<std::string> lines;
};

// Runs outlookdump with `args` and collects its output lines.
DumpResult RunDump(const std::vector<std::string>& args)
{
    std::string command = "\"" + ExecutableFolder() + "outlookdump.exe\"";
    for (const std::string& arg : args)
        command += " \"" + arg + "\"";
    const tessaly::test::ProcessResult run = tessaly::test::RunProcess(command, 60000);
    if (!run.finished)
        throw std::runtime_error("outlookdump.exe did not end");
    DumpResult result;
    result.exitCode = run.exitCode;
    result.lines = tessaly::test::Lines(run.output);
    return result;
}

const char kDeletedItemsLine[] = "folder\tDeleted Items\tfalse";

// The dump up to the Deleted Items folder, which it always prints last: the contacts folders.
std::vector<std::string> Dump()
{
    DumpResult result = RunDump({});
    EXPECT_EQ(result.exitCode, 0u);
    const auto deleted = std::find(result.lines.begin(), result.lines.end(), kDeletedItemsLine);
    EXPECT_NE(deleted, result.lines.end()) << "no Deleted Items folder";
    return std::vector<std::string>(result.lines.begin(), deleted);
}

// What the Deleted Items folder holds, as the dump prints it.
std::vector<std::string> DeletedItems()
{
    const std::vector<std::string> lines = RunDump({}).lines;
    const auto deleted = std::find(lines.begin(), lines.end(), kDeletedItemsLine);
    return deleted == lines.end() ? std::vector<std::string>{"no Deleted Items folder"}
                                  : std::vector<std::string>(deleted + 1, lines.end());
}

void Seed(const std::vector<std::string>& args)
{
    ASSERT_EQ(RunDump(args).exitCode, 0u);
}

// What the last client before this call cost the stand-in: a session lasts from a
// client's first object to the release of its last.
struct Session {
    int number = 0;
    int lookups = 0;
    int invokes = 0;
    int protectedCalls = -1; // since the store was reset, by any client
};

Session LastSession()
{
    const std::vector<std::string> lines = RunDump({"--calls"}).lines;
    Session session;
    if (lines.size() != 2 ||
        std::sscanf(lines[0].c_str(), "calls\t%d\t%d\t%d", &session.number, &session.lookups, &session.invokes) != 3 ||
        std::sscanf(lines[1].c_str(), "protected\t%d", &session.protectedCalls) != 1)
        ADD_FAILURE() << "no calls lines from outlookdump";
    return session;
}

// The calls of protected members that met the guard since the store was reset.
int ProtectedCalls()
{
    const std::vector<std::string> lines = RunDump({"--calls"}).lines;
    int count = -1;
    if (lines.size() != 2 || std::sscanf(lines[1].c_str(), "protected\t%d", &count) != 1)
        ADD_FAILURE() << "no protected line from outlookdump";
    return count;
}

ContactInfo& AddRecord(ContactList& list, const std::string& tag)
{
    ContactInfo& record = list.Emplace(std::vector<std::string>{});
    int n = 0;
    for (const auto& entry : ContactInfo::kFields)
        record.SetField(entry.field, tag + " " + std::to_string(++n));
    return record;
}

// The record's line as outlookdump prints it: in the ANSI code page (records hold UTF-8).
std::string ContactLine(const ContactInfo& record)
{
    std::string line = "contact";
    for (const auto& entry : ContactInfo::kFields) {
        line += '\t';
        for (char c : Utf8ToAnsi(record.Field(entry.field))) {
            switch (c) {
            case '\t': line += "\\t"; break;
            case '\n': line += "\\n"; break;
            case '\\': line += "\\\\"; break;
            default: line += c;
            }
        }
    }
    return line;
}

// The folder's dump lines after its own, sorted: what a folder holds, whatever its order.
std::vector<std::string> Sorted(std::vector<std::string> lines)
{
    std::sort(lines.begin(), lines.end());
    return lines;
}

// What a full replacement leaves in "Global Contacts": its mark, the list, the other items.
std::vector<std::string> ReplacedBy(const ContactList& list, const std::vector<std::string>& others)
{
    std::vector<std::string> lines = {"folder\tGlobal Contacts\ttrue"};
    lines.insert(lines.end(), others.begin(), others.end());
    for (const ContactInfo& record : list)
        lines.push_back(ContactLine(record));
    return Sorted(lines);
}

// EntryID by full name (or list name) of every item in "Global Contacts"; a name held
// twice keeps its first.
std::map<std::string, std::string> IdsByName()
{
    std::map<std::string, std::string> ids;
    bool inside = false;
    for (const std::string& line : RunDump({"--ids"}).lines) {
        if (line.rfind("folder\t", 0) == 0)
            inside = line == "folder\tGlobal Contacts";
        if (!inside || line.rfind("id\t", 0) != 0)
            continue;
        const size_t id = 3;
        const size_t kind = line.find('\t', id);
        const size_t name = line.find('\t', kind + 1);
        ids.emplace(line.substr(name + 1), line.substr(id, kind - id));
    }
    return ids;
}

// The store's own records of item and folder changes, without the sessions' call counts.
size_t StoreWrites(const std::string& journal)
{
    size_t writes = 0;
    for (const std::string& line : tessaly::test::Lines(journal)) {
        for (const char* kind : {"item\t", "remove\t", "move\t", "show\t", "folder\t"})
            writes += line.rfind(kind, 0) == 0 ? 1 : 0;
    }
    return writes;
}

class OutlookStandInTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ::SetEnvironmentVariableA("TESSALY_OUTLOOK_STORE", JournalPath().c_str()); }

    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        Seed({"--reset"});
        static int made = 0;
        records_ = std::filesystem::temp_directory_path() /
                   ("outlook-standin-records-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++made));
        std::filesystem::create_directories(records_);
    }
    void TearDown() override
    {
        ::CoUninitialize();
        std::error_code ignored;
        std::filesystem::remove_all(records_, ignored);
    }

    // Every run meets the guard as a hardened PC sets it, and must call nothing it guards.
    bool Sync(const ContactList& list, const std::string& folderName = "Global Contacts",
              std::chrono::milliseconds busyLimit = kOutlookBusyLimit)
    {
        test::RecordingRunServices services;
        const int before = LastSession().number;
        bool synced = false;
        try {
            // Only the run's server is busy or guarded, not the inspector's.
            const ServerSpell busy(L"TESSALY_OUTLOOK_BUSY", busy_);
            const ServerSpell guard(L"TESSALY_OUTLOOK_GUARD", L"deny");
            synced = SyncOutlook(list, folderName, services, CreateOutlookApplication, busyLimit, records_.wstring());
        } catch (const EOleError&) {
            ExpectRunEnded(before);
            throw;
        }
        EXPECT_TRUE(services.notices.empty()) << "is the stand-in registered in the prefix?";
        journalAfterRun_ = ReadJournal().size();
        ExpectRunEnded(before);
        return synced;
    }

    // The run's server recorded its session (the inspector's own came between), which
    // it does only once the last reference is released.
    void ExpectRunEnded(int sessionBefore)
    {
        run_ = LastSession();
        EXPECT_EQ(run_.number, sessionBefore + 2) << "a reference outlived the run";
        EXPECT_EQ(run_.protectedCalls, 0) << "the run called a member Outlook's guard protects";
    }

    // A setting of the server's environment while a run starts it (a new server each run).
    struct ServerSpell {
        ServerSpell(const wchar_t* name, const std::wstring& setting) : name_(name)
        {
            if (!setting.empty())
                ::SetEnvironmentVariableW(name_, setting.c_str());
        }
        ~ServerSpell() { ::SetEnvironmentVariableW(name_, nullptr); }
        ServerSpell(const ServerSpell&) = delete;
        ServerSpell& operator=(const ServerSpell&) = delete;

    private:
        const wchar_t* name_;
    };

    std::filesystem::path records_; // the runs' folder records

    std::wstring busy_;         // for the runs' servers; empty: never busy
    Session run_;               // what the last Sync cost the server
    size_t journalAfterRun_ = 0; // as the last Sync's server left it, before any other reader
};

TEST_F(OutlookStandInTest, SyncReplacesTheContactsAndKeepsTheDistributionList)
{
    Seed({"--folder", "Other", "--contact", "Other", "Elsewhere", "--folder", "Global Contacts", "--contact",
          "Global Contacts", "Old", "--distlist", "Global Contacts", "Team"});
    ContactList first(500);
    AddRecord(first, "A").SetField(ContactField::DisplayName, WideToUtf8(L"Zo\u00EB Tab\there"));
    AddRecord(first, "B").SetField(ContactField::HomeStreet, "Line 1\nLine 2 \\ back");
    first.Emplace(std::vector<std::string>{});

    ASSERT_TRUE(Sync(first));
    const std::vector<std::string> filled = Dump();
    ASSERT_EQ(filled.size(), 7u);
    EXPECT_THAT(std::vector<std::string>(filled.begin(), filled.begin() + 2),
                ElementsAre("folder\tOther\tfalse",
                            ContactLine(ContactInfo(std::vector<std::string>{})).replace(8, 0, "Elsewhere")));
    EXPECT_EQ(Sorted(std::vector<std::string>(filled.begin() + 2, filled.end())), ReplacedBy(first, {"distlist\tTeam"}));

    ContactList second(500);
    AddRecord(second, "C");
    ASSERT_TRUE(Sync(second));
    const std::vector<std::string> lines = Dump();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_THAT(std::vector<std::string>(lines.begin() + 2, lines.end()),
                ElementsAre("folder\tGlobal Contacts\ttrue", "distlist\tTeam", ContactLine(second[0])));
}

TEST_F(OutlookStandInTest, OlderVersionLeavesTheFolderOutOfTheAddressBook)
{
    Seed({"--version", "9.0.0.2711"});
    ContactList list(500);
    ASSERT_TRUE(Sync(list, "Nine"));
    EXPECT_THAT(Dump(), ElementsAre("folder\tNine\tfalse"));
}

TEST_F(OutlookStandInTest, FailedSaveEndsTheRunWithTheStandInsText)
{
    Seed({"--fail-save", "2", "The stand-in refused to save."});
    ContactList list(500);
    AddRecord(list, "A");
    AddRecord(list, "B");
    AddRecord(list, "C");

    // The description crosses from the server's process with the error.
    try {
        Sync(list);
        FAIL() << "no error raised";
    } catch (const EOleError& error) {
        EXPECT_STREQ(error.what(), "The stand-in refused to save.");
    }
    EXPECT_THAT(Dump(), ElementsAre("folder\tGlobal Contacts\ttrue", ContactLine(list[0])));
}

// A busy Outlook (a modal dialog open) refuses calls for a while: the run waits it out
// and ends as if it had never been busy.
TEST_F(OutlookStandInTest, AShortBusySpellIsRiddenOut)
{
    ContactList list(500);
    AddRecord(list, "A");
    AddRecord(list, "B");
    busy_ = L"5"; // its first five calls
    ASSERT_TRUE(Sync(list));
    EXPECT_THAT(Dump(), ElementsAre("folder\tGlobal Contacts\ttrue", ContactLine(list[0]), ContactLine(list[1])));
}

TEST_F(OutlookStandInTest, ASpellLongerThanTheLimitEndsTheRunAsBusyAndTouchesNothing)
{
    Seed({"--folder", "Global Contacts", "--contact", "Global Contacts", "Old"});
    const std::vector<std::string> before = Dump();
    ContactList list(500);
    AddRecord(list, "A");

    busy_ = L"600000ms"; // every call in its first ten minutes
    try {
        Sync(list, "Global Contacts", std::chrono::milliseconds(300));
        FAIL() << "no error raised";
    } catch (const EComponentBusy& error) {
        EXPECT_STREQ(error.what(), "Microsoft Outlook is busy. Please try again later.");
    }
    EXPECT_EQ(Dump(), before);
}

// What a run costs the server: its lookups do not grow with the list, and each new
// contact takes one call per property besides its Add, its Save and its EntryID.
TEST_F(OutlookStandInTest, EachContactCostsOneCallPerPropertyPlusItsAddSaveAndEntryID)
{
    ContactList two(500);
    AddRecord(two, "A");
    AddRecord(two, "B");
    ContactList five(500);
    for (const char* tag : {"C", "D", "E", "F", "G"})
        AddRecord(five, tag);

    ASSERT_TRUE(Sync(two));
    const Session small = run_;
    Seed({"--reset"});
    ASSERT_TRUE(Sync(five));
    const Session large = run_;

    EXPECT_EQ(large.lookups, small.lookups);
    EXPECT_EQ(large.invokes - small.invokes, 3 * (18 + 3));
}

TEST_F(OutlookStandInTest, SavingOneItemOnlyAppendsToTheStore)
{
    // Few records with long fields: a large store without a slow run.
    const std::string longName(40, 'x');
    ContactList list(500);
    for (int i = 0; i < 60; ++i)
        AddRecord(list, "Person " + std::to_string(i) + longName);
    ASSERT_TRUE(Sync(list));
    const std::string before = ReadJournal();

    Seed({"--contact", "Global Contacts", "One more"});

    const std::string after = ReadJournal();
    ASSERT_GT(before.size(), 30000u);
    EXPECT_EQ(after.compare(0, before.size(), before), 0) << "the journal was rewritten";
    EXPECT_LT(after.size() - before.size(), 200u);
    const std::vector<std::string> lines = Dump();
    ASSERT_EQ(lines.size(), 62u);
    EXPECT_EQ(lines[60], ContactLine(list[59]));
    EXPECT_EQ(lines[61].substr(0, 17), "contact\tOne more\t");
}

} // namespace

namespace {

// Synchronisations leave their moves into Deleted Items and the replaced items in the
// journal, emptying Deleted Items its removals, and each edit a record that the next one
// makes dead; a later reader compacts it without losing or reordering anything.
TEST_F(OutlookStandInTest, RepeatedSyncsAreCompactedWithoutLoss)
{
    Seed({"--distlist", "Global Contacts", "Team", "--version", "10.0.2627"});
    ContactList list(500);
    // Few contacts: the hand edits below are what outgrow the live records.
    for (int i = 0; i < 30; ++i)
        AddRecord(list, "Person " + std::to_string(i));
    for (int run = 0; run < 3; ++run) {
        ASSERT_TRUE(Sync(list));
        Seed({"--empty-deleted"});
    }
    // The first contact's job title (field 4) edited by hand again and again, then set back.
    std::vector<std::string> edits;
    for (int i = 0; i <= 300; ++i)
        edits.insert(edits.end(), {"--edit", "Global Contacts", "2", "JobTitle", i < 300 ? "Edited" : "Person 0 4"});
    Seed(edits);
    const size_t grown = ReadJournal().size();

    std::vector<std::string> expected = {"folder\tGlobal Contacts\ttrue", "distlist\tTeam"};
    for (const ContactInfo& record : list)
        expected.push_back(ContactLine(record));
    EXPECT_THAT(Dump(), ElementsAreArray(expected));
    EXPECT_LT(ReadJournal().size(), grown / 2);
    EXPECT_THAT(Dump(), ElementsAreArray(expected));
    EXPECT_THAT(DeletedItems(), ElementsAre());
    expected.push_back(kDeletedItemsLine);
    EXPECT_THAT(RunDump({"--folder", "Global Contacts", "--dump"}).lines, ElementsAreArray(expected))
        << "the version setting survived";
}

// A daily run of an unchanged list writes nothing, so every contact keeps its identity,
// and its cost does not grow with the folder: the table brings every item at once.
TEST_F(OutlookStandInTest, AnUnchangedReRunWritesNothingAndKeepsEveryEntryID)
{
    Seed({"--distlist", "Global Contacts", "Team"});
    ContactList list(500);
    for (int i = 0; i < 60; ++i)
        AddRecord(list, "Person " + std::to_string(i));
    AddRecord(list, "Person 0"); // a duplicate row needs a duplicate item
    ASSERT_TRUE(Sync(list));
    const std::map<std::string, std::string> ids = IdsByName();
    ASSERT_EQ(ids.size(), 61u);
    const size_t writes = StoreWrites(ReadJournal());

    ASSERT_TRUE(Sync(list));

    EXPECT_EQ(StoreWrites(ReadJournal()), writes);
    EXPECT_EQ(IdsByName(), ids);
    EXPECT_LT(run_.lookups + run_.invokes, 61) << "fewer calls than contacts";
    EXPECT_EQ(Sorted(Dump()), ReplacedBy(list, {"distlist\tTeam"}));
}

// Whatever changed, in the list or by hand, a re-run leaves what a full replacement
// would; the contacts it could update in place keep their EntryID.
TEST_F(OutlookStandInTest, AMixedChangeEndsAsAFullReplacementWould)
{
    Seed({"--distlist", "Global Contacts", "Team"});
    ContactList first(500);
    for (const char* tag : {"A", "B", "C", "D", "D", "E"})
        AddRecord(first, tag);
    ASSERT_TRUE(Sync(first));
    const std::map<std::string, std::string> before = IdsByName();
    // By hand: A's job title changed (item 2: the list came first), a contact added.
    Seed({"--edit", "Global Contacts", "2", "JobTitle", "Changed by hand", "--contact", "Global Contacts", "Hand",
          "hand@example.com", "Added By Hand"});

    ContactList second(500);
    AddRecord(second, "A");
    AddRecord(second, "B").SetField(ContactField::Company, "B moved");
    for (const char* tag : {"D", "D", "D", "F", "G"})
        AddRecord(second, tag);
    ASSERT_TRUE(Sync(second));

    EXPECT_EQ(Sorted(Dump()), ReplacedBy(second, {"distlist\tTeam"}));
    const std::map<std::string, std::string> after = IdsByName();
    EXPECT_EQ(after.at("A 3"), before.at("A 3"));
    EXPECT_EQ(after.at("B 3"), before.at("B 3"));
    EXPECT_EQ(after.at("D 3"), before.at("D 3"));
    EXPECT_EQ(after.at("Team"), before.at("Team"));
}

// An Outlook without the table (before 2007), or one that refuses it, still ends with
// the list: every contact is replaced, and nothing is said.
TEST_F(OutlookStandInTest, WithoutTheTableEveryContactIsReplaced)
{
    ContactList list(500);
    AddRecord(list, "A");
    AddRecord(list, "B");
    for (const char* older : {"11.0.5510", ""}) {
        SCOPED_TRACE(older);
        Seed({"--reset", "--distlist", "Global Contacts", "Team"});
        if (*older != '\0')
            Seed({"--version", older});
        ::SetEnvironmentVariableA("TESSALY_OUTLOOK_REFUSE_TABLE", *older == '\0' ? "1" : nullptr);
        ASSERT_TRUE(Sync(list));
        const std::map<std::string, std::string> ids = IdsByName();
        ASSERT_TRUE(Sync(list));
        ::SetEnvironmentVariableA("TESSALY_OUTLOOK_REFUSE_TABLE", nullptr);

        EXPECT_EQ(Sorted(Dump()), ReplacedBy(list, {"distlist\tTeam"}));
        const std::map<std::string, std::string> replaced = IdsByName();
        EXPECT_NE(replaced.at("A 3"), ids.at("A 3"));
        EXPECT_EQ(replaced.at("Team"), ids.at("Team"));
    }
}

// Outlook dies in the middle of a re-run: every contact of the list, or its previous
// version, is still there, and the next run ends with the list.
TEST_F(OutlookStandInTest, ARunKilledHalfwayLosesNothingAndTheNextOneConverges)
{
    ContactList first(500);
    for (const char* tag : {"A", "B", "C", "D"})
        AddRecord(first, tag);
    ASSERT_TRUE(Sync(first));

    ContactList second(500);
    AddRecord(second, "A").SetField(ContactField::Company, "A moved");
    AddRecord(second, "B").SetField(ContactField::Company, "B moved");
    AddRecord(second, "E");
    AddRecord(second, "F");
    {
        // The second save of the run kills the server.
        ::SetEnvironmentVariableA("TESSALY_OUTLOOK_EXIT_AT_SAVE", "2");
        test::RecordingRunServices services;
        EXPECT_THROW(
            SyncOutlook(second, "Global Contacts", services, CreateOutlookApplication, kOutlookBusyLimit, records_.wstring()),
            EOleError);
        ::SetEnvironmentVariableA("TESSALY_OUTLOOK_EXIT_AT_SAVE", nullptr);
    }
    const std::vector<std::string> cut = Dump();
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_TRUE(std::count(cut.begin(), cut.end(), ContactLine(first[i])) +
                        std::count(cut.begin(), cut.end(), ContactLine(second[i])) ==
                    1)
            << ContactLine(second[i]);
    }
    EXPECT_NE(std::find(cut.begin(), cut.end(), ContactLine(first[2])), cut.end()) << "removed before the writes";

    ASSERT_TRUE(Sync(second));
    EXPECT_EQ(Sorted(Dump()), ReplacedBy(second, {}));
}

// The record of the last run is only an optimisation: damaged or lost, it costs one
// rewrite of every contact in its own item, and the folder ends with the list.
TEST_F(OutlookStandInTest, ADamagedOrLostRecordEndsWithTheListAndKeepsEveryEntryID)
{
    ContactList list(500);
    for (const char* tag : {"A", "B", "C", "D"})
        AddRecord(list, tag);
    ASSERT_TRUE(Sync(list));
    const std::map<std::string, std::string> ids = IdsByName();

    for (const bool damaged : {true, false}) {
        SCOPED_TRACE(damaged ? "damaged" : "lost");
        for (const auto& entry : std::filesystem::directory_iterator(records_)) {
            if (damaged)
                std::filesystem::resize_file(entry.path(), std::filesystem::file_size(entry.path()) - 3);
            else
                std::filesystem::remove(entry.path());
        }
        const size_t writes = StoreWrites(ReadJournal());
        ASSERT_TRUE(Sync(list));
        EXPECT_GT(StoreWrites(ReadJournal()), writes) << "rewritten, as nothing vouched for the items";
        EXPECT_EQ(Sorted(Dump()), ReplacedBy(list, {}));
        EXPECT_EQ(IdsByName(), ids);
    }
    const size_t writes = StoreWrites(ReadJournal());
    ASSERT_TRUE(Sync(list));
    EXPECT_EQ(StoreWrites(ReadJournal()), writes) << "the record was made anew";
}

// Outlook 2007 refuses a read of more rows than are left: a small folder is read all the
// same, and keeps its contacts' identities.
TEST_F(OutlookStandInTest, Outlook2007ReadsASmallFolderAndKeepsIdentities)
{
    Seed({"--version", "12.0.0.6680"});
    ContactList list(500);
    for (const char* tag : {"A", "B", "C"})
        AddRecord(list, tag);
    ASSERT_TRUE(Sync(list));
    const std::map<std::string, std::string> ids = IdsByName();
    const size_t writes = StoreWrites(ReadJournal());

    ASSERT_TRUE(Sync(list));

    EXPECT_EQ(StoreWrites(ReadJournal()), writes);
    EXPECT_EQ(IdsByName(), ids);
}

// Removed contacts go where Outlook's Delete puts them, and only those: a list that
// lost five contacts leaves exactly those five in Deleted Items, and a contact added by
// hand where no row is left for it follows them.
TEST_F(OutlookStandInTest, RemovedContactsAreExactlyThoseInDeletedItems)
{
    ContactList all(500);
    for (const char* tag : {"A", "B", "C", "D", "E", "F", "G", "H"})
        AddRecord(all, tag);
    ASSERT_TRUE(Sync(all));
    ContactList kept(500);
    for (const char* tag : {"A", "B", "C"})
        AddRecord(kept, tag);

    ASSERT_TRUE(Sync(kept));

    std::vector<std::string> removed;
    for (size_t i = 3; i < all.Count(); ++i)
        removed.push_back(ContactLine(all[i]));
    EXPECT_EQ(Sorted(DeletedItems()), Sorted(removed));
    EXPECT_EQ(Sorted(Dump()), ReplacedBy(kept, {}));

    Seed({"--contact", "Global Contacts", "Hand", "hand@example.com", "Added By Hand"});
    ASSERT_TRUE(Sync(kept));
    const std::vector<std::string> deleted = DeletedItems();
    ASSERT_EQ(deleted.size(), 6u);
    EXPECT_EQ(Sorted(Dump()), ReplacedBy(kept, {}));
}

} // namespace

namespace {

using tessaly::outlook::CLSID_Application;
using tessaly::outlook::kApplicationContext;
using Microsoft::WRL::ComPtr;

constexpr HRESULT kGuardDenied = static_cast<HRESULT>(0x80040102); // MAPI_E_NO_SUPPORT
constexpr int kDeletedItemsFolder = 3;                              // OlDefaultFolders

// A client of the stand-in's own, its server started with `guard` as its
// TESSALY_OUTLOOK_GUARD (a new server for every client).
struct StandInClient {
    explicit StandInClient(const wchar_t* guard = nullptr)
    {
        if (guard != nullptr)
            ::SetEnvironmentVariableW(L"TESSALY_OUTLOOK_GUARD", guard);
        const HRESULT created =
            ::CoCreateInstance(CLSID_Application, nullptr, kApplicationContext, IID_PPV_ARGS(&application));
        ::SetEnvironmentVariableW(L"TESSALY_OUTLOOK_GUARD", nullptr);
        OleCheck(created);
        space = AsDispatch(DispGet(application.Get(), L"Session"));
        contacts = AsDispatch(DispCall(space.Get(), L"GetDefaultFolder", {Variant(10)}));
    }

    ComPtr<IDispatch> Folder(const std::wstring& name) const
    {
        ComPtr<IDispatch> folders = AsDispatch(DispGet(contacts.Get(), L"Folders"));
        return AsDispatch(DispGet(folders.Get(), L"Item", {Variant(name)}));
    }
    ComPtr<IDispatch> Items(const std::wstring& folder) const
    {
        return AsDispatch(DispGet(Folder(folder).Get(), L"Items"));
    }
    ComPtr<IDispatch> Item(const std::wstring& folder, int index) const
    {
        return AsDispatch(DispGet(Items(folder).Get(), L"Item", {Variant(index)}));
    }

    ComPtr<IDispatch> application;
    ComPtr<IDispatch> space;
    ComPtr<IDispatch> contacts;
};

HRESULT FailureOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const EOleError& error) {
        return error.Code();
    }
    return S_OK;
}

// A VT_DATE result as it came.
double DateOf(const Variant& value)
{
    EXPECT_EQ(value.get().vt, VT_DATE);
    return value.get().date;
}

// One cell of a GetArray result, as it came.
Variant Cell(const Variant& array, LONG row, LONG column)
{
    Variant cell;
    LONG at[2] = {row, column};
    EXPECT_HRESULT_SUCCEEDED(::SafeArrayGetElement(array.get().parray, at, cell.put()));
    return cell;
}

LONG RowsOf(const Variant& array)
{
    LONG upper = -1;
    ::SafeArrayGetUBound(array.get().parray, 1, &upper);
    return upper + 1;
}

// Denied by policy, every protected member fails with the guard's error and is counted;
// the members it does not protect, puts included, work as before.
TEST_F(OutlookStandInTest, TheDenyingGuardFailsEveryProtectedCallAndCountsIt)
{
    Seed({"--contact", "Global Contacts", "Nick", "ann@example.com", "Ann Lee"});
    ASSERT_EQ(ProtectedCalls(), 0);
    {
        StandInClient client(L"deny");
        ComPtr<IDispatch> item = client.Item(L"Global Contacts", 1);
        EXPECT_EQ(FailureOf([&] { DispGet(item.Get(), L"Email1Address"); }), kGuardDenied);
        EXPECT_EQ(FailureOf([&] { DispGet(item.Get(), L"Body"); }), kGuardDenied);
        EXPECT_EQ(FailureOf([&] { DispCall(item.Get(), L"SaveAs", {Variant(std::wstring(L"C:\\x.msg"))}); }),
                  kGuardDenied);
        ComPtr<IDispatch> table = AsDispatch(DispCall(client.Folder(L"Global Contacts").Get(), L"GetTable"));
        ComPtr<IDispatch> columns = AsDispatch(DispGet(table.Get(), L"Columns"));
        EXPECT_EQ(FailureOf([&] { DispCall(columns.Get(), L"Add", {Variant(std::wstring(L"JobTitle"))}); }),
                  kGuardDenied);

        EXPECT_EQ(AsText(DispGet(item.Get(), L"FullName")), L"Ann Lee");
        EXPECT_FALSE(AsText(DispGet(item.Get(), L"EntryID")).empty());
        DispPut(item.Get(), L"Email1Address", Variant(std::wstring(L"new@example.com")));
        DispCall(item.Get(), L"Save");
    }
    EXPECT_EQ(ProtectedCalls(), 4);
    const std::vector<std::string> lines = Dump();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].substr(0, 36), "contact\tNick\tnew@example.com\tAnn Lee");
}

// The process a process started, or 0.
DWORD ChildOf(DWORD parent)
{
    UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ParentProcessID == parent)
            return entry.th32ProcessID;
    }
    return 0;
}

// Behind a prompt nobody answers, a protected call blocks: its client waits, other
// clients are served meanwhile, the call is already counted, and once the client is
// ended (a scheduled task's time limit) its server ends too. (Wine's COM lets no client
// cancel a call, so ending it is the way a client gives up there.)
TEST_F(OutlookStandInTest, APromptBlocksTheProtectedCallUntilItsClientEnds)
{
    Seed({"--contact", "Global Contacts", "Nick", "ann@example.com", "Ann Lee"});
    std::string command = "\"" + ExecutableFolder() + "outlookdump.exe\" --get \"Global Contacts\" 1 Email1Address";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    ::SetEnvironmentVariableW(L"TESSALY_OUTLOOK_GUARD", L"prompt");
    const BOOL ok = ::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                     &started);
    ::SetEnvironmentVariableW(L"TESSALY_OUTLOOK_GUARD", nullptr);
    ASSERT_TRUE(ok);
    UniqueKernelHandle client(started.hProcess);
    UniqueKernelHandle clientThread(started.hThread);

    // The count reaches the journal before the prompt shows. Watched in the file, not
    // through a client of its own, whose activation could race the child's.
    for (int looks = 0; ReadJournal().find("\nprotected\t1\n") == std::string::npos; ++looks) {
        ASSERT_LT(looks, 600) << "the protected call was never asked";
        ASSERT_EQ(::WaitForSingleObject(client.get(), 100), WAIT_TIMEOUT) << "the protected call was answered";
    }
    // Each of these is a client of its own, served while the prompt shows.
    EXPECT_EQ(ProtectedCalls(), 1);
    EXPECT_EQ(::WaitForSingleObject(client.get(), 0), WAIT_TIMEOUT) << "the protected call was answered";
    EXPECT_EQ(Dump().size(), 2u);

    UniqueKernelHandle server(::OpenProcess(SYNCHRONIZE, FALSE, ChildOf(started.dwProcessId)));
    ASSERT_TRUE(server) << "no server of the client's";
    ::TerminateProcess(client.get(), 1);
    EXPECT_EQ(::WaitForSingleObject(server.get(), 60000), WAIT_OBJECT_0) << "the prompting server outlived its client";
}

// Delete and Items.Remove move an item into Deleted Items, beside the Contacts folder
// rather than under it; deleting it there removes it for good.
TEST_F(OutlookStandInTest, DeletedItemsLandInDeletedItems)
{
    Seed({"--contact", "Global Contacts", "A", "a@example.com", "Ann", "--contact", "Global Contacts", "B",
          "b@example.com", "Bob", "--contact", "Global Contacts", "C", "c@example.com", "Cy"});
    const std::vector<std::string> before = RunDump({}).lines;
    ASSERT_EQ(before.size(), 5u);
    {
        StandInClient client;
        DispCall(client.Item(L"Global Contacts", 1).Get(), L"Delete");
        DispCall(client.Items(L"Global Contacts").Get(), L"Remove", {Variant(1)});
        ComPtr<IDispatch> folders = AsDispatch(DispGet(client.contacts.Get(), L"Folders"));
        EXPECT_EQ(AsInteger(DispGet(folders.Get(), L"Count")), 1) << "Deleted Items under Contacts";
    }
    EXPECT_THAT(Dump(), ElementsAre(before[0], before[3]));
    EXPECT_THAT(DeletedItems(), ElementsAre(before[1], before[2]));
    {
        StandInClient client;
        ComPtr<IDispatch> deleted = AsDispatch(DispCall(client.space.Get(), L"GetDefaultFolder", {Variant(kDeletedItemsFolder)}));
        ComPtr<IDispatch> items = AsDispatch(DispGet(deleted.Get(), L"Items"));
        DispCall(items.Get(), L"Remove", {Variant(1)});
    }
    EXPECT_THAT(DeletedItems(), ElementsAre(before[2]));
}

// Creation sets both times and every save moves the modification time on, even within
// a millisecond; the table's default columns show them as dates, as the item does, and
// an edit in Outlook's window moves it too.
TEST_F(OutlookStandInTest, EverySaveMovesTheModificationTimeOnAndTheTableShowsIt)
{
    Seed({"--folder", "Global Contacts"});
    double created = 0;
    double saved = 0;
    {
        StandInClient client;
        ComPtr<IDispatch> item =
            AsDispatch(DispCall(client.Items(L"Global Contacts").Get(), L"Add", {Variant(tessaly::outlook::olContactItem)}));
        DispPut(item.Get(), L"FullName", Variant(std::wstring(L"Ann Lee")));
        DispCall(item.Get(), L"Save");
        created = DateOf(DispGet(item.Get(), L"CreationTime"));
        const double first = DateOf(DispGet(item.Get(), L"LastModificationTime"));
        EXPECT_EQ(first, created);
        DispCall(item.Get(), L"Save");
        saved = DateOf(DispGet(item.Get(), L"LastModificationTime"));
        EXPECT_GT(saved, first);
        EXPECT_EQ(DateOf(DispGet(item.Get(), L"CreationTime")), created);

        ComPtr<IDispatch> table = AsDispatch(DispCall(client.Folder(L"Global Contacts").Get(), L"GetTable"));
        EXPECT_EQ(AsInteger(DispCall(table.Get(), L"GetRowCount")), 1);
        const Variant rows = DispCall(table.Get(), L"GetArray", {Variant(1)});
        ASSERT_EQ(RowsOf(rows), 1);
        EXPECT_EQ(DateOf(Cell(rows, 0, 2)), created); // CreationTime
        EXPECT_EQ(DateOf(Cell(rows, 0, 3)), saved);   // LastModificationTime
    }
    Seed({"--edit", "Global Contacts", "1", "JobTitle", "Edited by hand"});
    StandInClient client;
    EXPECT_GT(DateOf(DispGet(client.Item(L"Global Contacts", 1).Get(), L"LastModificationTime")), saved);
}

// Outlook 2007 documents an error when GetArray asks for more rows than the table
// holds (the stand-in: than are left); later versions hand out what there is.
TEST_F(OutlookStandInTest, Outlook2007RefusesToHandOutMoreRowsThanAreLeft)
{
    Seed({"--contact", "Global Contacts", "A", "--contact", "Global Contacts", "B", "--contact", "Global Contacts",
          "C"});
    for (const char* version : {"12.0.0.6680", "16.0.0.17628"}) {
        SCOPED_TRACE(version);
        Seed({"--version", version});
        StandInClient client;
        ComPtr<IDispatch> table = AsDispatch(DispCall(client.Folder(L"Global Contacts").Get(), L"GetTable"));
        const bool refuses = version[1] == '2';
        try {
            EXPECT_EQ(RowsOf(DispCall(table.Get(), L"GetArray", {Variant(4)})), 3);
            EXPECT_FALSE(refuses) << "four rows from a table of three";
        } catch (const EOleError& error) {
            EXPECT_TRUE(refuses) << error.what();
            EXPECT_EQ(error.Code(), E_INVALIDARG);
            EXPECT_STREQ(error.what(), "Could not complete the operation. One or more parameter values are not valid.");
        }
        DispCall(table.Get(), L"MoveToStart");
        EXPECT_EQ(RowsOf(DispCall(table.Get(), L"GetArray", {Variant(2)})), 2);
        try {
            EXPECT_EQ(RowsOf(DispCall(table.Get(), L"GetArray", {Variant(2)})), 1) << "the rest, fewer than asked";
            EXPECT_FALSE(refuses) << "two rows where one is left";
        } catch (const EOleError& error) {
            EXPECT_TRUE(refuses) << error.what();
        }
    }
}

// A folder is found again by its store and EntryID; a reset makes another store.
TEST_F(OutlookStandInTest, AFolderIsFoundByItsStoreAndEntryID)
{
    Seed({"--folder", "Global Contacts"});
    std::wstring entryId;
    std::wstring storeId;
    {
        StandInClient client;
        ComPtr<IDispatch> folder = client.Folder(L"Global Contacts");
        entryId = AsText(DispGet(folder.Get(), L"EntryID"));
        storeId = AsText(DispGet(folder.Get(), L"StoreID"));
        ComPtr<IDispatch> found =
            AsDispatch(DispCall(client.space.Get(), L"GetFolderFromID", {Variant(entryId), Variant(storeId)}));
        EXPECT_EQ(AsText(DispGet(found.Get(), L"Name")), L"Global Contacts");
        EXPECT_NE(entryId, AsText(DispGet(client.contacts.Get(), L"EntryID")));
    }
    Seed({"--reset", "--folder", "Global Contacts"});
    StandInClient client;
    EXPECT_NE(AsText(DispGet(client.Folder(L"Global Contacts").Get(), L"StoreID")), storeId);
    EXPECT_NE(FailureOf([&] { DispCall(client.space.Get(), L"GetFolderFromID", {Variant(entryId), Variant(storeId)}); }),
              S_OK);
}

} // namespace
