#include "contacts/ContactList.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tessaly;

namespace {
// Records the order in which items are destroyed.
struct Tracked {
    Tracked(std::vector<int>& log, int id) : log(log), id(id) {}
    ~Tracked() { log.push_back(id); }
    std::vector<int>& log;
    int id;
};
} // namespace

TEST(OwningList, FreeItemsFreesFromLastToFirstAndKeepsCapacity)
{
    std::vector<int> freed;
    OwningList<Tracked> list(500);
    for (int i = 0; i < 3; ++i)
        list.Emplace(freed, i);
    EXPECT_EQ(list.Count(), 3u);
    list.FreeItems();
    EXPECT_EQ(freed, (std::vector<int>{2, 1, 0}));
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_GE(list.Capacity(), 500u);
    list.FreeItems(); // empty: nothing happens
    EXPECT_EQ(freed.size(), 3u);
}

TEST(OwningList, FreeWithItemsFreesTheObjectsAndTheList)
{
    std::vector<int> freed;
    auto list = std::make_unique<OwningList<Tracked>>(200);
    list->Emplace(freed, 7);
    list->Emplace(freed, 8);
    FreeWithItems(list);
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(freed, (std::vector<int>{8, 7}));
}

TEST(OwningList, ExtractHandsTheObjectBack)
{
    std::vector<int> freed;
    OwningList<Tracked> list(2);
    list.Emplace(freed, 1);
    list.Emplace(freed, 2);
    auto item = list.Extract(0);
    EXPECT_EQ(list.Count(), 1u);
    EXPECT_EQ(list[0].id, 2);
    EXPECT_TRUE(freed.empty());
    item.reset();
    EXPECT_EQ(freed, (std::vector<int>{1}));
}
