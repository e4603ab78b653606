#pragma once
// What a run does to a folder of contact files that already holds contacts: files that
// hold a row as it would be written stay untouched (name and modification time), a
// changed contact is written over its own file when that file's name still fits it, and
// only then are files of contacts no longer in the list removed.
#include "contacts/ContactMatching.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

struct ContactFileWork {
    struct Write {
        size_t row;
        std::string name; // the file it replaces, or empty for a new name
    };
    size_t unchanged = 0;
    std::vector<Write> writes;      // in row order
    std::vector<std::string> keep;  // files that stay as they are
    std::vector<std::string> stale; // files that go, unless a new file takes the name
};

// The file work of planned changes: `files[item]` names each item's file.
// `wantedNames[row]`: the base name the row's file would be given, before names are made
// unique in the run; empty for a row that is named by a fresh identifier. `fold` makes
// names compare as the file system compares them.
ContactFileWork FileWorkOf(const ContactChanges& changes, const std::vector<std::string>& wantedNames,
                                 const std::vector<std::string>& files,
                                 const std::function<std::string(std::string_view)>& fold);

// True when the file `name` is one the row would be given: its base name, with a " (n)"
// that made it unique taken off, is `wanted`; or, for a row without a name (`wanted`
// empty), the file is named by an identifier.
bool NameFits(std::string_view name, std::string_view wanted, const std::function<std::string(std::string_view)>& fold);

} // namespace tessaly
