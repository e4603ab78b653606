// The removal limit: a share of the folder and more than a handful, counted for good.
#include "app/RemovalLimit.h"

#include <gtest/gtest.h>

using namespace tessaly;

namespace {

PlannedChanges Plan(size_t held, size_t removed, size_t added = 0, bool replacement = false)
{
    PlannedChanges plan;
    plan.held = held;
    plan.removed = removed;
    plan.added = added;
    plan.replacement = replacement;
    return plan;
}

} // namespace

TEST(RemovalLimit, ASharePastTheLimitOfMoreThanTwentyContactsExceedsIt)
{
    EXPECT_TRUE(ExceedsRemoveLimit(Plan(400, 300), 50));
    EXPECT_FALSE(ExceedsRemoveLimit(Plan(400, 200), 50)) << "exactly the limit";
    EXPECT_FALSE(ExceedsRemoveLimit(Plan(30, 20), 50)) << "a handful";
    EXPECT_TRUE(ExceedsRemoveLimit(Plan(30, 21), 50));
    EXPECT_FALSE(ExceedsRemoveLimit(Plan(400, 400), 100)) << "100 is no limit";
    EXPECT_TRUE(ExceedsRemoveLimit(Plan(400, 5 + 20), 1));
}

TEST(RemovalLimit, AReplacementCountsOnlyTheContactsBeyondTheNewList)
{
    EXPECT_FALSE(ExceedsRemoveLimit(Plan(400, 400, 400, true), 50));
    EXPECT_TRUE(ExceedsRemoveLimit(Plan(400, 400, 100, true), 50));
    EXPECT_EQ(RemovalQuestion(Plan(400, 400, 100, true), "Global Contacts"),
              "The downloaded list would remove 300 of the 400 contacts in \"Global Contacts\". Remove them?");
}
