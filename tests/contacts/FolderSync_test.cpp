#include "contacts/FolderSync.h"

#include "ContactValuesSupport.h"
#include "support/RecordingRunServices.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace tessaly;
using tessaly::test::Person;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// A folder in memory whose items hold values, stamped by a counter as a store stamps
// every save; it logs what the run asks of it.
class MemoryFolder final : public IContactFolder {
public:
    struct Item {
        std::string id;
        std::string stamp;
        ContactValues values;
        bool readable = true;
    };

    FolderOpening Open(std::vector<FolderEntry>& entries) override
    {
        log.push_back("open");
        for (const Item& item : items)
            entries.push_back({{item.id, item.stamp, Name(item.values)}, {}});
        opened = items;
        return opening;
    }
    size_t CountContactItems() override { return items.size(); }
    void RemoveAll() override
    {
        log.push_back("remove all");
        items.clear();
    }
    ItemContent ReadItem(size_t item, ContactValues& values) override
    {
        log.push_back("read " + opened[item].id);
        if (!readsBack)
            return ItemContent::Unknown;
        if (!opened[item].readable)
            return ItemContent::Foreign;
        values = opened[item].values;
        return ItemContent::Read;
    }
    void Prepare(const FolderChanges&) override { log.push_back("prepare"); }
    bool Update(size_t item, size_t row, const ContactValues* held) override
    {
        log.push_back((held ? "update " : "rewrite ") + opened[item].id + " row " + std::to_string(row));
        Item* found = Find(opened[item].id);
        if (found == nullptr || row == failingRow)
            return false;
        found->values = (*rows)[row];
        found->stamp = NextStamp();
        return true;
    }
    bool Add(size_t row, std::string& identity) override
    {
        log.push_back("add row " + std::to_string(row));
        if (row == failingRow)
            return false;
        identity = "n" + std::to_string(row);
        items.push_back({identity, NextStamp(), (*rows)[row]});
        return true;
    }
    bool Remove(const std::vector<size_t>& removed) override
    {
        for (size_t item : removed) {
            log.push_back("remove " + opened[item].id);
            std::erase_if(items, [&](const Item& i) { return i.id == opened[item].id; });
        }
        return removes;
    }
    bool Commit(bool complete) override
    {
        log.push_back(complete ? "commit complete" : "commit short");
        return commits;
    }
    std::optional<std::string> RecordIdentity() override
    {
        return keepsRecord ? std::optional<std::string>("folder") : std::nullopt;
    }
    std::optional<FolderRecord> LoadRecord(const std::string& identity) override
    {
        if (record && record->folder == identity)
            return record;
        return std::nullopt;
    }
    void SaveRecord(const FolderRecord& saved) override
    {
        log.push_back("save record");
        record = saved;
    }
    std::vector<ListedItem> ListAgain() override
    {
        std::vector<ListedItem> listed;
        for (const Item& item : items)
            listed.push_back({item.id, item.stamp, Name(item.values)});
        return listed;
    }

    static std::string Name(const ContactValues& values) { return values[static_cast<size_t>(ContactField::DisplayName)]; }
    std::string NextStamp() { return "s" + std::to_string(++stamps); }
    Item* Find(const std::string& id)
    {
        for (Item& item : items)
            if (item.id == id)
                return &item;
        return nullptr;
    }

    const std::vector<ContactValues>* rows = nullptr;
    std::vector<Item> items;
    std::vector<Item> opened;
    std::vector<std::string> log;
    std::optional<FolderRecord> record;
    FolderOpening opening = FolderOpening::Listed;
    bool readsBack = true;
    bool keepsRecord = true;
    bool removes = true;
    bool commits = true;
    size_t failingRow = SIZE_MAX;
    int stamps = 0;
};

class FolderSyncTest : public ::testing::Test {
protected:
    bool Sync()
    {
        folder.rows = &rows;
        folder.log.clear();
        return SyncContactFolder(folder, rows, "Global Contacts", services);
    }

    std::vector<ContactValues> rows;
    MemoryFolder folder;
    test::RecordingRunServices services;
};

} // namespace

TEST_F(FolderSyncTest, AStopRequestEndsTheRunBeforeTheFolderIsOpenedOrTheStatusSet)
{
    rows = {Person("a@x", "A")};
    services.stop = true;

    EXPECT_FALSE(Sync());

    EXPECT_THAT(folder.log, IsEmpty());
    EXPECT_THAT(services.statuses, IsEmpty());
    EXPECT_THAT(services.notices, IsEmpty());
}

TEST_F(FolderSyncTest, WritesComeBeforeAnyRemovalAndTheCommitComesLast)
{
    folder.items = {{"1", "t", Person("a@x", "A", "old")}, {"2", "t", Person("gone@x", "Gone")}};
    rows = {Person("new@x", "New"), Person("a@x", "A", "new")};

    EXPECT_TRUE(Sync());

    EXPECT_THAT(folder.log, ElementsAre("open", "read 1", "read 2", "prepare", "update 1 row 1", "add row 0",
                                        "remove 2", "commit complete", "save record"));
    EXPECT_THAT(services.statuses, ElementsAre("Performing Sync..", "Global Contacts created - 2 item(s)"));
    EXPECT_THAT(services.notices, IsEmpty());
}

// Success is every row in the committed folder and every stale item gone.
TEST_F(FolderSyncTest, OnlyAFullCountInACommittedFolderWithNothingStaleLeftSucceeds)
{
    rows = {Person("a@x", "A"), Person("b@x", "B")};
    folder.failingRow = 1;
    EXPECT_FALSE(Sync());
    EXPECT_EQ(services.statuses.back(), "Global Contacts created - 1 item(s)");
    EXPECT_THAT(services.NoticeTexts(), ElementsAre("Only 1 of 2 contacts could be saved."));

    // A folder left as it was reports no count and says so.
    services = {};
    folder.items.clear();
    folder.commits = false;
    EXPECT_FALSE(Sync());
    EXPECT_THAT(services.statuses, ElementsAre("Performing Sync.."));
    EXPECT_THAT(services.NoticeTexts(),
                ElementsAre("Only 1 of 2 contacts could be saved.\r\nThe contact folder was left as it was."));

    // A stale item that stays fails the run without a warning of its own.
    services = {};
    folder.items = {{"x", "t", Person("x@x", "X")}};
    folder.commits = true;
    folder.failingRow = SIZE_MAX;
    folder.removes = false;
    EXPECT_FALSE(Sync());
    EXPECT_THAT(services.notices, IsEmpty());

    // An empty list empties the folder, and that is what was asked.
    services = {};
    rows.clear();
    folder.removes = true;
    EXPECT_TRUE(Sync());
    EXPECT_THAT(folder.items, IsEmpty());
    EXPECT_EQ(services.statuses.back(), "Global Contacts created - 0 item(s)");
}

TEST_F(FolderSyncTest, AFolderThatCannotBeOpenedOrFoundWritesNothing)
{
    rows = {Person("a@x", "A")};
    folder.opening = FolderOpening::Failed;
    EXPECT_FALSE(Sync());
    EXPECT_THAT(folder.log, ElementsAre("open"));
    EXPECT_THAT(services.statuses, ElementsAre("Performing Sync.."));
    EXPECT_THAT(services.notices, IsEmpty());

    services = {};
    folder.opening = FolderOpening::Missing;
    EXPECT_FALSE(Sync());
    EXPECT_THAT(folder.log, ElementsAre("open", "prepare", "commit short"));
    EXPECT_THAT(services.NoticeTexts(), ElementsAre("Only 0 of 1 contacts could be saved."));
}

TEST_F(FolderSyncTest, AFolderThatCannotBeListedIsEmptiedAndWrittenAnewWithoutARecord)
{
    folder.items = {{"1", "t", Person("a@x", "A")}};
    folder.opening = FolderOpening::Unlisted;
    rows = {Person("a@x", "A")};

    EXPECT_TRUE(Sync());

    EXPECT_THAT(folder.log, ElementsAre("open", "remove all", "prepare", "add row 0", "commit complete"));
}

// The record vouches for an item whose identity and stamp match: it is not read back.
// An item changed since is read back; one that cannot be read is rewritten, or removed.
TEST_F(FolderSyncTest, TheRecordSparesReadingOnlyItemsWhoseStampStillMatches)
{
    folder.items = {{"1", "t", Person("a@x", "A")}, {"2", "t", Person("b@x", "B")}};
    rows = {Person("a@x", "A"), Person("b@x", "B")};
    ASSERT_TRUE(Sync());
    EXPECT_THAT(folder.log, ElementsAre("open", "read 1", "read 2", "prepare", "commit complete", "save record"))
        << "what was read back is recorded, though nothing changed";

    ASSERT_TRUE(Sync());
    EXPECT_THAT(folder.log, ElementsAre("open", "prepare", "commit complete")) << "nothing read, nothing saved";

    folder.items[1].stamp = "edited";
    folder.items[1].values = Person("b@x", "B", "by hand");
    ASSERT_TRUE(Sync());
    EXPECT_THAT(folder.log,
                ElementsAre("open", "read 2", "prepare", "update 2 row 1", "commit complete", "save record"));
    EXPECT_EQ(folder.items[1].values, rows[1]);

    // Where items cannot be read, an unvouched one takes an unmatched row whole.
    folder.readsBack = false;
    folder.items[0].stamp = "edited";
    folder.items[0].values = Person("a@x", "A", "by hand");
    ASSERT_TRUE(Sync());
    EXPECT_THAT(folder.log,
                ElementsAre("open", "read 1", "prepare", "rewrite 1 row 0", "commit complete", "save record"));
    EXPECT_EQ(folder.items[0].values, rows[0]);
}

TEST_F(FolderSyncTest, AnItemThatIsNotAReadableContactGoesAndIsNeverRewritten)
{
    folder.items = {{"1", "t", Person("a@x", "A")}, {"2", "t", Person("", "Junk")}};
    folder.items[1].readable = false;
    rows = {Person("a@x", "A"), Person("b@x", "B")};

    EXPECT_TRUE(Sync());

    EXPECT_THAT(folder.log, ElementsAre("open", "read 1", "read 2", "prepare", "add row 1", "remove 2",
                                        "commit complete", "save record"));
}

TEST_F(FolderSyncTest, AFolderThatKeepsNoRecordIsNeitherAskedForOneNorGivenOne)
{
    folder.keepsRecord = false;
    folder.items = {{"1", "t", Person("a@x", "A", "old")}};
    rows = {Person("a@x", "A", "new")};

    EXPECT_TRUE(Sync());

    EXPECT_THAT(folder.log, ElementsAre("open", "read 1", "prepare", "update 1 row 0", "commit complete"));
    EXPECT_FALSE(folder.record.has_value());
}

// The plan is told before the first change, counted as the run would apply it; refused,
// it leaves the folder untouched, whether it was listed or would be replaced.
TEST_F(FolderSyncTest, ARefusedPlanChangesNothingAndItsCountsAreThoseOfTheRun)
{
    folder.items = {{"1", "t", Person("a@x", "A", "old")}, {"2", "t", Person("b@x", "B")},
                    {"3", "t", Person("c@x", "C")}, {"4", "t", Person("d@x", "D")}};
    rows = {Person("a@x", "A", "new"), Person("b@x", "B"), Person("e@x", "E")};
    services.approve = false;

    EXPECT_FALSE(Sync());

    EXPECT_THAT(folder.log, ElementsAre("open", "read 1", "read 2", "read 3", "read 4"));
    ASSERT_EQ(services.plans.size(), 1u);
    const PlannedChanges& plan = services.plans[0];
    EXPECT_EQ(plan.held, 4u);
    EXPECT_EQ(plan.unchanged, 1u);
    EXPECT_EQ(plan.updated, 1u);
    EXPECT_EQ(plan.added, 1u);
    EXPECT_EQ(plan.removed, 2u);
    EXPECT_FALSE(plan.replacement);
    EXPECT_THAT(services.notices, IsEmpty());

    folder.opening = FolderOpening::Unlisted;
    services.plans.clear();
    EXPECT_FALSE(Sync());
    EXPECT_THAT(folder.log, ElementsAre("open"));
    EXPECT_EQ(folder.items.size(), 4u);
    ASSERT_EQ(services.plans.size(), 1u);
    EXPECT_TRUE(services.plans[0].replacement);
    EXPECT_EQ(services.plans[0].held, 4u);
    EXPECT_EQ(services.plans[0].added, 3u);
}

namespace {

std::vector<std::string> PreviewLines(const PlannedChanges& plan)
{
    std::vector<std::string> lines;
    for (const PlannedContact& contact : plan.contacts) {
        const char* change = contact.change == PlannedContact::Change::Add      ? "add "
                             : contact.change == PlannedContact::Change::Update ? "update "
                                                                                : "remove ";
        lines.push_back(change + contact.name + " <" + contact.email + ">" + (contact.known ? "" : " unknown"));
    }
    return lines;
}

} // namespace

// A preview names every contact the run would add, update or remove, and ends at the
// plan: nothing is written, removed, committed or recorded.
TEST_F(FolderSyncTest, APreviewNamesThePlannedContactsAndChangesNothing)
{
    folder.items = {{"1", "t", Person("a@x", "A", "old")},
                    {"2", "t", Person("gone@x", "Gone")},
                    {"3", "t", Person("same@x", "Same")},
                    {"f", "t", Person("", ""), false}};
    rows = {Person("new@x", "New"), Person("a@x", "A", "new"), Person("same@x", "Same")};
    services.preview = true;
    const std::vector<MemoryFolder::Item> before = folder.items;

    EXPECT_FALSE(Sync());

    EXPECT_THAT(folder.log, ElementsAre("open", "read 1", "read 2", "read 3", "read f"));
    EXPECT_EQ(folder.items.size(), before.size());
    EXPECT_FALSE(folder.record.has_value());
    ASSERT_EQ(services.plans.size(), 1u);
    const PlannedChanges& plan = services.plans[0];
    EXPECT_EQ(plan.held, 4u);
    EXPECT_EQ(plan.unchanged, 1u);
    EXPECT_EQ(plan.added, 1u);
    EXPECT_EQ(plan.updated, 1u);
    EXPECT_EQ(plan.removed, 2u);
    EXPECT_THAT(PreviewLines(plan),
                ElementsAre("add New <new@x>", "update A <a@x>", "remove Gone <gone@x>", "remove f <> unknown"));
    EXPECT_THAT(services.statuses, ElementsAre("Performing Sync.."));
    EXPECT_THAT(services.notices, IsEmpty());

    // An ordinary run's plan carries no names.
    services = {};
    ASSERT_TRUE(Sync());
    ASSERT_EQ(services.plans.size(), 1u);
    EXPECT_THAT(services.plans[0].contacts, IsEmpty());
}

// A run would create a missing folder and add every row; a folder that cannot be listed
// is replaced, and what it holds cannot be named.
TEST_F(FolderSyncTest, APreviewOfAMissingOrUnlistedFolderAddsEveryRowAndWritesNothing)
{
    rows = {Person("a@x", "A"), Person("b@x", "B")};
    services.preview = true;
    folder.opening = FolderOpening::Missing;
    EXPECT_FALSE(Sync());
    EXPECT_THAT(folder.log, ElementsAre("open"));
    ASSERT_EQ(services.plans.size(), 1u);
    EXPECT_EQ(services.plans[0].held, 0u);
    EXPECT_EQ(services.plans[0].added, 2u);
    EXPECT_THAT(PreviewLines(services.plans[0]), ElementsAre("add A <a@x>", "add B <b@x>"));
    EXPECT_THAT(services.notices, IsEmpty());

    services = {};
    services.preview = true;
    folder.items = {{"1", "t", Person("a@x", "A")}, {"2", "t", Person("c@x", "C")}, {"3", "t", Person("d@x", "D")}};
    folder.opening = FolderOpening::Unlisted;
    EXPECT_FALSE(Sync());
    EXPECT_THAT(folder.log, ElementsAre("open"));
    EXPECT_EQ(folder.items.size(), 3u);
    ASSERT_EQ(services.plans.size(), 1u);
    EXPECT_TRUE(services.plans[0].replacement);
    EXPECT_EQ(services.plans[0].held, 3u);
    EXPECT_EQ(services.plans[0].removed, 3u);
    EXPECT_THAT(PreviewLines(services.plans[0]), ElementsAre("add A <a@x>", "add B <b@x>"));
}
