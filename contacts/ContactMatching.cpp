#include "contacts/ContactMatching.h"

#include <functional>
#include <unordered_map>
#include <utility>

namespace tessaly {

namespace {

struct ValuesHash {
    size_t operator()(const ContactValues* values) const noexcept
    {
        size_t hash = 0;
        for (const std::string& field : *values)
            hash = hash * 31 + std::hash<std::string>()(field);
        return hash;
    }
};

struct ValuesEqual {
    bool operator()(const ContactValues* a, const ContactValues* b) const noexcept { return *a == *b; }
};

// Leftover rows and items that share one key.
struct KeyGroup {
    size_t rows = 0;
    size_t items = 0;
    size_t row = 0;
    size_t item = 0;
};

} // namespace

std::string_view MatchKey(const ContactValues& values)
{
    const std::string& email = values[static_cast<size_t>(ContactField::Email)];
    return email.empty() ? std::string_view(values[static_cast<size_t>(ContactField::DisplayName)])
                         : std::string_view(email);
}

ContactChanges PlanContactChanges(const std::vector<ContactValues>& rows, const std::vector<ContactValues>& items)
{
    ContactChanges changes;
    // Equal items are taken from the back of their list, so the first ones stay.
    std::unordered_map<const ContactValues*, std::vector<size_t>, ValuesHash, ValuesEqual> itemsByValues;
    for (size_t i = items.size(); i-- > 0;)
        itemsByValues[&items[i]].push_back(i);

    std::vector<size_t> leftRows;
    for (size_t r = 0; r < rows.size(); ++r) {
        auto found = itemsByValues.find(&rows[r]);
        if (found != itemsByValues.end() && !found->second.empty()) {
            found->second.pop_back();
            ++changes.unchanged;
        } else {
            leftRows.push_back(r);
        }
    }
    std::vector<bool> itemLeft(items.size(), false);
    for (const auto& [values, left] : itemsByValues)
        for (size_t i : left)
            itemLeft[i] = true;

    std::unordered_map<std::string_view, KeyGroup> groups;
    for (size_t r : leftRows) {
        KeyGroup& group = groups[MatchKey(rows[r])];
        ++group.rows;
        group.row = r;
    }
    for (size_t i = 0; i < items.size(); ++i) {
        if (!itemLeft[i])
            continue;
        auto group = groups.find(MatchKey(items[i]));
        if (group != groups.end()) {
            ++group->second.items;
            group->second.item = i;
        }
    }

    for (size_t r : leftRows) {
        const std::string_view key = MatchKey(rows[r]);
        const KeyGroup& group = groups.at(key);
        if (!key.empty() && group.rows == 1 && group.items == 1) {
            changes.updates.push_back({r, group.item});
            itemLeft[group.item] = false;
        } else {
            changes.additions.push_back(r);
        }
    }
    for (size_t i = 0; i < items.size(); ++i)
        if (itemLeft[i])
            changes.removals.push_back(i);
    return changes;
}

} // namespace tessaly
