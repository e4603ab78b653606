#include "destinations/windows_contacts/ContactFilePlan.h"

#include "destinations/windows_contacts/ContactFileNames.h"

#include <algorithm>

namespace tessaly {

namespace {
// "Name (2)" -> "Name"; anything else unchanged.
std::string_view WithoutNumber(std::string_view base)
{
    if (!base.ends_with(')'))
        return base;
    const size_t open = base.rfind(" (");
    if (open == std::string_view::npos || open + 3 > base.size() - 1)
        return base;
    const std::string_view digits = base.substr(open + 2, base.size() - open - 3);
    if (digits.find_first_not_of("0123456789") != std::string_view::npos)
        return base;
    return base.substr(0, open);
}

// "{8-4-4-4-12 hex digits}", as a fresh identifier names a file.
bool IsIdentifier(std::string_view base)
{
    constexpr std::string_view pattern = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
    if (base.size() != pattern.size())
        return false;
    for (size_t i = 0; i < base.size(); ++i) {
        const char ch = base[i];
        const bool hex = (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F') || (ch >= 'a' && ch <= 'f');
        if (pattern[i] == 'X' ? !hex : ch != pattern[i])
            return false;
    }
    return true;
}
} // namespace

bool NameFits(std::string_view name, std::string_view wanted, const std::function<std::string(std::string_view)>& fold)
{
    const std::string_view base = WithoutFileExtension(name);
    if (wanted.empty())
        return IsIdentifier(base);
    return fold(base) == fold(wanted) || fold(WithoutNumber(base)) == fold(wanted);
}

ContactFileWork FileWorkOf(const ContactChanges& changes, const std::vector<std::string>& wantedNames,
                                 const std::vector<std::string>& files,
                                 const std::function<std::string(std::string_view)>& fold)
{
    ContactFileWork work;
    work.unchanged = changes.unchanged;
    std::vector<bool> touched(files.size(), false);
    for (const ContactChanges::Update& update : changes.updates) {
        touched[update.item] = true;
        const std::string& name = files[update.item];
        // A file named after another contact, or after the contact's old name, would
        // mislead whoever looks at the folder: the contact gets a new file instead.
        if (NameFits(name, wantedNames[update.row], fold)) {
            work.writes.push_back({update.row, name});
        } else {
            work.writes.push_back({update.row, {}});
            work.stale.push_back(name);
        }
    }
    for (size_t row : changes.additions)
        work.writes.push_back({row, {}});
    std::sort(work.writes.begin(), work.writes.end(),
              [](const ContactFileWork::Write& a, const ContactFileWork::Write& b) { return a.row < b.row; });
    for (size_t item : changes.removals) {
        touched[item] = true;
        work.stale.push_back(files[item]);
    }
    for (size_t i = 0; i < files.size(); ++i)
        if (!touched[i])
            work.keep.push_back(files[i]);
    return work;
}

} // namespace tessaly
