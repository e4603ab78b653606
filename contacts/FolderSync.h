#pragma once
// One synchronisation of a contact folder, whatever program holds it. Each address book
// is an IContactFolder; SyncContactFolder runs the same steps over every one of them:
// the stop check, the status text, reading the folder, the plan and its approval, the
// writes before any removal, the count, one rule for success and the notices.
#include "base/RunServices.h"
#include "contacts/FolderRecord.h"

#include <optional>
#include <string>
#include <vector>

namespace tessaly {

// What opening the folder found.
enum class FolderOpening {
    Listed,   // its contact items are listed: only the difference is changed
    Unlisted, // its items cannot be listed: every contact goes and the list is written anew
    Missing,  // there is no folder to write into: nothing is written and the run falls short
    Failed,   // the address book could not be opened: the run ends without a count
};

// How an item's content was found when the listing did not give it.
enum class ItemContent {
    Read,    // read back from the item
    Foreign, // not a contact this program can read: it goes like a stale one
    Unknown, // cannot be read here: it is rewritten with a row still unmatched, or removed
};

// One contact item as the folder lists it, with its values where the listing gives them.
struct FolderEntry {
    ListedItem listed;
    std::optional<ContactValues> values;
};

// Items are the indexes of the entries Open listed; rows those of the run's list.
class IContactFolder {
public:
    // Finds the folder (creating it where the address book allows, but never in a
    // preview, where a folder not there is Missing) and lists its items.
    virtual FolderOpening Open(std::vector<FolderEntry>& items) = 0;
    // For an Unlisted folder: how many contact items go when RemoveAll is called.
    virtual size_t CountContactItems() = 0;
    // For an Unlisted folder: removes every contact item before the list is written.
    virtual void RemoveAll() = 0;
    // The values of an item neither the listing nor the record gave.
    virtual ItemContent ReadItem(size_t item, ContactValues& values) = 0;
    // Told the whole plan before the first write, for work that depends on all of it.
    virtual void Prepare(const FolderChanges& changes) = 0;
    // Writes a row over an item, which keeps its identity. `held` is what the item holds,
    // or null where that is unknown and every value is written. False when not saved.
    virtual bool Update(size_t item, size_t row, const ContactValues* held) = 0;
    // A new item for the row; `identity` receives its identity where the folder tells it.
    virtual bool Add(size_t row, std::string& identity) = 0;
    // True when every one of `items` is gone, or goes with the commit.
    virtual bool Remove(const std::vector<size_t>& items) = 0;
    // Ends the run's changes; `complete` says every row was saved. True when the folder
    // now holds what was written, false when it was left as it was.
    virtual bool Commit(bool complete) = 0;

    // The identity the folder's record is kept under; none where no record is kept.
    virtual std::optional<std::string> RecordIdentity() = 0;
    virtual std::optional<FolderRecord> LoadRecord(const std::string& identity) = 0;
    // A record that cannot be kept is let go: the next run reads or rewrites instead.
    virtual void SaveRecord(const FolderRecord& record) = 0;
    // The folder's items once committed, with their new stamps.
    virtual std::vector<ListedItem> ListAgain() = 0;

protected:
    ~IContactFolder() = default;
};

// Makes the folder hold `rows` (as the folder compares them), one item per row. Items the
// record vouches for (same identity, same stamp) are taken on its word; the others are read
// back, or rewritten where they cannot be. True only when every row is in the committed
// folder and every stale item is gone; a short count gives one warning naming both counts.
// For services that ask for a preview, the run stops at the plan's approval, its contacts
// named, having changed nothing (a missing folder plans every row as added), and answers false.
bool SyncContactFolder(IContactFolder& folder, const std::vector<ContactValues>& rows, const std::string& folderName,
                       IRunServices& services);

} // namespace tessaly
