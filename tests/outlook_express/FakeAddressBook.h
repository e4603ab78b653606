#pragma once
// An in-process address book that records the calls made on it. Folders created in a
// session show only after the Address Book program has run, as with the real library.
#include "destinations/outlook_express/AddressBookDestination.h"
#include "destinations/outlook_express/WabTags.h"
#include "standins/wab/WabBuffers.h"
#include "standins/wab/WabObjectBase.h"

#include <map>
#include <string>
#include <vector>

namespace fakewab {

struct Entry {
    ULONG id = 0;
    ULONG parent = 0; // 0: listed by the root container
    ULONG type = 0;
    std::string name;
    bool visible = true;
    std::map<ULONG, std::string> texts; // string properties other than the display name
};

struct Value {
    ULONG tag;
    std::string text; // strings; numbers as decimal; binaries as their size
};

struct World {
    std::vector<std::string> log;
    std::vector<Entry> entries;
    std::vector<std::vector<Value>> setProps; // every SetProps call, in order
    std::vector<std::vector<ULONG>> columns;  // every SetColumns call
    ULONG nextId = 100;
    static constexpr ULONG kPersonal = 1;
    wabstandin::BufferHeap heap;
    int liveObjects = 0;

    // Behaviour of the platform.
    int loads = 0;
    bool loadResult = true;
    DWORD major = 5;
    bool hasOpenEntry = true;
    int opens = 0;
    WAB_PARAM params = {};
    bool fileNameGiven = false;
    std::string fileName;
    bool startResult = true;
    int starts = 0;
    // Behaviour of the address book.
    HRESULT folderSaveResult = S_OK;
    int failingMailUserSave = 0; // 1-based number of the mail user save that fails
    int mailUserSaves = 0;
    int failingFree = 0; // 1-based number of the FreeBuffer call that fails (and frees nothing)
    int frees = 0;
    HRESULT deleteResult = S_OK;
    bool templateMissing = false; // GetProps answers with a warning and an error value
    bool wideColumnsRefused = false; // SetColumns refuses more than the three lookup columns

    // The mail user of that id, or null.
    Entry* Find(ULONG id);

    World();
    ULONG AddFolder(const std::string& name);
    ULONG AddEntry(ULONG parent, ULONG type, const std::string& name);
    std::vector<const Entry*> Children(ULONG parent) const;
    int CountLog(const std::string& line) const;
};

class Platform final : public tessaly::IWabPlatform {
public:
    explicit Platform(World& world) : world_(world) {}
    bool Load() override;
    bool QueryVersion(OSVERSIONINFOA& info) override;
    bool HasOpenEntry() override { return world_.hasOpenEntry; }
    HRESULT Open(LPADRBOOK* addrBook, LPWABOBJECT* wabObject, LPWAB_PARAM params) override;
    bool StartAddressBook() override;

private:
    World& world_;
};

} // namespace fakewab
