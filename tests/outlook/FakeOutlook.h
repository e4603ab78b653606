#pragma once
// An in-process stand-in for Outlook's object model, reachable only by name through
// IDispatch, that records every call it receives and can be told to fail.
#include <windows.h>
#include <oaidl.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fake_outlook {

struct Item {
    bool contact = true;
    bool saved = false;
    std::wstring entryId; // given when first saved
    int modified = 0;     // the modification time: moves with every save
    std::map<std::wstring, std::wstring> properties;

    // Changes one property as an edit in Outlook's window does, time included.
    void Edit(const std::wstring& property, const std::wstring& value);
};

struct Folder {
    std::wstring name;
    std::wstring entryId;
    std::vector<std::shared_ptr<Item>> items;
    std::optional<bool> showAsAddressBook; // unset until put
};

// One member call to fail: the n-th call whose log entry starts with `call`.
struct Failure {
    std::string call;
    int occurrence = 1;
    HRESULT code = E_FAIL;
    std::wstring description; // empty: no EXCEPINFO, the plain code comes back
    bool exceptionInfo = true;
};

struct World {
    std::wstring version = L"11.0.5510";
    std::vector<std::shared_ptr<Folder>> folders; // the default Contacts folder's subfolders
    bool creationFails = false;
    bool answersApplication = true;
    bool hasContactsFolder = true;
    bool newItemsAreContacts = true;
    // Folders offer GetTable, as from Outlook 2007 on; without it the name is unknown.
    bool tableOffered = true;
    std::optional<Failure> failure;

    // Every Invoke, as "Object.Member(args)" or "Object.Member=value".
    std::vector<std::string> calls;
    // Every GetIDsOfNames, as "Object.Member".
    std::vector<std::string> lookups;
    // Added to every member id, as a server that numbers its members anew each time it starts.
    DISPID firstId = 1;
    long liveObjects = 0;

    std::shared_ptr<Folder> AddFolder(const std::wstring& name);
    // The factory handed to SyncOutlook.
    HRESULT CreateApplication(IDispatch** application);
    // The log entries that start with `prefix`.
    std::vector<std::string> CallsStartingWith(const std::string& prefix) const;
};

// A contact or another kind of item already in a folder.
std::shared_ptr<Item> ContactNamed(const std::wstring& fullName);
std::shared_ptr<Item> DistributionList();

} // namespace fake_outlook
