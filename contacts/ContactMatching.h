#pragma once
// What a re-run has to change in a destination that already holds contacts: which items
// hold a row as it is, which are brought up to date in place (so they keep their
// identity), which rows need new items and which items go. The destinations read their
// items back and convert the rows the way they write them; this only compares.
#include "contacts/Contact.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

// One contact's field values in record order, as a destination holds them; compared
// byte for byte.
using ContactValues = std::array<std::string, kContactFieldCount>;

struct ContactChanges {
    struct Update {
        size_t row;
        size_t item;
    };
    size_t unchanged = 0;          // rows that an item already holds
    std::vector<Update> updates;   // in row order
    std::vector<size_t> additions; // rows, in order
    std::vector<size_t> removals;  // items, in order
};

// The name a contact is known by when its fields differ: the e-mail address, or the
// display name where the address is blank. Empty when both are.
std::string_view MatchKey(const ContactValues& values);

// Rows and items are matched as multisets: two equal rows need two equal items, a third
// goes. A row left over is written over the one item left over that shares its key, when
// exactly one row and one item share it; every other leftover row is added and every
// other leftover item removed.
ContactChanges PlanContactChanges(const std::vector<ContactValues>& rows, const std::vector<ContactValues>& items);

} // namespace tessaly
