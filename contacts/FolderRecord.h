#pragma once
// What a run left in a destination's folder, kept between runs: each item's identity, the
// folder's own version stamp of the item as the run left it, and the values the run wrote.
// An item whose identity and stamp still match its entry holds those values without being
// read back; any other item is of unknown content. The record is only an optimisation: a
// lost, damaged or stale one costs rewriting items, never a wrong folder.
#include "contacts/ContactMatching.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

struct RecordedItem {
    std::string id;
    std::string stamp;
    ContactValues values;
};

struct FolderRecord {
    std::string folder; // the identity of the folder it belongs to
    std::vector<RecordedItem> items;
};

// A record larger than this is neither written nor read: the next run rewrites instead.
inline constexpr size_t kFolderRecordMaxBytes = 64u << 20;

// The record as the text of its file, UTF-8, with a check sum over the whole; empty when
// it would pass kFolderRecordMaxBytes.
std::string FormatFolderRecord(const FolderRecord& record);

// None for a text that is not one whole record: damaged, cut short, or too large.
std::optional<FolderRecord> ParseFolderRecord(std::string_view text);

// The file name a folder's record is kept under: one file per folder identity, named by a
// hash of it, so that no identity has to be spelt in a file name.
std::string FolderRecordFileName(std::string_view folder);

// One item as the folder lists it: its identity, its version stamp, and the name it shows
// (compared with a row's display name to give a row back the item it had before).
struct ListedItem {
    std::string id;
    std::string stamp;
    std::string name;
};

struct FolderChanges {
    size_t unchanged = 0;
    // Items known from the record that hold a row's key: only the differing values are put.
    std::vector<ContactChanges::Update> updates;
    // Items of unknown content given a row that is still unmatched: every value is put.
    std::vector<ContactChanges::Update> rewrites;
    std::vector<size_t> additions; // rows, in order
    std::vector<size_t> removals;  // items, in folder order
    // Per item: the values the record says it holds, or none when its content is unknown.
    std::vector<const ContactValues*> known;
};

// Plans the run as PlanContactChanges does over the items the record vouches for. Rows
// left over then go to the items of unknown content, first to one that shows the row's
// display name, then in order; only rows beyond those are added, and unknown items beyond
// them are removed. An item with an empty stamp is never taken on the record's word.
FolderChanges PlanFolderChanges(const std::vector<ContactValues>& rows, const std::vector<ListedItem>& items,
                                const FolderRecord* record);

// The same over what each item is known to hold, from the record or read back: null where
// its content is unknown.
FolderChanges PlanFolderChanges(const std::vector<ContactValues>& rows, const std::vector<ListedItem>& items,
                                std::vector<const ContactValues*> known);

// Per item, the values the record vouches for, or null.
std::vector<const ContactValues*> RecordedValues(const std::vector<ListedItem>& items, const FolderRecord* record);

// The record once `changes` are applied: `added` holds the identities the new items got
// (in the order of changes.additions; empty where none), and `after` the folder as it
// lists its items now, with their new stamps.
FolderRecord RecordAfterChanges(std::string folder, const std::vector<ContactValues>& rows,
                                const std::vector<ListedItem>& before, const FolderChanges& changes,
                                const std::vector<std::string>& added, const std::vector<ListedItem>& after);

} // namespace tessaly
