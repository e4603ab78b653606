#include "contacts/ContactMatching.h"

#include "ContactValuesSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tessaly;
using tessaly::test::Person;

namespace {

using Indexes = std::vector<size_t>;

std::vector<std::pair<size_t, size_t>> Pairs(const ContactChanges& changes)
{
    std::vector<std::pair<size_t, size_t>> pairs;
    for (const auto& update : changes.updates)
        pairs.emplace_back(update.row, update.item);
    return pairs;
}

} // namespace

TEST(ContactMatching, AnUnchangedListChangesNothingAndEqualRowsCountAsAMultiset)
{
    const std::vector<ContactValues> rows = {Person("a@x", "A"), Person("b@x", "B"), Person("b@x", "B")};
    const ContactChanges same = PlanContactChanges(rows, {Person("b@x", "B"), Person("a@x", "A"), Person("b@x", "B")});
    EXPECT_EQ(same.unchanged, 3u);
    EXPECT_TRUE(same.updates.empty() && same.additions.empty() && same.removals.empty());

    // Two equal rows need two equal items: a third goes, a missing second is added.
    const ContactChanges three = PlanContactChanges(
        rows, {Person("a@x", "A"), Person("b@x", "B"), Person("b@x", "B"), Person("b@x", "B")});
    EXPECT_EQ(three.unchanged, 3u);
    EXPECT_EQ(three.removals, Indexes{3});
    const ContactChanges one = PlanContactChanges(rows, {Person("a@x", "A"), Person("b@x", "B")});
    EXPECT_EQ(one.additions, Indexes{2});
    EXPECT_TRUE(one.removals.empty());
}

TEST(ContactMatching, AnEditedContactIsUpdatedInPlaceWhenItsKeyNamesOneRowAndOneItem)
{
    const ContactChanges edited = PlanContactChanges({Person("a@x", "A", "2"), Person("", "Bea", "2")},
                                                     {Person("", "Bea", "1"), Person("a@x", "A", "1")});
    EXPECT_EQ(Pairs(edited), (std::vector<std::pair<size_t, size_t>>{{0, 1}, {1, 0}}));
    EXPECT_TRUE(edited.additions.empty() && edited.removals.empty());

    // The address is the key while there is one: a new name under the same address updates.
    const ContactChanges renamed = PlanContactChanges({Person("a@x", "Anna")}, {Person("a@x", "A")});
    EXPECT_EQ(Pairs(renamed), (std::vector<std::pair<size_t, size_t>>{{0, 0}}));
}

TEST(ContactMatching, AKeySharedByMoreThanOneLeftoverOrByNoneAddsAndRemoves)
{
    const ContactChanges shared = PlanContactChanges({Person("a@x", "A", "3")},
                                                     {Person("a@x", "A", "1"), Person("a@x", "A", "2")});
    EXPECT_TRUE(shared.updates.empty());
    EXPECT_EQ(shared.additions, Indexes{0});
    EXPECT_EQ(shared.removals, (Indexes{0, 1}));

    const ContactChanges twoRows =
        PlanContactChanges({Person("a@x", "A", "2"), Person("a@x", "A", "3")}, {Person("a@x", "A", "1")});
    EXPECT_TRUE(twoRows.updates.empty());
    EXPECT_EQ(twoRows.additions, (Indexes{0, 1}));
    EXPECT_EQ(twoRows.removals, Indexes{0});

    // Neither address nor name: nothing to know the contact by.
    const ContactChanges nameless = PlanContactChanges({Person("", "", "2")}, {Person("", "", "1")});
    EXPECT_TRUE(nameless.updates.empty());
    EXPECT_EQ(nameless.additions, Indexes{0});
    EXPECT_EQ(nameless.removals, Indexes{0});
}
