#include "app/PreviewText.h"

#include <gtest/gtest.h>

using namespace tessaly;

namespace {

PlannedChanges MixedPlan()
{
    PlannedChanges plan;
    plan.held = 4;
    plan.unchanged = 1;
    plan.added = 1;
    plan.updated = 1;
    plan.removed = 2;
    plan.contacts = {{PlannedContact::Change::Add, "Ann Lee", "ann@example.com", true},
                     {PlannedContact::Change::Update, "Bo\tRay", "bo@example.com", true},
                     {PlannedContact::Change::Remove, "Jürgen", "j@example.com", true},
                     {PlannedContact::Change::Remove, "item-7", "", false}};
    return plan;
}

} // namespace

// Counts first, one per line, then one tab-separated line per contact, CR LF throughout;
// a tab inside a name cannot shift the columns, and an unreadable item says so.
TEST(PreviewText, CountsThenOneLinePerContact)
{
    EXPECT_EQ(FormatPreview(MixedPlan(), 3, false, 50),
              "In the list: 3\r\nHeld: 4\r\nUnchanged: 1\r\nTo add: 1\r\nTo update: 1\r\nTo remove: 2\r\n"
              "add\tAnn Lee\tann@example.com\r\n"
              "update\tBo Ray\tbo@example.com\r\n"
              "remove\tJürgen\tj@example.com\r\n"
              "remove\titem-7\t(content unknown)\r\n");
}

TEST(PreviewText, SaysWhenARunWouldStopAtTheLimitOrReplaceTheFolder)
{
    PlannedChanges plan;
    plan.held = 400;
    plan.added = 100;
    plan.removed = 400;
    plan.replacement = true;
    EXPECT_EQ(FormatPreview(plan, 100, true, 50),
              "In the list: 100\r\nHeld: 400\r\nUnchanged: 0\r\nTo add: 100\r\nTo update: 0\r\nTo remove: 400\r\n"
              "The folder cannot be listed: every contact item in it is replaced by the list.\r\n"
              "A run would stop here and change nothing: the list would remove more than RemoveLimit (50) percent "
              "of the folder.\r\n");
}
