#pragma once
// The stand-in's address book store: folders, mail users and distribution lists with
// their properties, kept in one file as an append-only log of saved and deleted entries
// (saving one entry appends one line; the log is compacted when it is mostly dead).
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace wabstandin {

struct StoredValue {
    ULONG type = 0;                    // PT_LONG, PT_STRING8, PT_BINARY or PT_MV_BINARY
    LONG number = 0;                   // PT_LONG
    std::string bytes;                 // PT_STRING8 text, PT_BINARY bytes
    std::vector<std::string> values;   // PT_MV_BINARY
};

struct StoredEntry {
    ULONG id = 0;
    ULONG folder = 0; // 0 for folders
    ULONG type = 0;   // MAPI_ABCONT, MAPI_MAILUSER or MAPI_DISTLIST
    std::vector<std::pair<ULONG, StoredValue>> props; // in the order they were first set
    bool deleted = false;

    const StoredValue* Find(ULONG tag) const;
    void Set(ULONG tag, StoredValue value);
    std::string Text(ULONG tag) const; // a string property, or empty
};

class Store {
public:
    static constexpr ULONG kPersonalFolder = 1;

    // The store file named by WAB_STANDIN_STORE, else one under the user's application data.
    static std::string DefaultPath();

    // Reads the file (missing: an empty store); with `writable` keeps it open for appending.
    bool Open(const std::string& path, bool writable);
    const std::string& Path() const { return path_; }

    // Live entries in store order.
    std::vector<const StoredEntry*> Folders() const;
    std::vector<const StoredEntry*> Children(ULONG folder) const;
    const StoredEntry* Find(ULONG id) const;
    const StoredEntry* FindFolderByName(const std::string& name) const; // ASCII case ignored

    // Saves the entry (a new one when its id is 0, which then gets one); false when the file write fails.
    bool Save(StoredEntry& entry);
    bool Delete(ULONG id);

    ~Store();

private:
    bool Append(const std::string& line);
    void Apply(StoredEntry entry);
    bool Compact();

    std::string path_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    std::vector<StoredEntry> entries_;
    std::map<ULONG, size_t> index_;
    ULONG nextId_ = 100;
};

// Entry identifiers: four flag bytes, a mark and the entry number (12 bytes).
constexpr ULONG kEntryIdSize = 12;
constexpr ULONG kEntryIdMark = 0x42415753;
constexpr ULONG kMailUserTemplate = 0xFFFF0001;
std::string MakeEntryId(ULONG id);
ULONG EntryNumber(ULONG size, const void* bytes); // 0 when not one of ours

} // namespace wabstandin
