// The destination against the registered Outlook stand-in, a local server in a process
// of its own as Outlook is, so every call, text, error and reference crosses a process
// boundary; checked through outlookdump, so what is seen is what the store kept.
#include "destinations/outlook/OutlookDestination.h"

#include "ProcessOutput.h"
#include "RunServicesRecorder.h"
#include "base/FileHelpers.h"
#include "base/OleError.h"
#include "base/WideText.h"
#include "base/WinHandles.h"
#include "contacts/Contact.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <objbase.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
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

std::vector<std::string> Dump()
{
    DumpResult result = RunDump({});
    EXPECT_EQ(result.exitCode, 0u);
    return result.lines;
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
};

Session LastSession()
{
    const std::vector<std::string> lines = RunDump({"--calls"}).lines;
    Session session;
    if (lines.size() != 1 ||
        std::sscanf(lines[0].c_str(), "calls\t%d\t%d\t%d", &session.number, &session.lookups, &session.invokes) != 3)
        ADD_FAILURE() << "no calls line from outlookdump";
    return session;
}

TContactInfo& AddRecord(TContactList& list, const std::string& tag)
{
    TContactInfo& record = list.Emplace(std::vector<std::string>{});
    int n = 0;
    for (const auto& entry : TContactInfo::kFields)
        record.SetField(entry.field, tag + " " + std::to_string(++n));
    return record;
}

std::string ContactLine(const TContactInfo& record)
{
    std::string line = "contact";
    for (const auto& entry : TContactInfo::kFields) {
        line += '\t';
        for (char c : record.Field(entry.field)) {
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
std::vector<std::string> ReplacedBy(const TContactList& list, const std::vector<std::string>& others)
{
    std::vector<std::string> lines = {"folder\tGlobal Contacts\ttrue"};
    lines.insert(lines.end(), others.begin(), others.end());
    for (const TContactInfo& record : list)
        lines.push_back(ContactLine(record));
    return Sorted(lines);
}

// EntryID by full name (or list name) of every item in "Global Contacts"; a name held
// twice keeps its first.
std::map<std::string, std::string> IdsByName()
{
    std::map<std::string, std::string> ids;
    for (const std::string& line : RunDump({"--ids"}).lines) {
        if (line.rfind("id\t", 0) != 0)
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
        for (const char* kind : {"item\t", "remove\t", "show\t", "folder\t"})
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
    }
    void TearDown() override { ::CoUninitialize(); }

    bool Sync(const TContactList& list, const std::string& folderName = "Global Contacts",
              std::chrono::milliseconds busyLimit = kOutlookBusyLimit)
    {
        RunServicesRecorder services;
        const int before = LastSession().number;
        bool synced = false;
        try {
            // Only the run's server is busy, not the inspector's.
            const BusySpell spell(busy_);
            synced = SyncOutlook(list, folderName, services, CreateOutlookApplication, busyLimit);
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
    }

    // The server's TESSALY_OUTLOOK_BUSY while a run starts it (a new server each run).
    struct BusySpell {
        explicit BusySpell(const std::wstring& setting)
        {
            if (!setting.empty())
                ::SetEnvironmentVariableW(L"TESSALY_OUTLOOK_BUSY", setting.c_str());
        }
        ~BusySpell() { ::SetEnvironmentVariableW(L"TESSALY_OUTLOOK_BUSY", nullptr); }
        BusySpell(const BusySpell&) = delete;
        BusySpell& operator=(const BusySpell&) = delete;
    };

    std::wstring busy_;         // for the runs' servers; empty: never busy
    Session run_;               // what the last Sync cost the server
    size_t journalAfterRun_ = 0; // as the last Sync's server left it, before any other reader
};

TEST_F(OutlookStandInTest, SyncReplacesTheContactsAndKeepsTheDistributionList)
{
    Seed({"--folder", "Other", "--contact", "Other", "Elsewhere", "--folder", "Global Contacts", "--contact",
          "Global Contacts", "Old", "--distlist", "Global Contacts", "Team"});
    TContactList first(500);
    AddRecord(first, "A").SetField(ContactField::DisplayName, WideToAnsi(L"Zo\u00EB Tab\there"));
    AddRecord(first, "B").SetField(ContactField::HomeStreet, "Line 1\nLine 2 \\ back");
    first.Emplace(std::vector<std::string>{});

    ASSERT_TRUE(Sync(first));
    EXPECT_THAT(Dump(), ElementsAre("folder\tOther\tfalse", ContactLine(TContactInfo(std::vector<std::string>{})).replace(8, 0, "Elsewhere"),
                                    "folder\tGlobal Contacts\ttrue", "distlist\tTeam", ContactLine(first[0]),
                                    ContactLine(first[1]), ContactLine(first[2])));

    TContactList second(500);
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
    TContactList list(500);
    ASSERT_TRUE(Sync(list, "Nine"));
    EXPECT_THAT(Dump(), ElementsAre("folder\tNine\tfalse"));
}

TEST_F(OutlookStandInTest, FailedSaveEndsTheRunWithTheStandInsText)
{
    Seed({"--fail-save", "2", "The stand-in refused to save."});
    TContactList list(500);
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
    TContactList list(500);
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
    TContactList list(500);
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

// What a run costs the server: its lookups do not grow with the list, and each contact
// takes one call per property besides its Add and its Save.
TEST_F(OutlookStandInTest, EachContactCostsOneCallPerPropertyPlusItsAddAndSave)
{
    TContactList two(500);
    AddRecord(two, "A");
    AddRecord(two, "B");
    TContactList five(500);
    for (const char* tag : {"C", "D", "E", "F", "G"})
        AddRecord(five, tag);

    ASSERT_TRUE(Sync(two));
    const Session small = run_;
    Seed({"--reset"});
    ASSERT_TRUE(Sync(five));
    const Session large = run_;

    EXPECT_EQ(large.lookups, small.lookups);
    EXPECT_EQ(large.invokes - small.invokes, 3 * (18 + 2));
}

TEST_F(OutlookStandInTest, SavingOneItemOnlyAppendsToTheStore)
{
    // Few records with long fields: a large store without a slow run.
    const std::string longName(40, 'x');
    TContactList list(500);
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

// Each synchronisation leaves its removals and the replaced items in the journal; a
// later reader compacts it without losing or reordering anything.
TEST_F(OutlookStandInTest, RepeatedSyncsAreCompactedWithoutLoss)
{
    Seed({"--distlist", "Global Contacts", "Team", "--version", "10.0.2627"});
    TContactList list(500);
    for (int i = 0; i < 100; ++i)
        AddRecord(list, "Person " + std::to_string(i));
    for (int run = 0; run < 3; ++run)
        ASSERT_TRUE(Sync(list));
    const size_t grown = journalAfterRun_;

    std::vector<std::string> expected = {"folder\tGlobal Contacts\ttrue", "distlist\tTeam"};
    for (const TContactInfo& record : list)
        expected.push_back(ContactLine(record));
    EXPECT_THAT(Dump(), ElementsAreArray(expected));
    EXPECT_LT(ReadJournal().size(), grown / 2);
    EXPECT_THAT(Dump(), ElementsAreArray(expected));
    EXPECT_THAT(RunDump({"--folder", "Global Contacts", "--dump"}).lines, ElementsAreArray(expected))
        << "the version setting survived";
}

// A daily run of an unchanged list writes nothing, so every contact keeps its identity,
// and its cost does not grow with the folder: the table brings every item at once.
TEST_F(OutlookStandInTest, AnUnchangedReRunWritesNothingAndKeepsEveryEntryID)
{
    Seed({"--distlist", "Global Contacts", "Team"});
    TContactList list(500);
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
    TContactList first(500);
    for (const char* tag : {"A", "B", "C", "D", "D", "E"})
        AddRecord(first, tag);
    ASSERT_TRUE(Sync(first));
    const std::map<std::string, std::string> before = IdsByName();
    // By hand: A's job title changed (item 2: the list came first), a contact added.
    Seed({"--edit", "Global Contacts", "2", "JobTitle", "Changed by hand", "--contact", "Global Contacts", "Hand",
          "hand@example.com", "Added By Hand"});

    TContactList second(500);
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
    TContactList list(500);
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
    TContactList first(500);
    for (const char* tag : {"A", "B", "C", "D"})
        AddRecord(first, tag);
    ASSERT_TRUE(Sync(first));

    TContactList second(500);
    AddRecord(second, "A").SetField(ContactField::Company, "A moved");
    AddRecord(second, "B").SetField(ContactField::Company, "B moved");
    AddRecord(second, "E");
    AddRecord(second, "F");
    {
        // The second save of the run kills the server.
        ::SetEnvironmentVariableA("TESSALY_OUTLOOK_EXIT_AT_SAVE", "2");
        RunServicesRecorder services;
        EXPECT_THROW(SyncOutlook(second, "Global Contacts", services), EOleError);
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

} // namespace
