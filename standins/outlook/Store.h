#pragma once
// The stand-in's mail store: contacts folders under one default Contacts folder, a
// Deleted Items folder beside it, and their contact and distribution list items. It lives in an append-only journal file,
// so saving one item appends one line whatever the store's size; a process picks up
// what other processes appended whenever an application object is created.
#include "DispatchObject.h"

#include <windows.h>

#include <array>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace outlook_standin {

struct StoredItem {
    int id = 0; // 0 until first saved
    int folder = 0;
    int kind = 0; // olContactItem or olDistributionListItem
    std::array<std::wstring, 18> fields; // the contact properties, in their table's order
    std::wstring listName;
    // Milliseconds since 1601 (FILETIME / 10,000): set on creation and on every save.
    long long created = 0;
    long long modified = 0;
};

struct StoredFolder {
    int id = 0;
    int parent = 0;
    std::wstring name;
    bool showAsAddressBook = false;
    std::vector<int> items;
    std::vector<int> folders;
};

class Store {
public:
    static constexpr int kContactsFolder = 1;
    // Beside the Contacts folder, under the store's root, as every Outlook store has one.
    static constexpr int kDeletedItemsFolder = 2;

    // The process's store, first brought up to date with the journal.
    static Store& Current();
    // The process's store as it is.
    static Store& Instance();

    const StoredFolder& Folder(int id) const;
    const StoredItem& Item(int id) const;
    bool HasItem(int id) const { return items_.count(id) != 0; }
    bool HasFolder(int id) const { return folders_.count(id) != 0; }

    int AddFolder(int parent, const std::wstring& name);
    void SetShowAsAddressBook(int folder, bool show);
    // Stores the item (a new one is appended to its folder) and returns it as stored,
    // its id and times set: every save moves its modification time on. Counts the save
    // for the fault injection first.
    const StoredItem& SaveItem(const StoredItem& item);
    // Deletes the item as Outlook does: into Deleted Items, or for good when it is
    // already there.
    void DeleteItem(int id);

    // Counts one call of a protected member made while the guard was on.
    void CountProtectedCall();
    // The protected calls counted since the store was reset.
    long long ProtectedCalls() const { return protectedCalls_; }

    // Identifies the store among others (a new one after Reset): the hex text of a GUID.
    const std::wstring& Identity() const { return identity_; }

    // Settings: "version", "fail-save" (n: the n-th save after the setting was made or
    // the store was read fails),
    // "fail-save-text". Environment variables TESSALY_OUTLOOK_VERSION and
    // TESSALY_OUTLOOK_FAIL_SAVE ("n" or "n:text") override them.
    // TESSALY_OUTLOOK_EXIT_AT_SAVE ("n") ends the process abruptly at the n-th save, as
    // a crashing server would (a client of the local server sees it die mid-run).
    // A version below 12 hides the folder table as Outlook before 2007 has none;
    // TESSALY_OUTLOOK_REFUSE_TABLE (any value) makes the table be refused.
    std::wstring Setting(const std::wstring& key) const;
    void SetSetting(const std::wstring& key, const std::wstring& value);
    std::wstring Version() const;

    // Empties the store: the Contacts folder alone remains.
    void Reset();

    // Records the calls of the session that just ended, then lets go of the journal
    // file while no object is alive, so that another process may rewrite it.
    void EndSession(const SessionCalls& calls);
    // The last session recorded: "number<TAB>lookups<TAB>invokes"; empty before the first.
    std::wstring LastSession() const;

    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

private:
    Store();
    ~Store();

    void Refresh();
    void Clear();
    void Replay(const std::string& line);
    void MoveItem(int id, int folder);
    // A time later than every time the store handed out, now if the clock allows.
    long long NextTime();
    void Append(const std::string& line);
    void OpenForAppend();
    void Rewrite();
    size_t LiveRecords() const;

    std::wstring path_;
    std::string generation_; // tells a rewritten journal from the one read so far
    unsigned long long readTo_ = 0;
    size_t lines_ = 0;
    int nextId_ = kContactsFolder + 1;
    int savesSeen_ = 0;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    std::map<int, StoredFolder> folders_;
    std::unordered_map<int, StoredItem> items_;
    std::map<std::wstring, std::wstring> settings_;
    int sessions_ = 0;
    SessionCalls lastCalls_;
    long long protectedCalls_ = 0;
    long long lastTime_ = 0;
    std::wstring identity_;
};

} // namespace outlook_standin
