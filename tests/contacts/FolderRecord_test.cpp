#include "contacts/FolderRecord.h"

#include "ContactValuesSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tessaly;
using tessaly::test::Person;

namespace {

using Pairs = std::vector<std::pair<size_t, size_t>>;

Pairs RowItemPairs(const std::vector<ContactChanges::Update>& updates)
{
    Pairs pairs;
    for (const auto& update : updates)
        pairs.emplace_back(update.row, update.item);
    return pairs;
}

} // namespace

TEST(FolderRecord, ReadsBackWhatItWroteAndRefusesAnythingDamaged)
{
    FolderRecord record;
    record.folder = "store\tone/folder\\7";
    record.items.push_back({"00AB", "46000.5", Person("a@x", "Ann\tTab", "line\r\nbreak")});
    record.items.push_back({"00CD", "46000.75", Person("", "")});
    const std::string text = FormatFolderRecord(record);

    const std::optional<FolderRecord> back = ParseFolderRecord(text);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->folder, record.folder);
    ASSERT_EQ(back->items.size(), 2u);
    EXPECT_EQ(back->items[0].id, "00AB");
    EXPECT_EQ(back->items[0].stamp, "46000.5");
    EXPECT_EQ(back->items[0].values, record.items[0].values);
    EXPECT_EQ(back->items[1].values, record.items[1].values);

    // Cut short anywhere, one byte changed, or an empty file: not a record at all.
    for (size_t length = 0; length < text.size(); length += 7)
        EXPECT_FALSE(ParseFolderRecord(text.substr(0, length))) << length;
    std::string changed = text;
    changed[text.find("Ann")] = 'B';
    EXPECT_FALSE(ParseFolderRecord(changed));

    EXPECT_NE(FolderRecordFileName("a"), FolderRecordFileName("b"));
}

// The record vouches only for items whose identity and stamp both match: an item edited
// since (its stamp moved), an item nobody recorded and an item without a stamp are of
// unknown content. Those are given the rows still unmatched, or removed.
TEST(FolderRecord, OnlyItemsTheRecordVouchesForAreTakenAsTheyAre)
{
    const std::vector<ContactValues> rows = {Person("a@x", "A"), Person("b@x", "B"), Person("c@x", "C")};
    FolderRecord record;
    record.items = {{"1", "t1", rows[0]}, {"2", "t2", rows[1]}, {"4", "", rows[2]}};
    const std::vector<ListedItem> items = {
        {"1", "t1", "A"},      // as the run left it
        {"2", "t2-edited", "B"}, // edited by hand since
        {"3", "t3", "Hand"},   // added by hand
        {"4", "", "C"},        // no stamp to trust
    };

    const FolderChanges changes = PlanFolderChanges(rows, items, &record);

    EXPECT_EQ(changes.unchanged, 1u);
    EXPECT_TRUE(changes.updates.empty());
    EXPECT_EQ(RowItemPairs(changes.rewrites), (Pairs{{1, 1}, {2, 3}}));
    EXPECT_TRUE(changes.additions.empty());
    EXPECT_EQ(changes.removals, (std::vector<size_t>{2}));
    EXPECT_EQ(changes.known[0], &record.items[0].values);
    EXPECT_EQ(changes.known[1], nullptr);
}

// Without a record every item is rewritten in place, each contact into the item that
// shows its name, so identities survive; only rows beyond the items are added.
TEST(FolderRecord, ALostRecordRewritesEveryItemInPlace)
{
    const std::vector<ContactValues> rows = {Person("a@x", "A"), Person("b@x", "B"), Person("n@x", "New"),
                                             Person("m@x", "More")};
    const std::vector<ListedItem> items = {{"1", "t", "B"}, {"2", "t", "Someone else"}, {"3", "t", "A"}};

    const FolderChanges changes = PlanFolderChanges(rows, items, nullptr);

    EXPECT_EQ(changes.unchanged, 0u);
    EXPECT_EQ(RowItemPairs(changes.rewrites), (Pairs{{0, 2}, {1, 0}, {2, 1}}));
    EXPECT_EQ(changes.additions, (std::vector<size_t>{3}));
    EXPECT_TRUE(changes.removals.empty());
}

// The next record holds every item that holds a row, with the stamp the folder shows now;
// removed items and items whose writing failed are left out.
TEST(FolderRecord, TheNextRecordHoldsWhatTheRunLeft)
{
    const std::vector<ContactValues> rows = {Person("a@x", "A"), Person("b@x", "B", "2"), Person("c@x", "C"),
                                             Person("d@x", "D")};
    FolderRecord record;
    record.items = {{"1", "t1", rows[0]}, {"2", "t2", Person("b@x", "B", "1")}, {"9", "t9", Person("z@x", "Z")}};
    const std::vector<ListedItem> before = {{"1", "t1", "A"}, {"2", "t2", "B"}, {"9", "t9", "Z"}};
    const FolderChanges changes = PlanFolderChanges(rows, before, &record);
    ASSERT_EQ(RowItemPairs(changes.updates), (Pairs{{1, 1}}));
    ASSERT_EQ(changes.additions, (std::vector<size_t>{2, 3}));

    const std::vector<ListedItem> after = {{"1", "t1", "A"}, {"2", "u2", "B"}, {"5", "u5", "C"}, {"6", "u6", "D"}};
    const FolderRecord next = RecordAfterChanges("f", rows, before, changes, {"5", ""}, after);

    EXPECT_EQ(next.folder, "f");
    ASSERT_EQ(next.items.size(), 3u);
    EXPECT_EQ(next.items[0].id, "1");
    EXPECT_EQ(next.items[0].values, rows[0]);
    EXPECT_EQ(next.items[1].stamp, "u2");
    EXPECT_EQ(next.items[1].values, rows[1]);
    EXPECT_EQ(next.items[2].id, "5");
    EXPECT_EQ(next.items[2].values, rows[2]);
}
